// The cost of preparing a test run (what every activation of the test window
// does before the first page is asked for), for banks of growing size: as it
// was, with the key read and the pages left on disk, and as the station does
// it, with the bank folder held and the five pages and the key read at once.
#include "Report.h"

#include "base/ContentFolders.h"
#include "testing/AnswerKey.h"
#include "testing/Draw.h"
#include "testing/QuestionBank.h"
#include "testing/RunBank.h"
#include "testing/TestPaths.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// TEST1..TEST<pages>.htm of about 1.5 kB, as the bank tool writes them, and a
// key of as many lines, every answer 1.
void WriteBank(const fs::path& root, int pages)
{
    fs::create_directories(root / station::BankFolder);
    std::string key;
    std::string text;
    while (text.size() < 1400)
        text += "Вопрос и три варианта ответа. ";
    for (int n = 1; n <= pages; ++n) {
        std::ofstream(root / station::PageFile(n))
            << "<html><body><p>Вопрос " << n << "</p><p>" << text << "</p></body></html>\n";
        key += "1\r\n";
    }
    std::ofstream(root / station::KeyFile, std::ios::binary) << key;
}

struct Timings {
    std::vector<double> total, count, draw, paths, key;
};

// held: the station's way, the folder held from before the count and the
// pages and key read from it; otherwise the key alone, from its path.
Timings Measure(const fs::path& root, Clock::duration budget, bool held)
{
    const fs::path previous = fs::current_path();
    fs::current_path(root); // the question pages are counted relative to it
    const std::string exeFolder = root.string() + "/";
    std::size_t traced = 0;
    const testrun::LineSink sink = [&traced](const std::string& line) { traced += line.size(); };

    testrun::TestRunState state;
    testrun::Lcg random;
    tk::HeldFolder folder;
    Timings t;
    const Clock::time_point until = Clock::now() + budget;
    for (std::uint32_t rep = 0; (Clock::now() < until || rep < 30) && rep < 20000; ++rep) {
        const Clock::time_point t0 = Clock::now();
        testrun::Reset(state);
        if (held && !folder.Open(exeFolder + station::BankFolder))
            throw std::runtime_error("the bank folder cannot be opened");
        testrun::CountTests(state);
        const Clock::time_point t1 = Clock::now();
        random.Seed(rep);
        testrun::DrawQuestions(state, random, sink);
        const Clock::time_point t2 = Clock::now();
        testrun::BuildTestPaths(state, exeFolder, sink);
        if (held)
            testrun::HoldRunBank(state, folder);
        const Clock::time_point t3 = Clock::now();
        testrun::LoadAnswerKey(state, sink);
        const Clock::time_point t4 = Clock::now();
        folder.Close();
        if (rep == 0)
            continue; // the first one warms the directory and file caches
        t.total.push_back(Micros(t4 - t0));
        t.count.push_back(Micros(t1 - t0));
        t.draw.push_back(Micros(t2 - t1));
        t.paths.push_back(Micros(t3 - t2));
        t.key.push_back(Micros(t4 - t3));
    }
    fs::current_path(previous);
    return t;
}

} // namespace

int main()
{
    char pattern[] = "/tmp/bench-preparation-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path base(made);
    int status = 0;
    try {
        for (int pages : {5, 100, 10000}) {
            const fs::path root = base / std::to_string(pages);
            WriteBank(root, pages);
            for (const bool held : {false, true}) {
                const Timings t = Measure(root, std::chrono::milliseconds(1500), held);
                using bench::Fixed;
                using bench::Median;
                bench::PrintRow(std::string(held ? "Preparation of a run with its pages held" : "Preparation of a run") +
                                    ", bank of " + std::to_string(pages) + " pages",
                                Fixed(Median(t.total), 1), "µs",
                                "median of " + std::to_string(t.total.size()) + " preparations (Reset, " +
                                    (held ? "the bank folder opened and locked, " : "") +
                                    "CountTests, DrawQuestions, BuildTestPaths, " +
                                    (held ? "five pages and the key read, " : "") +
                                    "LoadAnswerKey) in a temp bank, warm caches; medians of the steps: " +
                                    (held ? "opening, CountTests " : "CountTests ") +
                                    Fixed(Median(t.count), 1) + ", DrawQuestions " + Fixed(Median(t.draw), 1) +
                                    ", BuildTestPaths" + (held ? " and reading " : " ") + Fixed(Median(t.paths), 1) +
                                    ", LoadAnswerKey " + Fixed(Median(t.key), 1) + " µs");
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_preparation: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    fs::remove_all(base, ignored);
    return status;
}
