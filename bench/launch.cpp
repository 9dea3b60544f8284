// Starts programs on the X display and watches them from outside:
//   bench_launch startup <runs> <bare-window-exe> <floor-window-exe> <page> <station-exe>
//     start of the process to its first window on screen: a bare Qt window,
//     the stack's floor (a window with a hidden browser view loading <page>)
//     and the station, in turn; a start that runs into the wait limit is a
//     failed run, reported as such;
//   bench_launch session <station-exe> <bare-window-exe> <floor-window-exe> <page> <settle-seconds> <cpu-seconds>
//     memory of the process trees: the bare window and the floor, then the
//     station through start-up into the study window and on to the test
//     window, with the processor time the tree uses while the clock counts down;
//   bench_launch press <runs> <station-exe> <bare-window-exe>
//     from a press of "Начать инструктаж" to the study window on screen and
//     to its page drawn, the press made as soon as the entry window is on
//     screen and a second later, next to the start of a bare window;
//   bench_launch kiosk <cycles> <session-script> <station-launcher> <station-exe>
//     the kiosk session on a private X server: from the station's end to the
//     next entry window on screen, next to a plain start of the station;
//   bench_launch kiosk-hold <cycles> <session-script> <station-launcher> <station-exe> <bare-window-exe>
//     the same session with an operator's PIN: from the end of a station whose
//     briefing was started to the hold view on screen, and from the Enter that
//     confirms the PIN to the next entry window on screen, next to a plain
//     start of a bare Qt window.
// Prints Markdown table rows on stdout; everything else goes to stderr.
#include "ProcessTree.h"
#include "Report.h"
#include "Scaling.h"
#include "Starts.h"
#include "WindowWatch.h"

#include "ui/Indoor.h"
#include "ui/Main.h"

#include "toolkit/EngineModule.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <set>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using bench::Clock;
using namespace std::chrono_literals;

const std::string EntryTitle = "Инструктаж [Демо] - Вход";
const std::string StudyTitle = "Инструктаж [Демо] - Простосмотр слайдов";
const std::string TestTitle = "Инструктаж [Демо] - Пройти тест";
const std::string BoxTitle = "ВНИМАНИЕ!";
const std::string BareTitle = "bench-bare-window";
const std::string FloorTitle = "bench-floor-window";
constexpr auto WaitLimit = std::chrono::seconds(60);
const char* const SoftwareGlThreads = "llvmpipe";

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

