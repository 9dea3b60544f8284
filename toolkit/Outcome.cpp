#include "toolkit/Outcome.h"

#include <csignal>
#include <ctime>
#include <string>

#include <unistd.h>

namespace tk {

void TellOutcome(Outcome outcome)
{
    std::string line(OutcomePrefix);
    line += OutcomeWord(outcome);
    line += '\n';
    // A reader that has gone would end the process with SIGPIPE: the signal
    // is held back for this one write and taken off again, and the write
    // simply fails.
    sigset_t pipe{}, before{};
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &before);
    const bool wasPending = [&] {
        sigset_t pending{};
        return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    }();
    // One short write to a pipe arrives whole; the line is never buffered.
    const ssize_t written = ::write(STDOUT_FILENO, line.data(), line.size());
    if (written < 0 && !wasPending) {
        const timespec none{0, 0};
        sigtimedwait(&pipe, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

} // namespace tk
