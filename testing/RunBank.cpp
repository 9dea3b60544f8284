#include "testing/RunBank.h"

#include "base/ContentFolders.h"

namespace testrun {

void HoldRunBank(TestRunState& state, const tk::HeldFolder& folder)
{
    state.BankHeld = true;
    for (std::size_t s = 0; s < state.PageBytes.size(); ++s)
        state.PageBytes[s] = folder.Read(station::PageName(state.TestNo[s]), MaxHeldFileBytes);
    state.KeyBytes = folder.Read(station::KeyName, MaxHeldFileBytes);
}

} // namespace testrun
