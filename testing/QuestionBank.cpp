#include "testing/QuestionBank.h"

#include "toolkit/core/FileSearch.h"

namespace testrun {

std::int32_t CountTests(TestRunState& state, const std::string& pattern)
{
    tk::TSearchRec rec;
    for (int found = tk::FindFirst(pattern, tk::faAnyFile, rec); found == 0; found = tk::FindNext(rec)) {
        if (rec.Name != "." && rec.Name != "..")
            ++state.TestCount;
    }
    tk::FindClose(rec);
    return state.TestCount;
}

bool HasEnoughPages(const TestRunState& state) { return state.TestCount >= QuestionsPerRun; }

} // namespace testrun
