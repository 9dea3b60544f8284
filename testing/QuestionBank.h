#pragma once

#include "testing/TestRunState.h"

#include "base/ContentFolders.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testrun {

// The entries a page search finds (folders and hidden files included, "."
// and ".." not), in the order of the search. A missing folder gives none.
std::vector<std::string> ListPages(const std::string& pattern = station::PageSearchPattern);

// Adds every entry that ListPages finds to state.TestCount and returns it.
std::int32_t CountTests(TestRunState& state, const std::string& pattern = station::PageSearchPattern);

// A draw needs five distinct pages; with fewer it would never end.
bool HasEnoughPages(const TestRunState& state);

} // namespace testrun
