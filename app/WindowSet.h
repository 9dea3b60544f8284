#pragma once
// The station's window set: the title, then the three windows in their order,
// each in its instance variable. Start-up, the window tests and the
// benchmarks all create it through here.
#include "base/Title.h"

#include <functional>

namespace tk {
class TApplication;
}

namespace station {

// Sets the title and creates Form2 (the entry window, hence the main window),
// Form1 and TestForm. beforeCreate runs before each window (1, 2, 3).
void CreateWindowSet(tk::TApplication& app, const std::function<void(int window)>& beforeCreate = {});

} // namespace station
