#pragma once
// Colours as the layouts give them: 0x00BBGGRR values, or a system colour
// that follows the desktop scheme.
#include <QColor>
#include <cstdint>

namespace tk {

using TColor = std::int64_t;

inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clBlack = 0x000000;

// System colours are negative, so they never collide with a fixed one.
inline constexpr TColor clActiveBorder = -10;
inline constexpr TColor clScrollBar = -1;
inline constexpr TColor clHighlight = -13;
inline constexpr TColor clHotLight = -26;
inline constexpr TColor clWindowText = -8;

QColor ToQColor(TColor color);

} // namespace tk
