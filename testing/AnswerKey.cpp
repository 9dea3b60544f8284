#include "testing/AnswerKey.h"

#include "base/ContentFolders.h"

#include "toolkit/core/Errors.h"
#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"

namespace testrun {

void LoadAnswerKey(TestRunState& state, const LineSink& trace)
{
    state.AnswerFromKey = {};
    state.KeyError.clear();
    try {
        auto& key = state.AnswerList;
        key.Duplicates = tk::TDuplicates::dupIgnore;
        key.Sorted = false;
        key.CaseSensitive = false;
        key.Clear();
        if (!state.BankHeld)
            key.LoadFromFile(state.TestsDir + station::KeyName);
        else if (state.KeyBytes)
            key.SetText(*state.KeyBytes);
        else
            throw tk::Exception(tk::CannotOpenFileText(state.TestsDir + station::KeyName));
        trace(tk::IntToStr(key.Count()) + "- ответов");

        int s = 0;
        for (; s < QuestionsPerRun && s < key.Count(); ++s) {
            const auto slot = static_cast<std::size_t>(s);
            state.j = state.TestNo[slot] - 1;
            state.RightAnswer[slot] = tk::StrToInt(key.Strings(state.j));
            state.AnswerFromKey[slot] = true;
            trace("Преобразован ответ №" + tk::IntToStr(state.j) + " - "
                  + tk::IntToStr(state.RightAnswer[slot]));
        }
        if (s < QuestionsPerRun)
            state.KeyError = tk::ListIndexText(key.Count());
    } catch (const tk::Exception& error) {
        state.KeyError = error.Message();
        throw;
    }
}

} // namespace testrun
