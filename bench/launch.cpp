// Starts programs on the X display and watches them from outside:
//   bench_launch startup <runs> <bare-window-exe> <station-exe>
//     start of the process to its first window on screen, both programs in turn;
//   bench_launch session <station-exe> <settle-seconds> <cpu-seconds>
//     the station through start-up into the study window: peak memory of its
//     process tree, then the processor time the tree uses while the clock counts down.
// Prints Markdown table rows on stdout; everything else goes to stderr.
#include "ProcessTree.h"
#include "Report.h"
#include "Scaling.h"
#include "WindowWatch.h"

#include "ui/Indoor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using bench::Clock;
using namespace std::chrono_literals;

const std::string EntryTitle = "Инструктаж [Демо] - Вход";
const std::string StudyTitle = "Инструктаж [Демо] - Простосмотр слайдов";
const std::string BareTitle = "bench-bare-window";
const char* const SoftwareGlThreads = "llvmpipe";

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the program from its own folder, as the station is run; its output
// goes to stderr so that stdout carries only table rows.
pid_t Spawn(std::vector<std::string> command)
{
    command.front() = std::filesystem::absolute(command.front()).string();
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        const std::filesystem::path exe(command.front());
        if (exe.has_parent_path() && chdir(exe.parent_path().c_str()) != 0)
            _exit(126);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : command)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int RunToEnd(const std::vector<std::string>& command)
{
    const pid_t pid = Spawn(command);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ReapChildren()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

bool Alive(int pid)
{
    return kill(pid, 0) == 0;
}

bool AllGone(const std::vector<int>& pids, Clock::duration within)
{
    const Clock::time_point until = Clock::now() + within;
    for (;;) {
        ReapChildren();
        bool any = false;
        for (int pid : pids)
            any = any || Alive(pid);
        if (!any)
            return true;
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(20ms);
    }
}

// Ends the program and every helper it started, each by its own pid; helpers
// left without a parent come to us (we are the subreaper), so none escapes.
void EndTree(pid_t root)
{
    bench::TreeSampler tree(getpid());
    tree.Sample();
    std::vector<int> members = tree.Members();
    kill(root, SIGTERM);
    if (AllGone(members, 5s))
        return;
    tree.Sample();
    for (int pid : tree.Members())
        kill(pid, SIGKILL);
    members.insert(members.end(), tree.Members().begin(), tree.Members().end());
    if (!AllGone(members, 5s))
        std::fprintf(stderr, "bench_launch: some processes did not end\n");
}

// One start: fork to the window titled `title` being viewable, in milliseconds.
double StartToWindow(bench::WindowWatch& watch, const std::string& exe, const std::string& title)
{
    watch.Forget();
    const Clock::time_point start = Clock::now();
    const pid_t pid = Spawn({exe});
    const auto seen = watch.WaitViewable(title, 60s);
    EndTree(pid);
    if (!seen)
        throw std::runtime_error("no window \"" + title + "\" within 60 s from " + exe);
    std::this_thread::sleep_for(200ms); // lets the window manager finish with the last window
    return Millis(seen->at - start);
}

int Startup(int runs, const std::string& bareExe, const std::string& stationExe)
{
    bench::WindowWatch watch;
    // One start of each first, not counted: it brings the libraries into the page cache.
    StartToWindow(watch, bareExe, BareTitle);
    StartToWindow(watch, stationExe, EntryTitle);
    std::vector<double> bare, station;
    for (int run = 0; run < runs; ++run) {
        bare.push_back(StartToWindow(watch, bareExe, BareTitle));
        station.push_back(StartToWindow(watch, stationExe, EntryTitle));
        std::fprintf(stderr, "start %d: bare %.1f ms, station %.1f ms\n", run + 1, bare.back(), station.back());
    }
    using bench::Fixed;
    const auto spread = [](const std::vector<double>& v) {
        return "min " + Fixed(bench::Min(v), 1) + ", max " + Fixed(bench::Max(v), 1) + " ms";
    };
    const std::string how = "median of " + std::to_string(runs) +
                            " starts (one warm-up start not counted), alternating with the other program; clock from "
                            "just before fork() to reading the X event after which the titled window is viewable "
                            "(client and window-manager frame mapped); resolution: one X event, < 1 ms; ";
    const double medianStation = bench::Median(station);
    const double medianBare = bench::Median(bare);
    bench::PrintRow("Start to entry window \"" + EntryTitle + "\" on screen", Fixed(medianStation, 1), "ms",
                    how + spread(station));
    bench::PrintRow("Start to a bare Qt Widgets window (empty 338x381 QWidget) on screen", Fixed(medianBare, 1), "ms",
                    how + spread(bare));
    bench::PrintRow("Start to window, station / bare Qt window", Fixed(medianStation / medianBare, 2), "×",
                    "ratio of the two medians above, same run");
    return 0;
}

// The Button1 rectangle of the entry window's layout.
const tk::ControlDef& EntryStartButton()
{
    for (const tk::ControlDef& def : TForm2::Layout())
        if (std::string(def.name) == "Button1")
            return def;
    throw std::logic_error("entry window has no Button1");
}

int Session(const std::string& stationExe, int settleSeconds, int cpuSeconds)
{
    bench::WindowWatch watch;
    bench::TreeSampler tree(getpid());
    bench::Memory peak;
    std::size_t samples = 0;
    const auto sample = [&] {
        const bench::Memory now = tree.Sample();
        peak.pssKiB = std::max(peak.pssKiB, now.pssKiB);
        peak.rssKiB = std::max(peak.rssKiB, now.rssKiB);
        ++samples;
    };
    const auto sampleFor = [&](Clock::duration span) {
        const Clock::time_point until = Clock::now() + span;
        for (Clock::time_point next = Clock::now(); next < until; next += 100ms) {
            sample();
            std::this_thread::sleep_until(next + 100ms);
        }
    };

    watch.Forget();
    const pid_t pid = Spawn({stationExe});
    sample();
    const auto entry = watch.WaitViewable(EntryTitle, 60s, sample);
    if (!entry) {
        EndTree(pid);
        throw std::runtime_error("the entry window did not appear");
    }
    sampleFor(1s); // the window takes input once it has been exposed and drawn

    const std::optional<int> textHeight = bench::TextHeightForClient(338, 381, entry->width, entry->height);
    if (!textHeight) {
        EndTree(pid);
        throw std::runtime_error("entry window of " + std::to_string(entry->width) + "x" +
                                 std::to_string(entry->height) + " fits no text height");
    }
    const tk::ControlDef& button = EntryStartButton();
    const auto [x, y] = bench::ScaledCentre(button.left, button.top, button.width, button.height, *textHeight);
    std::fprintf(stderr, "entry window %dx%d, text height %d: clicking \"Начать инструктаж\" at %d,%d\n", entry->width,
                 entry->height, *textHeight, x, y);
    RunToEnd({"/usr/bin/xdotool", "mousemove", "--window", std::to_string(entry->id), std::to_string(x),
              std::to_string(y), "click", "1"});
    const auto study = watch.WaitViewable(StudyTitle, 30s, sample);
    if (!study) {
        EndTree(pid);
        throw std::runtime_error("the study window did not appear after the click");
    }
    sampleFor(std::chrono::seconds(settleSeconds)); // the study page loads and is drawn
    const bench::Memory peakShown = peak;

    sample();
    const auto byProcessBefore = tree.TicksByProcess();
    const unsigned long long ticksBefore = tree.CpuTicks();
    // Without a GPU, Mesa's software rasteriser draws the window in threads of its own.
    const unsigned long long softwareGlBefore = bench::ThreadTicks(pid, SoftwareGlThreads);
    const Clock::time_point cpuStart = Clock::now();
    sampleFor(std::chrono::seconds(cpuSeconds));
    sample();
    const unsigned long long ticksAfter = tree.CpuTicks();
    const unsigned long long softwareGlAfter = bench::ThreadTicks(pid, SoftwareGlThreads);
    const double wall = std::chrono::duration<double>(Clock::now() - cpuStart).count();
    const std::size_t members = tree.Members().size();
    for (const auto& [process, ticks] : tree.TicksByProcess()) {
        const auto before = byProcessBefore.find(process);
        std::string cmdline = bench::ReadWholeFile("/proc/" + std::to_string(process.first) + "/cmdline").value_or("");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        std::fprintf(stderr, "cpu over the window: pid %d %llu ticks: %.120s\n", process.first,
                     ticks - (before == byProcessBefore.end() ? 0 : before->second),
                     cmdline.c_str());
    }
    EndTree(pid);

    const double hz = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double cpuSecondsUsed = static_cast<double>(ticksAfter - ticksBefore) / hz;
    using bench::Fixed;
    const std::string treeText =
        "the station and its " + std::to_string(members > 0 ? members - 1 : 0) + " helper processes";
    bench::PrintRow("Peak memory of the process tree, start-up to study page shown (PSS)",
                    Fixed(static_cast<double>(peakShown.pssKiB) / 1024.0, 1), "MiB",
                    "sum of Pss from /proc/<pid>/smaps_rollup over " + treeText + ", sampled every 100 ms (" +
                        std::to_string(samples) + " samples) from fork to " + std::to_string(settleSeconds) +
                        " s after the study window is on screen; highest sum");
    bench::PrintRow("Peak memory of the process tree, same span (RSS)",
                    Fixed(static_cast<double>(peakShown.rssKiB) / 1024.0, 1), "MiB",
                    "sum of Rss over the same samples; counts shared libraries once per process, so above PSS");
    bench::PrintRow("CPU while the study window counts down", Fixed(100.0 * cpuSecondsUsed / wall, 2),
                    "% of one core",
                    "utime+stime from /proc/<pid>/stat summed over " + treeText + ", over " + Fixed(wall, 1) +
                        " s starting " + std::to_string(settleSeconds) +
                        " s after \"Начать инструктаж\" was clicked (xdotool); ticks of 1/" + Fixed(hz, 0) + " s");
    bench::PrintRow("CPU while counting down: of it, Mesa's software GL threads (llvmpipe-*)",
                    Fixed(100.0 * static_cast<double>(softwareGlAfter - softwareGlBefore) / hz / wall, 2),
                    "% of one core",
                    "utime+stime of the station's threads named llvmpipe-* over the same span: drawing the "
                    "window without a GPU, as under Xvfb");
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: bench_launch startup <runs> <bare-window-exe> <station-exe>\n"
                         "       bench_launch session <station-exe> <settle-seconds> <cpu-seconds>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Helpers whose parent has ended are re-parented to us, so the tree stays whole.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    try {
        if (args.size() == 4 && args[0] == "startup")
            return Startup(std::stoi(args[1]), args[2], args[3]);
        if (args.size() == 4 && args[0] == "session")
            return Session(args[1], std::stoi(args[2]), std::stoi(args[3]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_launch: %s\n", error.what());
        return 1;
    }
    return Usage();
}
