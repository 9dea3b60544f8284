// The input is an answer key file. It is loaded for five pages drawn as the
// station draws them, and every line goes through StrToInt; both must agree
// with the reference readings and never crash.
#include "Reference.h"

#include "testing/AnswerKey.h"
#include "testing/Draw.h"
#include "testing/Random.h"
#include "testing/TestRunState.h"
#include "toolkit/core/Errors.h"
#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"
#include "tools/KeyLine.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace {

using fuzzref::Expect;

// What LoadAnswerKey must leave, worked out from the lines alone.
struct Expected {
    std::array<std::int32_t, testrun::QuestionsPerRun> right{2, 1, 2, 2, 2};
    std::array<bool, testrun::QuestionsPerRun> fromKey{};
    std::string error;
    bool thrown = false;
    std::vector<std::string> trace;
};

Expected Model(const std::vector<std::string>& lines, const testrun::TestRunState& state)
{
    Expected e;
    const int count = static_cast<int>(lines.size());
    e.trace.push_back(std::to_string(count) + "- ответов");
    int s = 0;
    for (; s < testrun::QuestionsPerRun && s < count; ++s) {
        const auto slot = static_cast<std::size_t>(s);
        const int line = state.TestNo[slot] - 1;
        if (line < 0 || line >= count) {
            e.error = "List index out of bounds (" + std::to_string(line) + ")";
            e.thrown = true;
            return e;
        }
        const auto value = fuzzref::StrToInt(lines[static_cast<std::size_t>(line)]);
        if (!value) {
            e.error = "'" + lines[static_cast<std::size_t>(line)] + "' is not a valid integer value";
            e.thrown = true;
            return e;
        }
        e.right[slot] = *value;
        e.fromKey[slot] = true;
        e.trace.push_back("Преобразован ответ №" + std::to_string(line) + " - " + std::to_string(*value));
    }
    if (s < testrun::QuestionsPerRun)
        e.error = "List index out of bounds (" + std::to_string(count) + ")";
    return e;
}

void CheckStrToInt(const std::string& line)
{
    const auto expected = fuzzref::StrToInt(line);
    try {
        const auto value = tk::StrToInt(line);
        Expect(expected && *expected == value, "StrToInt read a line the rules reject, or misread it");
    } catch (const tk::Exception& error) {
        Expect(!expected, "StrToInt rejected a line the rules accept");
        Expect(error.Message() == tk::NotValidIntegerText(line), "StrToInt error text");
    }
    // The checker explains exactly the lines the station cannot read.
    Expect(contentcheck::KeyLineProblem(line).empty() == expected.has_value(), "KeyLineProblem disagrees");
}

std::uint32_t Hash(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t h = 2166136261u;
    for (std::size_t k = 0; k < size; ++k)
        h = (h ^ data[k]) * 16777619u;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzzref::ScratchFolder scratch;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(scratch.Path() / "ANS.a", std::ios::binary | std::ios::trunc) << bytes;

    const auto lines = fuzzref::SplitLines(bytes);
    for (const auto& line : lines)
        CheckStrToInt(line);

    // A bank one page larger than the key, so some draws ask past its end.
    testrun::TestRunState state;
    testrun::Reset(state);
    state.TestsDir = scratch.Path().string() + "/";
    state.TestCount = std::max<std::int32_t>(testrun::QuestionsPerRun, static_cast<std::int32_t>(
                                                                             std::min<std::size_t>(lines.size() + 1, 1 << 20)));
    testrun::Lcg random;
    random.Seed(Hash(data, size));
    testrun::DrawQuestions(state, random, [](const std::string&) {});

    const Expected expected = Model(lines, state);
    std::vector<std::string> trace;
    bool thrown = false;
    try {
        testrun::LoadAnswerKey(state, [&](const std::string& line) { trace.push_back(line); });
    } catch (const tk::Exception& error) {
        thrown = true;
        Expect(error.Message() == state.KeyError, "thrown text differs from KeyError");
    }
    Expect(thrown == expected.thrown, "LoadAnswerKey threw when it should not, or the reverse");
    Expect(state.KeyError == expected.error, "KeyError");
    Expect(state.AnswerFromKey == expected.fromKey, "AnswerFromKey");
    Expect(state.RightAnswer == expected.right, "RightAnswer");
    Expect(trace == expected.trace, "trace lines");
    Expect(state.AnswerList.Count() == static_cast<int>(lines.size()), "line count");
    for (int k = 0; k < state.AnswerList.Count(); ++k)
        Expect(state.AnswerList.Strings(k) == lines[static_cast<std::size_t>(k)], "line " + std::to_string(k + 1));
    return 0;
}
