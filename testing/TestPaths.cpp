#include "testing/TestPaths.h"

#include "base/ContentFolders.h"

namespace testrun {

void BuildTestPaths(TestRunState& state, const std::string& exeFolder, const LineSink& trace)
{
    state.TestsDir = exeFolder + station::BankFolder + "/";
    for (std::size_t s = 0; s < state.TestPath.size(); ++s) {
        state.TestPath[s] = state.TestsDir + station::PageName(state.TestNo[s]);
        trace(state.TestPath[s]);
    }
}

} // namespace testrun
