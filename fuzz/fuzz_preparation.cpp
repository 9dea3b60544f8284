// The whole preparation of a run over a bank the input makes up: the number
// of pages, odd names, gaps, folders and links among them, the key and the
// seed. Count, draw, paths and key must keep their promises, and a folder the
// content checker passes must prepare cleanly.
#include "Reference.h"

#include "testing/AnswerKey.h"
#include "testing/Draw.h"
#include "testing/QuestionBank.h"
#include "testing/Random.h"
#include "testing/TestPaths.h"
#include "testing/TestRunState.h"
#include "toolkit/core/Exception.h"
#include "tools/ContentCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

using fuzzref::Expect;

bool MatchesPagePattern(const std::string& name)
{
    if (name.size() < 8)
        return false;
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower.starts_with("test") && lower.ends_with(".htm");
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Makes the TESTS folder; returns how many of its entries match TEST*.htm.
int MakeBank(FuzzedDataProvider& input, const fs::path& tests)
{
    std::set<std::string> names;
    const auto add = [&](const std::string& name, int kind) {
        if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos
            || name == "." || name == ".." || name == "ANS.a" || !names.insert(name).second)
            return;
        const fs::path path = tests / name;
        std::error_code ec;
        if (kind == 1)
            fs::create_directory(path, ec);
        else if (kind == 2)
            fs::create_symlink("nowhere.htm", path, ec);
        else
            WriteFile(path, "<p>" + name + "</p>");
        if (ec)
            names.erase(name);
    };

    const int pages = input.ConsumeIntegralInRange(5, 64);
    for (int n = 1; n <= pages; ++n) {
        const std::string number = std::to_string(n);
        switch (input.ConsumeIntegralInRange(0, 15)) {
        case 9: break; // a gap
        case 10: add("test" + number + ".HTM", 0); break;
        case 11: add("TEST" + number + ".htm", 1); break;
        case 12: add("TEST0" + number + ".htm", 0); break;
        case 13: add("TEST" + number + ".html", 0); break;
        case 14: add("TEST" + number + ".htm", 0), add("Test" + number + ".htm", 0); break;
        case 15: add("TEST" + number + ".htm", 2); break;
        default: add("TEST" + number + ".htm", 0); break;
        }
    }
    // A few names of the input's own making.
    const int odd = input.ConsumeIntegralInRange(0, 3);
    for (int k = 0; k < odd; ++k) {
        const std::string middle = input.ConsumeRandomLengthString(12);
        const char* ends[] = {".htm", ".HTM", "", ".htm.bak"};
        add((input.ConsumeBool() ? "TEST" : "test") + middle + ends[input.ConsumeIntegralInRange(0, 3)],
            input.ConsumeIntegralInRange(0, 2));
    }
    return static_cast<int>(std::count_if(names.begin(), names.end(), MatchesPagePattern));
}

