#include "testing/Grading.h"

#include "testing/TestRunState.h"

namespace testrun {

std::int32_t CheckAnswer(std::int32_t index, std::int32_t chosen, std::int32_t right, std::uint8_t retry)
{
    if (chosen == right)
        return index >= QuestionsPerRun - 1 ? VerdictPassed : VerdictNext;
    return retry == 1 ? VerdictFailed : VerdictSecondChance;
}

} // namespace testrun
