#pragma once

#include "base/Questions.h"

#include "toolkit/core/StringList.h"

#include <array>
#include <cstdint>
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
};

// Start of a run: counters, placeholders 2, 1, 2, 2, 2 and the key flags.
// TestNo, TestPath, TestsDir, CleanCompares, Verdict and RetryUsed stay.
void Reset(TestRunState& state);

} // namespace testrun
