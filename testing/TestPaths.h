#pragma once

#include "testing/LineSink.h"
#include "testing/TestRunState.h"

#include <string>

namespace testrun {

// TestsDir := exeFolder + "TESTS/", TestPath[s] := TestsDir + "TEST<n>.htm",
// one trace line per path. exeFolder ends with '/'.
void BuildTestPaths(TestRunState& state, const std::string& exeFolder, const LineSink& trace);

} // namespace testrun