// Mostly a key of valid answers in any layout, now and then with a flaw;
// sometimes raw bytes.
std::string MakeKey(FuzzedDataProvider& input)
{
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        return input.ConsumeRandomLengthString(512);
    const char* ends[] = {"\r\n", "\n", "\r"};
    const char* flaws[] = {"", " ", "\t", "4", "0", "x", "$3", " 2", "+1", "2147483648"};
    std::string key;
    const int lines = input.ConsumeIntegralInRange(0, 70);
    for (int k = 0; k < lines; ++k) {
        const int answer = input.ConsumeIntegralInRange(1, 3);
        const int flaw = input.ConsumeIntegralInRange(0, 40);
        if (flaw < 10)
            key += flaws[flaw];
        else
            key += std::to_string(answer);
        if (flaw == 11)
            key += ' ';
        if (k + 1 < lines || input.ConsumeBool())
            key += ends[input.ConsumeIntegralInRange(0, 2)];
    }
    return key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzzref::ScratchFolder scratch;
    FuzzedDataProvider input(data, size);
    const fs::path root = scratch.Path() / "station";
    fs::remove_all(root);
    fs::create_directories(root / "TESTS");
    fs::create_directories(root / "res");
    WriteFile(root / "res" / "INSTR.htm", "<p>briefing</p>");

    const int matching = MakeBank(input, root / "TESTS");
    const bool withKey = input.ConsumeIntegralInRange(0, 15) != 0;
    const std::string key = MakeKey(input);
    if (withKey)
        WriteFile(root / "TESTS" / "ANS.a", key);
    const auto seed = input.ConsumeIntegral<std::uint32_t>();

    testrun::TestRunState state;
    testrun::Reset(state);
    const std::int32_t count = testrun::CountTests(state, (root / "TESTS").string() + "/TEST*.htm");
    Expect(count == matching && state.TestCount == count, "CountTests");

    testrun::Lcg random;
    random.Seed(seed);
    std::vector<std::string> trace;
    const testrun::LineSink sink = [&](const std::string& line) { trace.push_back(line); };
    if (!testrun::HasEnoughPages(state)) {
        Expect(count < testrun::QuestionsPerRun, "HasEnoughPages");
        try {
            testrun::DrawQuestions(state, random, sink);
            fuzzref::Fail("a draw began with fewer than five pages");
        } catch (const std::logic_error&) {
        }
        Expect(contentcheck::CheckStation(root).Faults() > 0, "the checker passed a bank that cannot start");
        return 0;
    }

    const int comparisons = testrun::DrawQuestions(state, random, sink);
    Expect(comparisons >= 10 && comparisons <= 45, "comparisons " + std::to_string(comparisons));
    const std::set<std::int32_t> distinct(state.TestNo.begin(), state.TestNo.end());
    Expect(distinct.size() == 5 && *distinct.begin() >= 1 && *distinct.rbegin() <= count, "drawn numbers");
    for (const auto& line : trace)
        Expect(line == "косяк" || (line.size() == 3 && line[1] == '-' && line[0] > line[2]), "draw trace " + line);

    trace.clear();
    const std::string exeFolder = root.string() + "/";
    testrun::BuildTestPaths(state, exeFolder, sink);
    Expect(state.TestsDir == exeFolder + "TESTS/", "TestsDir");
    for (std::size_t s = 0; s < 5; ++s) {
        Expect(state.TestPath[s] == exeFolder + "TESTS/TEST" + std::to_string(state.TestNo[s]) + ".htm", "TestPath");
        Expect(trace[s] == state.TestPath[s], "path trace");
    }

    bool thrown = false;
    try {
        testrun::LoadAnswerKey(state, sink);
    } catch (const tk::Exception&) {
        thrown = true;
    }
    const auto lines = fuzzref::SplitLines(withKey ? key : std::string());
    const std::array<std::int32_t, 5> placeholders{2, 1, 2, 2, 2};
    bool clean = !thrown;
    for (std::size_t s = 0; s < 5; ++s) {
        clean = clean && fs::is_regular_file(state.TestPath[s]);
        if (!state.AnswerFromKey[s]) {
            Expect(state.RightAnswer[s] == placeholders[s], "placeholder kept");
            Expect(!state.KeyError.empty(), "a slot without an answer and no KeyError");
            clean = false;
            continue;
        }
        const auto line = static_cast<std::size_t>(state.TestNo[s] - 1);
        Expect(withKey && line < lines.size(), "an answer from a line the key lacks");
        const auto value = fuzzref::StrToInt(lines[line]);
        Expect(value && *value == state.RightAnswer[s], "answer differs from its key line");
        clean = clean && *value >= 1 && *value <= 3;
    }
    // Whatever the checker passes, every run prepares cleanly.
    if (contentcheck::CheckStation(root).Faults() == 0)
        Expect(clean, "the checker passed a bank whose run went wrong");
    return 0;
}