int RunToEnd(const std::vector<std::string>& command)
{
    const pid_t pid = bench::Spawn(command);
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

// Ends a process group: TERM, then KILL to whatever is left after five seconds.
void EndGroup(pid_t group)
{
    const auto gone = [group](Clock::duration within) {
        for (const Clock::time_point until = Clock::now() + within;; std::this_thread::sleep_for(20ms)) {
            ReapChildren();
            if (kill(-group, 0) != 0)
                return true;
            if (Clock::now() >= until)
                return false;
        }
    };
    kill(-group, SIGTERM);
    if (gone(5s))
        return;
    kill(-group, SIGKILL);
    if (!gone(5s))
        std::fprintf(stderr, "bench_launch: process group %d did not end\n", group);
}

// One start: fork to the window titled `title` being viewable, in
// milliseconds; nothing, with the reason in `failure`, when it was not
// viewable within the wait limit. With ownGroup the program and its helpers
// are a group of their own, ended alone; otherwise every process below this
// one is ended with it.
std::optional<double> StartToWindow(bench::WindowWatch& watch, const std::vector<std::string>& command,
                                    const std::string& title, std::string& failure, bool ownGroup = false)
{
    watch.Forget();
    const Clock::time_point start = Clock::now();
    const pid_t pid = bench::Spawn(command, ownGroup);
    const auto seen = watch.WaitViewable(title, WaitLimit);
    if (ownGroup)
        EndGroup(pid);
    else
        EndTree(pid);
    std::this_thread::sleep_for(200ms); // lets the window manager finish with the last window
    if (!seen) {
        failure = "no window \"" + title + "\" viewable within " + std::to_string(WaitLimit.count()) + " s";
        return std::nullopt;
    }
    return Millis(seen->at - start);
}

struct Program {
    std::vector<std::string> command;
    std::string title;
    bench::Starts starts;
};

void Start(bench::WindowWatch& watch, Program& program, const std::string& which, bool counted)
{
    std::string failure;
    const std::optional<double> ms = StartToWindow(watch, program.command, program.title, failure);
    if (!ms)
        program.starts.failures.push_back(which + ": " + failure);
    else if (counted)
        program.starts.ms.push_back(*ms);
    std::fprintf(stderr, "%s, %s: %s\n", program.title.c_str(), which.c_str(),
                 ms ? (bench::Fixed(*ms, 1) + " ms").c_str() : failure.c_str());
}

int Startup(int runs, const std::string& bareExe, const std::string& floorExe, const std::string& page,
            const std::string& stationExe)
{
    bench::WindowWatch watch;
    Program bare{{bareExe}, BareTitle, {"Start to a bare Qt Widgets window (empty 338x381 QWidget) on screen", {}, {}}};
    Program floor{{floorExe, page}, FloorTitle,
                  {"Start to the floor: a 338x381 window with a hidden browser view loading the study page", {}, {}}};
    Program station{{stationExe}, EntryTitle, {"Start to entry window \"" + EntryTitle + "\" on screen", {}, {}}};
    std::vector<Program*> programs{&bare, &floor, &station};
    // One start of each first, not counted: it brings the libraries into the page cache.
    for (Program* program : programs)
        Start(watch, *program, "warm-up start", false);
    for (int run = 1; run <= runs; ++run)
        for (Program* program : programs)
            Start(watch, *program, "start " + std::to_string(run), true);

    const std::string how = "median of " + std::to_string(runs) +
                            " starts (one warm-up start not counted), taking turns with the other two programs; clock "
                            "from just before fork() to reading the X event after which the titled window is viewable "
                            "(client and window-manager frame mapped); resolution: one X event, < 1 ms; a start whose "
                            "window is not viewable within " +
                            std::to_string(WaitLimit.count()) + " s is a failed run, never a figure; ";
    for (Program* program : programs)
        std::printf("%s\n", bench::StartRow(program->starts, how).c_str());
    std::printf("%s\n", bench::RatioRow("Start to window, station / bare Qt window", station.starts, bare.starts).c_str());
    std::printf("%s\n", bench::RatioRow("Start to window, station / floor", station.starts, floor.starts).c_str());
    std::fflush(stdout);
    for (Program* program : programs)
        if (program->starts.Failed())
            return 1;
    return 0;
}

// The centre of a control of a window's layout, in the window's client
// coordinates, from the window's size on screen.
std::pair<int, int> ControlCentre(const std::vector<tk::ControlDef>& layout, const char* name, int designWidth,
                                  int designHeight, const bench::SeenWindow& window)
{
    const std::optional<int> textHeight =
        bench::TextHeightForClient(designWidth, designHeight, window.width, window.height);
    if (!textHeight)
        throw std::runtime_error("a window of " + std::to_string(window.width) + "x" + std::to_string(window.height) +
                                 " fits no text height");
    for (const tk::ControlDef& def : layout)
        if (std::string(def.name) == name)
            return bench::ScaledCentre(def.left, def.top, def.width, def.height, *textHeight);
    throw std::logic_error(std::string("no control ") + name);
}

void Click(const bench::SeenWindow& window, std::pair<int, int> at)
{
    RunToEnd({"/usr/bin/xdotool", "mousemove", "--window", std::to_string(window.id), std::to_string(at.first),
              std::to_string(at.second), "click", "1"});
}

// Samples a process tree every 100 ms, keeping the peak and the samples of
// the current stretch.
class Sampler {
public:
    explicit Sampler(bench::TreeSampler& tree) : tree_(tree) {}
    void operator()()
    {
        const bench::Memory now = tree_.Sample();
        peak.pssKiB = std::max(peak.pssKiB, now.pssKiB);
        peak.rssKiB = std::max(peak.rssKiB, now.rssKiB);
        stretch_.push_back(static_cast<double>(now.pssKiB));
        ++count;
    }
    // Samples for a while; returns the median PSS of that stretch in MiB.
    double For(Clock::duration span)
    {
        stretch_.clear();
        const Clock::time_point until = Clock::now() + span;
        for (Clock::time_point next = Clock::now(); next < until; next += 100ms) {
            (*this)();
            std::this_thread::sleep_until(next + 100ms);
        }
        return bench::Median(stretch_) / 1024.0;
    }
    bench::Memory peak;
    std::size_t count = 0;

private:
    bench::TreeSampler& tree_;
    std::vector<double> stretch_;
};

// The tree's helpers now, and of them the renderers: the processes that the
// engine's helpers started (the zygotes fork one for each renderer).
std::pair<std::size_t, std::size_t> Helpers(const bench::TreeSampler& tree, pid_t root)
{
    std::size_t renderers = 0;
    for (int pid : tree.Members()) {
        const auto text = bench::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
        const auto stat = text ? bench::ParseStat(*text) : std::nullopt;
        if (stat && stat->ppid != root && stat->ppid != getpid())
            ++renderers;
    }
    const std::size_t members = tree.Members().size();
    return {members > 0 ? members - 1 : 0, renderers};
}

std::string TreeText(std::pair<std::size_t, std::size_t> helpers)
{
    return std::to_string(helpers.first) + " helper processes (" + std::to_string(helpers.second) + " renderer" +
           (helpers.second == 1 ? "" : "s") + ")";
}

struct Footprint {
    double pssMiB = 0;
    std::pair<std::size_t, std::size_t> helpers;
};

// A program's tree once its window is on screen and it has settled.
Footprint Settled(const std::vector<std::string>& command, const std::string& title, int settleSeconds)
{
    bench::WindowWatch watch;
    bench::TreeSampler tree(getpid());
    Sampler sample(tree);
    watch.Forget();
    const pid_t pid = bench::Spawn(command);
    if (!watch.WaitViewable(title, WaitLimit, std::ref(sample))) {
        EndTree(pid);
        throw std::runtime_error("no window \"" + title + "\" within " + std::to_string(WaitLimit.count()) + " s");
    }
    sample.For(std::chrono::seconds(settleSeconds - 1));
    Footprint footprint{sample.For(1s), {}};
    footprint.helpers = Helpers(tree, pid);
    EndTree(pid);
    return footprint;
}

int Session(const std::string& stationExe, const std::string& bareExe, const std::string& floorExe,
            const std::string& page, int settleSeconds, int cpuSeconds)
{
    using bench::Fixed;
    const std::string settledHow = "median of the sum of Pss from /proc/<pid>/smaps_rollup over the tree, sampled every "
                                   "100 ms during the last second of " +
                                   std::to_string(settleSeconds) + " s after the window is on screen; ";
    const Footprint bare = Settled({bareExe}, BareTitle, settleSeconds);
    const Footprint floor = Settled({floorExe, page}, FloorTitle, settleSeconds);

    bench::WindowWatch watch;
    bench::TreeSampler tree(getpid());
    Sampler sample(tree);
    watch.Forget();
    const pid_t pid = bench::Spawn({stationExe});
    const auto fail = [&](const std::string& what) {
        EndTree(pid);
        throw std::runtime_error(what);
    };
    sample();
    const auto entry = watch.WaitViewable(EntryTitle, WaitLimit, std::ref(sample));
    if (!entry)
        fail("the entry window did not appear");
    sample.For(1s); // the window takes input once it has been exposed and drawn
    Click(*entry, ControlCentre(TForm2::Layout(), "Button1", 338, 381, *entry));
    const auto study = watch.WaitViewable(StudyTitle, 30s, std::ref(sample));
    if (!study)
        fail("the study window did not appear after the click");
    sample.For(std::chrono::seconds(settleSeconds - 1)); // the study page loads and is drawn
    const double studyMiB = sample.For(1s);
    const auto studyHelpers = Helpers(tree, pid);
    const bench::Memory peakShown = sample.peak;
    const std::size_t peakSamples = sample.count;

    sample();
    const auto byProcessBefore = tree.TicksByProcess();
    const unsigned long long ticksBefore = tree.CpuTicks();
    // Without a GPU, Mesa's software rasteriser draws the window in threads of its own.
    const unsigned long long softwareGlBefore = bench::ThreadTicks(pid, SoftwareGlThreads);
    const Clock::time_point cpuStart = Clock::now();
    sample.For(std::chrono::seconds(cpuSeconds));
    sample();
    const unsigned long long ticksAfter = tree.CpuTicks();
    const unsigned long long softwareGlAfter = bench::ThreadTicks(pid, SoftwareGlThreads);
    const double wall = std::chrono::duration<double>(Clock::now() - cpuStart).count();
    for (const auto& [process, ticks] : tree.TicksByProcess()) {
        const auto before = byProcessBefore.find(process);
        std::string cmdline = bench::ReadWholeFile("/proc/" + std::to_string(process.first) + "/cmdline").value_or("");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        std::fprintf(stderr, "cpu over the window: pid %d %llu ticks: %.120s\n", process.first,
                     ticks - (before == byProcessBefore.end() ? 0 : before->second), cmdline.c_str());
    }

    // "Начать тестирование", the box's OK, and the test window with its first question.
    Click(*study, ControlCentre(TForm1::Layout(), "Button2", 1006, 723, *study));
    if (!watch.WaitViewable(BoxTitle, 30s, std::ref(sample)))
        fail("no box \"" + BoxTitle + "\" after \"Начать тестирование\"");
    RunToEnd({"/usr/bin/xdotool", "key", "Return"});
    if (!watch.WaitViewable(TestTitle, 30s, std::ref(sample)))
        fail("the test window did not appear");
    sample.For(std::chrono::seconds(settleSeconds - 1));
    const double testMiB = sample.For(1s);
    const auto testHelpers = Helpers(tree, pid);
    EndTree(pid);

    const double hz = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double cpuSecondsUsed = static_cast<double>(ticksAfter - ticksBefore) / hz;
    bench::PrintRow("Memory of the process tree with the study window shown (PSS)", Fixed(studyMiB, 1), "MiB",
                    settledHow + "the station and its " + TreeText(studyHelpers));
    bench::PrintRow("Memory of the process tree with the test window shown (PSS)", Fixed(testMiB, 1), "MiB",
                    settledHow + "the same process, after \"Начать тестирование\" and OK (xdotool): the station and its " +
                        TreeText(testHelpers));
    bench::PrintRow("Memory, test window / study window", Fixed(testMiB / studyMiB, 2), "×",
                    "ratio of the two figures above");
    bench::PrintRow("Memory of a bare Qt window's process tree (PSS)", Fixed(bare.pssMiB, 1), "MiB",
                    settledHow + "bench_bare_window and its " + TreeText(bare.helpers));
    bench::PrintRow("Memory of the floor's process tree (PSS)", Fixed(floor.pssMiB, 1), "MiB",
                    settledHow + "bench_floor_window (window and hidden browser view with the study page) and its " +
                        TreeText(floor.helpers));
    bench::PrintRow("Memory with the study window shown, station / floor", Fixed(studyMiB / floor.pssMiB, 2), "×",
                    "ratio of the two figures above");
    bench::PrintRow("Peak memory of the process tree, start-up to study page shown (PSS)",
                    Fixed(static_cast<double>(peakShown.pssKiB) / 1024.0, 1), "MiB",
                    "sum of Pss over the station's tree, sampled every 100 ms (" + std::to_string(peakSamples) +
                        " samples) from fork to " + std::to_string(settleSeconds) +
                        " s after the study window is on screen; highest sum");
    bench::PrintRow("Peak memory of the process tree, same span (RSS)",
                    Fixed(static_cast<double>(peakShown.rssKiB) / 1024.0, 1), "MiB",
                    "sum of Rss over the same samples; counts shared libraries once per process, so above PSS");
    bench::PrintRow("CPU while the study window counts down", Fixed(100.0 * cpuSecondsUsed / wall, 2),
                    "% of one core",
                    "utime+stime from /proc/<pid>/stat summed over the station and its " + TreeText(studyHelpers) +
                        ", over " + Fixed(wall, 1) + " s starting " + std::to_string(settleSeconds) +
                        " s after \"Начать инструктаж\" was clicked (xdotool); ticks of 1/" + Fixed(hz, 0) + " s");
    bench::PrintRow("CPU while counting down: of it, Mesa's software GL threads (llvmpipe-*)",
                    Fixed(100.0 * static_cast<double>(softwareGlAfter - softwareGlBefore) / hz / wall, 2),
                    "% of one core",
                    "utime+stime of the station's threads named llvmpipe-* over the same span: drawing the "
                    "window without a GPU, as under Xvfb");
    return 0;
}

// ---------------------------------------------------------------- a press on the entry window

// The study page of the press benchmark: one colour, found nowhere else on screen.
constexpr unsigned long PressPageColour = 0xFFE8A0;

// Has the page been drawn in this area of a window: is nearly all of it the page's colour?
bool PageDrawn(Display* display, unsigned long window, int x, int y, int width, int height)
{
    XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return false;
    int page = 0;
    int all = 0;
    for (int py = 0; py < height; py += 4)
        for (int px = 0; px < width; px += 4, ++all)
            page += (XGetPixel(image, px, py) & 0xFFFFFF) == PressPageColour ? 1 : 0;
    XDestroyImage(image);
    return page * 10 > all * 9;
}

// The station beside a study page of that colour and the demo bank, in a scratch folder.
std::filesystem::path PressStation(const std::string& stationExe)
{
    char name[] = "/tmp/bench-press.XXXXXX";
    if (!mkdtemp(name))
        throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    const std::filesystem::path folder = name;
    const std::filesystem::path built = std::filesystem::path(stationExe).parent_path();
    std::filesystem::copy(stationExe, folder);
    std::filesystem::copy(built / tk::engine::ModuleFile, folder);
    std::filesystem::copy(built / "TESTS", folder / "TESTS");
    std::filesystem::create_directory(folder / "res");
    std::FILE* page = std::fopen((folder / "res" / "INSTR.htm").c_str(), "w");
    if (!page)
        throw std::runtime_error("cannot write the study page");
    std::fputs("<!DOCTYPE html><html><body style='margin:0;background:#FFE8A0'>Инструктаж</body></html>", page);
    std::fclose(page);
    return folder;
}

int Press(int runs, const std::string& builtStation, const std::string& bareExe)
{
    const std::filesystem::path folder = PressStation(builtStation);
    const std::string stationExe = (folder / std::filesystem::path(builtStation).filename()).string();
    struct Scratch {
        std::filesystem::path path;
        ~Scratch()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } scratch{folder};
    bench::WindowWatch watch;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        throw std::runtime_error("cannot open the display");
    Program bare{{bareExe}, BareTitle, {"Start to a bare Qt Widgets window (empty 338x381 QWidget) on screen", {}, {}}};
    bench::Starts shown[2] = {{"Press of \"Начать инструктаж\" at once to the study window on screen", {}, {}},
                              {"Press of \"Начать инструктаж\" after 1 s to the study window on screen", {}, {}}};
    bench::Starts drawn[2] = {{"Press of \"Начать инструктаж\" at once to the study page drawn", {}, {}},
                              {"Press of \"Начать инструктаж\" after 1 s to the study page drawn", {}, {}}};
    Start(watch, bare, "warm-up start", false);
    for (int run = 0; run <= runs; ++run) {
        Start(watch, bare, "start " + std::to_string(run), run > 0);
        for (int later = 0; later < 2; ++later) {
            watch.Forget();
            const pid_t pid = bench::Spawn({stationExe});
            const auto entry = watch.WaitViewable(EntryTitle, WaitLimit);
            if (!entry) {
                EndTree(pid);
                throw std::runtime_error("the entry window did not appear");
            }
            std::this_thread::sleep_for(std::chrono::seconds(later));
            const Clock::time_point press = Clock::now();
            Click(*entry, ControlCentre(TForm2::Layout(), "Button1", 338, 381, *entry));
            const auto study = watch.WaitViewable(StudyTitle, 30s);
            std::optional<Clock::time_point> pageAt;
            if (study) {
                const auto [cx, cy] = ControlCentre(TForm1::Layout(), "CppWebBrowser1", 1006, 723, *study);
                const Clock::time_point until = Clock::now() + 30s;
                while (!pageAt && Clock::now() < until) {
                    if (PageDrawn(display, study->id, cx - 200, cy - 150, 400, 300))
                        pageAt = Clock::now();
                    else
                        std::this_thread::sleep_for(5ms);
                }
            }
            EndTree(pid);
            std::this_thread::sleep_for(200ms);
            if (run == 0)
                continue; // the first round brings the libraries into the page cache
            if (!study || !pageAt) {
                (study ? drawn : shown)[later].failures.push_back("run " + std::to_string(run));
                continue;
            }
            shown[later].ms.push_back(Millis(study->at - press));
            drawn[later].ms.push_back(Millis(*pageAt - press));
        }
    }
    XCloseDisplay(display);
    const std::string how = "median of " + std::to_string(runs) +
                            " runs (one more first, not counted), xdotool's click on the button's centre to the X "
                            "event after which the study window is viewable, or to the first look (every 5 ms, "
                            "XGetImage of 400x300 pixels at the view's centre) that finds the page drawn; ";
    std::printf("%s\n", bench::StartRow(bare.starts, "median of " + std::to_string(runs) + " starts, same run; ").c_str());
    for (int later = 0; later < 2; ++later) {
        std::printf("%s\n", bench::StartRow(shown[later], how).c_str());
        std::printf("%s\n", bench::StartRow(drawn[later], how).c_str());
    }
    if (!drawn[0].Failed() && !drawn[1].Failed())
        std::printf("%s\n", bench::Row("Study page drawn, press at once / press after 1 s, counted from the entry window",
                                       bench::Fixed(bench::Median(drawn[0].ms) / (bench::Median(drawn[1].ms) + 1000.0), 2),
                                       "×", "ratio of the two medians, the second counted from 1 s earlier")
                                  .c_str());
    std::fflush(stdout);
    return drawn[0].Failed() || drawn[1].Failed() ? 1 : 0;
}

// ---------------------------------------------------------------- the kiosk session

// The session takes a run shorter than five seconds for a failed start; each
// measured station runs longer than that.
constexpr auto KioskShortestRun = 6s;
// By then a station has loaded its study page and idles.
constexpr auto StationSettled = 3s;

// Process groups that must end when the measurement does, last started first.
class Groups {
public:
    ~Groups()
    {
        for (auto it = groups_.rbegin(); it != groups_.rend(); ++it)
            EndGroup(*it);
    }
    void Add(pid_t group) { groups_.push_back(group); }
    void EndNow(pid_t group)
    {
        EndGroup(group);
        std::erase(groups_, group);
    }

private:
    std::vector<pid_t> groups_;
};

class ScratchFolder {
public:
    ScratchFolder()
    {
        char name[] = "/tmp/bench-kiosk.XXXXXX";
        if (!mkdtemp(name))
            throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
        path_ = name;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored); // symbolic links are removed, not followed
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A private X server: the kiosk session brings its own window manager, so it
// cannot share a display that has one. Returns the display's name.
std::string StartPrivateDisplay(Groups& groups)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    groups.Add(bench::Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-dpi",
                      "96", "-nolisten", "tcp", "-noreset"},
                     true));
    close(fds[1]);
    std::string number;
    pollfd in{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&in, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        throw std::runtime_error("Xvfb did not start");
    return ":" + number;
}

