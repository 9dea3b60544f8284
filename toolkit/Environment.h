#pragma once
// What the process sets up before and right after the Qt application object
// exists: the browser engine's part (engine/Process.h, which the bank tool's
// print shares), our own DPI rule instead of Qt's, and the default font.
#include "toolkit/core/Dpi.h"
#include "toolkit/engine/Process.h"

#include <QFont>

namespace tk {

void ApplyApplicationDefaults();

// "MS Sans Serif" and its kin do not exist here; the layouts' fonts map to a
// Cyrillic sans family with the same character heights.
QFont StationFont(int characterHeight, bool bold = false);

// The screen's density and the scale that follows from it. Tests pin the density.
int ScreenPixelsPerInch();
DpiScale ScreenScale();
void SetPixelsPerInchOverride(int pixelsPerInch); // 0: read the screen

} // namespace tk
