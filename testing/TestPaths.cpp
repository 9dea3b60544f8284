#include "testing/TestPaths.h"

#include "toolkit/core/StrToInt.h"

namespace testrun {

void BuildTestPaths(TestRunState& state, const std::string& exeFolder, const LineSink& trace)
{
    state.TestsDir = exeFolder + "TESTS/";
    for (std::size_t s = 0; s < state.TestPath.size(); ++s) {
        state.TestPath[s] = state.TestsDir + "TEST" + tk::IntToStr(state.TestNo[s]) + ".htm";
        trace(state.TestPath[s]);
    }
}

} // namespace testrun
