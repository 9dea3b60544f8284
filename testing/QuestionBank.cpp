#include "testing/QuestionBank.h"

#include "toolkit/core/FileSearch.h"

namespace testrun {

std::vector<std::string> ListPages(const std::string& pattern)
{
    std::vector<std::string> names;
    tk::TSearchRec rec;
    for (int found = tk::FindFirst(pattern, tk::faAnyFile, rec); found == 0; found = tk::FindNext(rec)) {
        if (rec.Name != "." && rec.Name != "..")
            names.push_back(rec.Name);
    }
    tk::FindClose(rec);
    return names;
}

std::int32_t CountTests(TestRunState& state, const std::string& pattern)
{
    state.TestCount += static_cast<std::int32_t>(ListPages(pattern).size());
    return state.TestCount;
}

bool HasEnoughPages(const TestRunState& state) { return state.TestCount >= QuestionsPerRun; }

} // namespace testrun
