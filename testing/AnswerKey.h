#pragma once

#include "testing/LineSink.h"
#include "testing/TestRunState.h"

namespace testrun {

// Loads TestsDir + "ANS.a" (as held for the run, when it is) into AnswerList and converts the right answers of
// the drawn pages, slot by slot, while the key has lines. Slots it reaches get
// their value and AnswerFromKey set; a failure (tk::Exception: the file, a
// line the key lacks, a line that is no number) stops it at that slot, is
// stored in KeyError and thrown on. A key with fewer than five lines that
// stops the loop early leaves the remaining slots unset and KeyError naming
// the first line the key lacks.
void LoadAnswerKey(TestRunState& state, const LineSink& trace);

} // namespace testrun
