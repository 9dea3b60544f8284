#pragma once

#include "testing/TestRunState.h"

#include <cstdint>

namespace testrun {

// Question pages are counted relative to the current directory.
inline constexpr const char* TestSearchPattern = "TESTS/TEST*.htm";

// Adds every entry matching `pattern` (folders and hidden files included,
// "." and ".." not) to state.TestCount and returns it. A missing folder adds 0.
std::int32_t CountTests(TestRunState& state, const std::string& pattern = TestSearchPattern);

// A draw needs five distinct pages; with fewer it would never end.
bool HasEnoughPages(const TestRunState& state);

} // namespace testrun
