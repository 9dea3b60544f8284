// briefing-kiosk-pin [--remove | --help]: sets the operator's PIN that releases the
// kiosk's hold on a result, or with --remove turns the hold off. The PIN is
// read twice, without echo, from a terminal, or once from standard input
// when that is not one. Only a salted hash is written, by a new file renamed
// into place: the old one stays whole until then. Exit 0, or 1 with a line.
#include "Pin.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr const char* Name = "briefing-kiosk-pin";

int Fail(const std::string& line)
{
    std::cerr << Name << ": " << line << '\n';
    return 1;
}

std::string SystemError(const std::string& path, int error)
{
    return path + ": " + std::strerror(error) + (error == EACCES || error == EPERM ? " (нужен sudo)" : "");
}

// One line from standard input without its line end; false at the end of input.
bool ReadLine(std::string& line)
{
    if (!std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

termios echoing{};

// Ctrl+C while the echo is off: the terminal gets its echo back, nothing is written.
void GiveUp(int)
{
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &echoing);
    constexpr char line[] = "\nbriefing-kiosk-pin: прервано; ничего не изменено\n";
    (void)!write(STDERR_FILENO, line, sizeof line - 1);
    _exit(1);
}

// Prompts on the terminal and reads one line with the echo off.
bool ReadHidden(const char* prompt, std::string& line)
{
    std::cerr << prompt << std::flush;
    termios before{};
    const bool terminal = tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        echoing = before;
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(signal, GiveUp);
        termios quiet = before;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const bool read = ReadLine(line);
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
    std::cerr << '\n';
    return read;
}

std::string Folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The hash in a new file beside the old one, readable by all (the kiosk user
// reads it) and writable by its owner only, then renamed over the old one.
int Write(const std::string& path, const std::string& hash)
{
    const std::string folder = Folder(path);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return Fail(SystemError(folder, errno));
    std::string temporary = folder + "/.kiosk-pin.XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return Fail(SystemError(folder, errno));
    const std::string text = hash + '\n';
    const bool written = fchmod(fd, 0644) == 0 &&
                         write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    const int error = errno;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written ? errno : error;
        unlink(temporary.c_str());
        return Fail(SystemError(path, failure) + "; PIN не изменён");
    }
    std::cout << Name << ": PIN оператора записан в " << path
              << ". Киоск держит результат каждого инструктажа на экране до ввода PIN.\n";
    return 0;
}

int Remove(const std::string& path)
{
    if (unlink(path.c_str()) != 0) {
        if (errno == ENOENT) {
            std::cout << Name << ": PIN оператора не был задан (" << path << "), удержание и так выключено.\n";
            return 0;
        }
        return Fail(SystemError(path, errno));
    }
    std::cout << Name << ": PIN оператора удалён (" << path << "). Киоск больше не держит результат.\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string path = kiosk::PinFilePath();
    if (argc == 2 && std::strcmp(argv[1], "--remove") == 0)
        return Remove(path);
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << "использование: briefing-kiosk-pin [--remove]\n"
                     "  без параметров: задать PIN оператора (4–12 цифр), который снимает удержание результата\n"
                     "  в киоске; с терминала PIN вводится дважды, иначе читается одна строка со стандартного входа\n"
                     "  --remove: удалить PIN, удержание выключается\n"
                     "файл: "
                  << kiosk::DefaultPinFile << " (другой: переменная " << kiosk::PinFileVariable << ")\n";
        return 0;
    }
    if (argc != 1)
        return Fail("использование: briefing-kiosk-pin [--remove]");

    std::string pin;
    if (isatty(STDIN_FILENO)) {
        std::string again;
        if (!ReadHidden("Новый PIN оператора (4–12 цифр): ", pin) || !ReadHidden("Ещё раз: ", again))
            return Fail("PIN не введён; ничего не изменено");
        if (pin != again)
            return Fail("PIN не совпадают; ничего не изменено");
    } else if (!ReadLine(pin)) {
        return Fail("на стандартном входе нет PIN; ничего не изменено");
    }
    if (!kiosk::PinWellFormed(pin))
        return Fail("PIN должен состоять из 4–12 цифр; ничего не изменено");
    const std::optional<std::string> hash = kiosk::HashPin(pin);
    if (!hash)
        return Fail("система не смогла посчитать хеш PIN (libcrypt); ничего не изменено");
    return Write(path, *hash);
}
