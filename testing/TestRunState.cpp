#include "testing/TestRunState.h"

namespace testrun {

void Reset(TestRunState& state)
{
    state.TestCount = 0;
    state.i = 0;
    state.j = 0;
    state.QQ = 0;
    state.RightAnswer = {2, 1, 2, 2, 2};
    state.Answer = 0;
    state.AnswerFromKey = {};
    state.KeyError.clear();
    state.BankHeld = false;
    state.PageBytes = {};
    state.KeyBytes.reset();
}

} // namespace testrun
