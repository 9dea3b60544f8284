#pragma once
// Where a control of a layout lies in a window on screen: the window's client
// size tells which text height the station scaled it with.
#include "toolkit/core/Dpi.h"

#include <optional>
#include <utility>

namespace bench {

// The text height that scales the design client size to the one on screen.
inline std::optional<int> TextHeightForClient(int designWidth, int designHeight, int width, int height)
{
    for (int textHeight = 1; textHeight <= 256; ++textHeight)
        if (tk::MulDiv(designWidth, textHeight, tk::DesignTextHeight) == width &&
            tk::MulDiv(designHeight, textHeight, tk::DesignTextHeight) == height)
            return textHeight;
    return std::nullopt;
}

// The centre of a design rectangle, scaled the way the layouts scale each
// position and size, in client coordinates.
inline std::pair<int, int> ScaledCentre(int left, int top, int width, int height, int textHeight)
{
    const auto s = [textHeight](int v) { return tk::MulDiv(v, textHeight, tk::DesignTextHeight); };
    return {s(left) + s(width) / 2, s(top) + s(height) / 2};
}

} // namespace bench
