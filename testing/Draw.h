#pragma once

#include "testing/LineSink.h"
#include "testing/Random.h"
#include "testing/TestRunState.h"

namespace testrun {

// Fills TestNo with five distinct page numbers in 1..TestCount: a first draw
// in 1..TestCount-1 from `random`, then DeduplicateDraw. Returns the number of
// comparisons made. Throws std::logic_error when TestCount < 5.
int DrawQuestions(TestRunState& state, Lcg& random, const LineSink& trace);

// The de-duplication scan over the current TestNo: on a collision the earlier
// slot is raised by one past the later (trace "i-j"), or set to 1 when the
// later already holds TestCount (trace "косяк"), and the scan starts again.
// Ends after a pass of all ten pairs without a collision; returns the number
// of comparisons made.
int DeduplicateDraw(TestRunState& state, const LineSink& trace);

} // namespace testrun
