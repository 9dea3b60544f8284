// The operators' bank tool as the operator runs it: the import of banks of
// 1,000 and 50,000 questions and the print of banks of 100 and 1,000, wall
// time and peak memory.
//   bench_bank BRIEFING_BANK CONTENT_DIR
#include "ProcessTree.h"
#include "Report.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

struct Run {
    double seconds = 0;
    long long maxRssKiB = 0;   // of the tool's own process (wait4)
    bench::Memory treePeak;    // of the tool and every helper it started, sampled
};

// Runs the command to its end, sampling the memory of its process tree.
Run Measure(const std::vector<std::string>& command)
{
    bench::TreeSampler tree(getpid());
    const Clock::time_point start = Clock::now();
    const pid_t pid = bench::Spawn(command);
    Run run;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
        const bench::Memory now = tree.Sample();
        run.treePeak.pssKiB = std::max(run.treePeak.pssKiB, now.pssKiB);
        run.treePeak.rssKiB = std::max(run.treePeak.rssKiB, now.rssKiB);
        std::this_thread::sleep_for(20ms);
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.maxRssKiB = usage.ru_maxrss;
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    } // helpers that were handed to us
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command[1] + " failed (status " + std::to_string(status) + ")");
    return run;
}

// A bank in the Aiken format as operators keep one: questions of a line or
// two in Russian, three choices each.
void WriteQuestions(const fs::path& file, int count)
{
    std::ofstream out(file, std::ios::binary);
    for (int n = 1; n <= count; ++n)
        out << "Вопрос " << n << ". Что обязан сделать работник, если заметил неисправность оборудования, "
            << "ограждения или средств защиты на своём рабочем месте?\n"
            << "А) Продолжить работу, но быть внимательнее\n"
            << "Б) Прекратить работу и сообщить непосредственному руководителю\n"
            << "В) Исправить неисправность самостоятельно\n"
            << "ОТВЕТ: " << (n % 3 == 0 ? "А" : n % 3 == 1 ? "Б" : "В") << "\n\n";
}

// "1,000", "50,000"
std::string Thousands(int n)
{
    return n < 1000 ? std::to_string(n) : std::to_string(n / 1000) + "," + std::string(3 - std::to_string(n % 1000).size(), '0') + std::to_string(n % 1000);
}

double MiB(long long kib) { return static_cast<double>(kib) / 1024.0; }

std::vector<double> Seconds(const std::vector<Run>& runs)
{
    std::vector<double> seconds;
    for (const auto& run : runs)
        seconds.push_back(run.seconds);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_bank BRIEFING_BANK CONTENT_DIR\n");
        return 2;
    }
    // Helpers whose parent has ended are re-parented to us, so the tree stays whole.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    const std::string tool = fs::absolute(argv[1]).string();
    char pattern[] = "/tmp/bench-bank-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base(pattern);
    int status = 0;
    try {
        using bench::Fixed;
        const fs::path station = base / "station";
        fs::create_directories(station);
        fs::copy(fs::path(argv[2]) / "res", station / "res", fs::copy_options::recursive);

        // The import: a bank of a usual size and one at the scale some
        // operators keep (fewer runs: it writes fifty thousand files).
        for (const auto& [count, runs] : {std::pair{1000, 5}, std::pair{50000, 3}}) {
            const fs::path questions = base / (std::to_string(count) + ".txt");
            WriteQuestions(questions, count);
            std::vector<Run> imports;
            for (int k = 0; k < runs; ++k)
                imports.push_back(Measure({tool, "import", "--replace", questions.string(), station.string()}));
            long long importRss = 0;
            for (const auto& run : imports)
                importRss = std::max(importRss, run.maxRssKiB);
            const std::string name = "Import of a " + Thousands(count) + "-question bank";
            bench::PrintRow(name + " (Aiken, UTF-8, " + std::to_string(fs::file_size(questions) / 1024) + " KiB)",
                            Fixed(1000.0 * bench::Median(Seconds(imports)), 0), "ms",
                            "median of " + std::to_string(runs) + " runs of briefing-bank import --replace (read, parse, "
                            + Thousands(count) + " pages and the key written beside the old bank, synced, swapped in, "
                            "the checker's notes worked out); min " + Fixed(1000.0 * bench::Min(Seconds(imports)), 0)
                            + ", max " + Fixed(1000.0 * bench::Max(Seconds(imports)), 0) + " ms");
            bench::PrintRow(name + ": peak memory", Fixed(MiB(importRss), 1), "MiB",
                            "largest maximum resident set of the process over the runs (wait4)");
        }

        // The print: two pages are rendered at once, in two renderer processes.
        for (const auto& [count, runs] : {std::pair{100, 3}, std::pair{1000, 1}}) {
            const fs::path questions = base / (std::to_string(count) + "-print.txt");
            WriteQuestions(questions, count);
            Measure({tool, "import", "--replace", questions.string(), station.string()});
            std::vector<Run> prints;
            const std::string pdf = (base / "bank.pdf").string();
            for (int k = 0; k < runs; ++k)
                prints.push_back(Measure({tool, "print", station.string(), pdf}));
            bench::Memory peak;
            long long printRss = 0;
            for (const auto& run : prints) {
                peak.pssKiB = std::max(peak.pssKiB, run.treePeak.pssKiB);
                peak.rssKiB = std::max(peak.rssKiB, run.treePeak.rssKiB);
                printRss = std::max(printRss, run.maxRssKiB);
            }
            const std::string name = "Print of a " + Thousands(count) + "-question bank";
            bench::PrintRow(name + " to PDF", Fixed(bench::Median(Seconds(prints)), 2), "s",
                            (runs > 1 ? "median of " + std::to_string(runs) + " runs" : std::string("one run"))
                            + " of briefing-bank print (first page, demo study page and " + Thousands(count)
                            + " question pages rendered by the browser engine, two at a time, joined by qpdf, "
                            + std::to_string(fs::file_size(pdf) / 1024) + " KiB); min "
                            + Fixed(bench::Min(Seconds(prints)), 2) + ", max " + Fixed(bench::Max(Seconds(prints)), 2) + " s");
            bench::PrintRow(name + ": peak memory of the process tree (PSS / RSS)",
                            Fixed(MiB(peak.pssKiB), 1) + " / " + Fixed(MiB(peak.rssKiB), 1), "MiB",
                            "the tool and the engine's helper processes, sampled every 20 ms from /proc; the tool's own "
                            "maximum resident set " + Fixed(MiB(printRss), 1) + " MiB (wait4)");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_bank: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    fs::remove_all(base, ignored);
    return status;
}