// The package's layout in a scratch folder, made of this build's pieces: the
// session script and the station's launcher in the launchers' folder, the
// station folder where they look for it. Returns the session script.
std::filesystem::path KioskRoot(const std::filesystem::path& root, const std::filesystem::path& session,
                                const std::filesystem::path& launcher, const std::filesystem::path& stationExe)
{
    namespace fs = std::filesystem;
    const fs::path bin = root / BENCH_LAUNCHER_DIR;
    fs::create_directories(bin);
    for (const fs::path& script : {session, launcher}) {
        // Configured into the build tree as plain files: made executable as installed.
        fs::copy_file(script, bin / script.filename());
        fs::permissions(bin / script.filename(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                     fs::perms::others_read | fs::perms::others_exec);
    }
    const fs::path folder = root / BENCH_STATION_DIR;
    fs::create_directories(folder.parent_path());
    fs::create_directory_symlink(fs::absolute(stationExe).parent_path(), folder);
    return bin / session.filename();
}

// What a display manager gives a session: its display, a home and a runtime
// folder of its own (both private, as Debian makes them), the session's names.
void SessionEnvironment(const std::filesystem::path& scratch, const std::string& display, const std::string& name)
{
    namespace fs = std::filesystem;
    for (const char* folder : {"home", "run"}) {
        fs::create_directory(scratch / folder);
        fs::permissions(scratch / folder, fs::perms::owner_all, fs::perm_options::replace);
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("HOME", (scratch / "home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (scratch / "run").c_str(), 1);
    setenv("XDG_SESSION_TYPE", "x11", 1);
    setenv("XDG_SESSION_CLASS", "user", 1);
    setenv("XDG_SESSION_DESKTOP", name.c_str(), 1);
    setenv("DESKTOP_SESSION", name.c_str(), 1);
}

// Closes the entry window through the window manager and waits for the
// station's process to end: the moment the close was asked for, and the end.
std::pair<Clock::time_point, Clock::time_point> CloseStation(bench::WindowWatch& watch, unsigned long entry)
{
    const std::optional<int> pid = watch.Pid(entry);
    if (!pid)
        throw std::runtime_error("the entry window names no process (_NET_WM_PID)");
    // By system call: Debian 12's <sys/pidfd.h> lacks the C linkage a C++ caller needs.
    const int exitFd = static_cast<int>(syscall(SYS_pidfd_open, *pid, 0));
    if (exitFd < 0)
        throw std::runtime_error(std::string("pidfd_open: ") + std::strerror(errno));
    const Clock::time_point asked = Clock::now();
    watch.RequestClose(entry);
    pollfd ended{exitFd, POLLIN, 0};
    const int ready = poll(&ended, 1, 30000);
    const Clock::time_point at = Clock::now();
    close(exitFd);
    if (ready != 1)
        throw std::runtime_error("the station did not end within 30 s of the close request");
    return {asked, at};
}

int Kiosk(int cycles, const std::string& sessionScript, const std::string& launcher, const std::string& stationExe)
{
    ScratchFolder scratch;
    Groups groups;
    const std::string display = StartPrivateDisplay(groups);
    const std::filesystem::path session = KioskRoot(scratch.Path() / "root", sessionScript, launcher, stationExe);
    SessionEnvironment(scratch.Path(), display, session.filename().string());
    bench::WindowWatch watch;
    watch.Forget();
    const pid_t sessionPid = bench::Spawn({session.string()}, true);
    groups.Add(sessionPid);
    std::optional<bench::SeenWindow> entry = watch.WaitViewable(EntryTitle, 60s);
    if (!entry)
        throw std::runtime_error("the kiosk session showed no entry window within 60 s");
    Clock::time_point stationStarted = Clock::now();

    std::vector<double> restart, closing, plain;
    for (int cycle = 0; cycle <= cycles; ++cycle) { // the first is a warm-up, not counted
        // A second station, started directly, while the session's own idles at its entry window.
        std::this_thread::sleep_until(stationStarted + StationSettled);
        std::string failure;
        const std::optional<double> plainMs = StartToWindow(watch, {stationExe}, EntryTitle, failure, true);
        if (!plainMs)
            throw std::runtime_error("plain start of the station: " + failure);
        std::this_thread::sleep_until(stationStarted + KioskShortestRun);
        watch.Forget();
        const auto [asked, ended] = CloseStation(watch, entry->id);
        stationStarted = ended;
        entry = watch.WaitViewable(EntryTitle, 60s);
        if (!entry)
            throw std::runtime_error("no entry window within 60 s of the station's end");
        if (cycle == 0)
            continue;
        restart.push_back(Millis(entry->at - ended));
        closing.push_back(Millis(ended - asked));
        plain.push_back(*plainMs);
        std::fprintf(stderr, "cycle %d: close to end %.1f ms, end to entry %.1f ms; plain start %.1f ms\n", cycle,
                     closing.back(), restart.back(), plain.back());
    }
    // Logging out ends the session's station with it; then only its end is awaited.
    const std::optional<int> last = watch.Pid(entry->id);
    groups.EndNow(sessionPid);
    if (last)
        EndGroup(*last);

    using bench::Fixed;
    const auto spread = [](const std::vector<double>& v) {
        return "; min " + Fixed(bench::Min(v), 1) + ", max " + Fixed(bench::Max(v), 1) + " ms";
    };
    const std::string where = "the kiosk session (session script, openbox with the kiosk configuration) on a "
                              "private Xvfb 1280x1024x24 at 96 dpi, started with a display manager's environment; ";
    const std::string cyclesText = std::to_string(cycles) + " cycles (one warm-up not counted)";
    bench::PrintRow("Kiosk: the station's end to the next entry window on screen", Fixed(bench::Median(restart), 1),
                    "ms",
                    "median of " + cyclesText + " in " + where +
                        "entry window closed through the window manager (_NET_CLOSE_WINDOW); clock from the "
                        "station process's end (its pidfd readable) to the X event after which the next entry "
                        "window is viewable" +
                        spread(restart));
    bench::PrintRow("Kiosk: plain start of the station to its entry window, same run", Fixed(bench::Median(plain), 1),
                    "ms",
                    "median of " + std::to_string(cycles) +
                        " starts, one before each cycle: fork of the program in its folder to its entry window "
                        "viewable, same display and window manager, while the session's own station idles at its "
                        "entry window (started 3 s before)" +
                        spread(plain));
    bench::PrintRow("Kiosk: station's end to next entry / plain start", Fixed(
                        bench::Median(restart) / bench::Median(plain), 2),
                    "×", "ratio of the two medians above");
    bench::PrintRow("Kiosk: close request to the station's end", Fixed(bench::Median(closing), 1), "ms",
                    "median over the same cycles: from sending _NET_CLOSE_WINDOW to the station process's end" +
                        spread(closing));
    return 0;
}

// ---------------------------------------------------------------- the kiosk's hold

const std::string HoldTitle = "Инструктаж [Демо] - Обратитесь к оператору";
constexpr const char* HoldPin = "4711";

// The station folder for the hold: this build's, entry by entry, but for the
// program, which gives way to a stand-in on every other start: a station
// whose briefing was started, told as the station tells it, which then idles
// until ended (its process id in `standIn`). The other starts run the real one.
std::filesystem::path KioskHoldRoot(const std::filesystem::path& root, const std::filesystem::path& session,
                                    const std::filesystem::path& launcher, const std::filesystem::path& stationExe,
                                    const std::filesystem::path& standIn)
{
    namespace fs = std::filesystem;
    const fs::path script = KioskRoot(root, session, launcher, stationExe);
    const fs::path folder = root / BENCH_STATION_DIR;
    const fs::path real = fs::absolute(stationExe);
    fs::remove(folder);
    fs::create_directory(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(real.parent_path()))
        if (entry.path().filename() != real.filename())
            fs::create_symlink(entry.path(), folder / entry.path().filename());
    const fs::path starts = standIn.string() + ".starts";
    FILE* out = std::fopen((folder / real.filename()).c_str(), "w");
    if (!out)
        throw std::runtime_error("cannot write the stand-in station");
    std::fprintf(out,
                 "#!/bin/sh\n"
                 "n=$(cat '%s' 2>/dev/null || echo 0); echo $((n + 1)) >'%s'\n"
                 "[ $((n %% 2)) = 1 ] && exec '%s'\n"
                 "echo 'briefing-station: started'\n"
                 "echo $$ >'%s.new' && mv '%s.new' '%s'\n"
                 "exec sleep 3600\n",
                 starts.c_str(), starts.c_str(), real.c_str(), standIn.c_str(), standIn.c_str(), standIn.c_str());
    std::fclose(out);
    fs::permissions(folder / real.filename(), fs::perms::owner_all);
    return script;
}

int KioskHold(int cycles, const std::string& sessionScript, const std::string& launcher, const std::string& stationExe,
              const std::string& bareExe)
{
    namespace fs = std::filesystem;
    ScratchFolder scratch;
    Groups groups;
    const std::string display = StartPrivateDisplay(groups);
    const fs::path standIn = scratch.Path() / "stand-in";
    const fs::path session =
        KioskHoldRoot(scratch.Path() / "root", sessionScript, launcher, stationExe, standIn);
    SessionEnvironment(scratch.Path(), display, session.filename().string());
    const fs::path pinFile = scratch.Path() / "kiosk-pin";
    setenv("BRIEFING_KIOSK_PIN_FILE", pinFile.c_str(), 1);
    const fs::path pinTool = fs::absolute(stationExe).parent_path() / "kiosk" / "briefing-kiosk-pin";
    if (RunToEnd({"/bin/sh", "-c", std::string("echo ") + HoldPin + " | '" + pinTool.string() + "'"}) != 0)
        throw std::runtime_error("briefing-kiosk-pin did not set the PIN");
    bench::WindowWatch watch;
    watch.Forget();
    const pid_t sessionPid = bench::Spawn({session.string()}, true);
    groups.Add(sessionPid);

    std::vector<double> shown, released, bare;
    for (int cycle = 0; cycle <= cycles; ++cycle) { // the first is a warm-up, not counted
        // The stand-in of a started briefing, idling: it is ended as a station ends.
        std::optional<int> pid;
        for (const Clock::time_point until = Clock::now() + 60s; !pid && Clock::now() < until;
             std::this_thread::sleep_for(50ms)) {
            FILE* in = std::fopen(standIn.c_str(), "r");
            int read = 0;
            if (in && std::fscanf(in, "%d", &read) == 1 && kill(read, 0) == 0)
                pid = read;
            if (in)
                std::fclose(in);
        }
        if (!pid)
            throw std::runtime_error("the session started no station within 60 s");
        fs::remove(standIn);
        std::this_thread::sleep_for(1s);
        watch.Forget();
        const int exitFd = static_cast<int>(syscall(SYS_pidfd_open, *pid, 0));
        if (exitFd < 0)
            throw std::runtime_error(std::string("pidfd_open: ") + std::strerror(errno));
        kill(*pid, SIGTERM);
        pollfd ended{exitFd, POLLIN, 0};
        const int ready = poll(&ended, 1, 30000);
        const Clock::time_point end = Clock::now();
        close(exitFd);
        if (ready != 1)
            throw std::runtime_error("the stand-in did not end");
        const std::optional<bench::SeenWindow> hold = watch.WaitViewable(HoldTitle, 60s);
        if (!hold)
            throw std::runtime_error("no hold view within 60 s of the station's end");
        // The PIN typed once the view has settled, then Enter.
        std::this_thread::sleep_for(1s);
        if (RunToEnd({"/usr/bin/xdotool", "type", HoldPin}) != 0)
            throw std::runtime_error("xdotool could not type the PIN");
        watch.Forget();
        const Clock::time_point enter = Clock::now();
        bench::Spawn({"/usr/bin/xdotool", "key", "Return"});
        const std::optional<bench::SeenWindow> entry = watch.WaitViewable(EntryTitle, 60s);
        if (!entry)
            throw std::runtime_error("no entry window within 60 s of the PIN");
        // A bare window's start in the same run, while the station idles at its entry window.
        std::this_thread::sleep_for(StationSettled);
        std::string failure;
        const std::optional<double> bareMs = StartToWindow(watch, {bareExe}, BareTitle, failure, true);
        if (!bareMs)
            throw std::runtime_error("bare window: " + failure);
        // A closed entry window: the session starts the next one (the stand-in) at once.
        std::this_thread::sleep_until(entry->at + KioskShortestRun);
        CloseStation(watch, entry->id);
        if (cycle == 0)
            continue;
        shown.push_back(Millis(hold->at - end));
        released.push_back(Millis(entry->at - enter));
        bare.push_back(*bareMs);
        std::fprintf(stderr, "cycle %d: end to hold %.1f ms, Enter to entry %.1f ms; bare window %.1f ms\n", cycle,
                     shown.back(), released.back(), bare.back());
    }
    groups.EndNow(sessionPid);

    using bench::Fixed;
    const auto spread = [](const std::vector<double>& v) {
        return "; min " + Fixed(bench::Min(v), 1) + ", max " + Fixed(bench::Max(v), 1) + " ms";
    };
    const std::string where = "median of " + std::to_string(cycles) +
                              " cycles (one warm-up not counted) in the kiosk session with an operator's PIN on a "
                              "private Xvfb 1280x1024x24 at 96 dpi; ";
    bench::PrintRow("Kiosk hold: the station's end to the hold view on screen", Fixed(bench::Median(shown), 1), "ms",
                    where +
                        "a stand-in station says \"briefing-station: started\" and is ended by TERM; clock from its "
                        "end (pidfd readable) to the hold view viewable" +
                        spread(shown));
    bench::PrintRow("Kiosk hold: Enter on the right PIN to the entry window on screen",
                    Fixed(bench::Median(released), 1), "ms",
                    where + "PIN typed by xdotool, clock from spawning `xdotool key Return` (its own start "
                            "included) to the real station's entry window viewable" +
                        spread(released));
    bench::PrintRow("Kiosk hold: start to a bare Qt window on screen, same run", Fixed(bench::Median(bare), 1), "ms",
                    "one start per cycle, the session's station idling at its entry window" + spread(bare));
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: bench_launch startup <runs> <bare-window-exe> <floor-window-exe> <page> <station-exe>\n"
                 "       bench_launch session <station-exe> <bare-window-exe> <floor-window-exe> <page> "
                 "<settle-seconds> <cpu-seconds>\n"
                 "       bench_launch press <runs> <station-exe> <bare-window-exe>\n"
                 "       bench_launch kiosk <cycles> <session-script> <station-launcher> <station-exe>\n"
                 "       bench_launch kiosk-hold <cycles> <session-script> <station-launcher> <station-exe> "
                 "<bare-window-exe>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Helpers whose parent has ended are re-parented to us, so the tree stays whole.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    try {
        if (args.size() == 6 && args[0] == "startup")
            return Startup(std::stoi(args[1]), args[2], args[3], args[4], args[5]);
        if (args.size() == 7 && args[0] == "session" && std::stoi(args[5]) >= 2)
            return Session(args[1], args[2], args[3], args[4], std::stoi(args[5]), std::stoi(args[6]));
        if (args.size() == 4 && args[0] == "press")
            return Press(std::stoi(args[1]), args[2], args[3]);
        if (args.size() == 5 && args[0] == "kiosk")
            return Kiosk(std::stoi(args[1]), args[2], args[3], args[4]);
        if (args.size() == 6 && args[0] == "kiosk-hold")
            return KioskHold(std::stoi(args[1]), args[2], args[3], args[4], args[5]);
    } catch (const std::exception& error) {
        // A measurement that could not be made is a row of its own, never a figure.
        bench::PrintRow("bench_launch " + (args.empty() ? std::string() : args[0]), "failed", "", error.what());
        std::fprintf(stderr, "bench_launch: %s\n", error.what());
        return 1;
    }
    return Usage();
}
