#pragma once

#include "base/Questions.h"

#include "toolkit/core/StringList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace testrun {

using station::QuestionsPerRun;

struct TestRunState {
    std::int32_t TestCount = 0;
    std::array<std::int32_t, QuestionsPerRun> TestNo{};
    std::array<std::int32_t, QuestionsPerRun> RightAnswer{};
    std::int32_t Answer = 0;
    std::int32_t i = 0; // scratch index of the draw
    std::int32_t j = 0; // scratch index of the draw and the key loading
    std::int32_t Verdict = 0;
    std::int32_t QQ = 0;
    std::int32_t CleanCompares = 0;
    std::array<std::string, QuestionsPerRun> TestPath;
    std::string TestsDir;
    tk::TStringList AnswerList;
    std::uint8_t RetryUsed = 0;
    std::uint32_t ResultColor = 0x808080;

    // Which slots hold a right answer read from the key. A slot without one
    // must not be graded; KeyError then says why.
    std::array<bool, QuestionsPerRun> AnswerFromKey{};
    std::string KeyError;

    // The run's own copy of its bank, read at the draw (see RunBank.h): the
    // drawn pages slot by slot (none where a page could not be read) and the
    // key. Without it the key is read from TestsDir.
    bool BankHeld = false;
    std::array<std::optional<std::string>, QuestionsPerRun> PageBytes;
    std::optional<std::string> KeyBytes;
};

// Start of a run: counters, placeholders 2, 1, 2, 2, 2, the key flags and
// the held bank.
// TestNo, TestPath, TestsDir, CleanCompares, Verdict and RetryUsed stay.
void Reset(TestRunState& state);

} // namespace testrun
