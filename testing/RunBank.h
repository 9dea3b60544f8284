#pragma once
// One run, one bank. The pages a person is shown and the key that grades the
// answers are read together at the draw, from the one bank folder held open
// (and locked against a swap) for the run, and kept until the run ends. A bank
// replaced, emptied or removed meanwhile changes nothing in the run.
#include "testing/TestRunState.h"

#include "toolkit/core/HeldFolder.h"

#include <cstddef>

namespace testrun {

// Larger files are not read into memory; such a page is shown as one that
// could not be read.
inline constexpr std::size_t MaxHeldFileBytes = 64u << 20;

// Reads the pages of TestNo and the key from the folder into state.
void HoldRunBank(TestRunState& state, const tk::HeldFolder& folder);

} // namespace testrun
