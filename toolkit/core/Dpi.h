#pragma once
// Window scaling: layouts are drawn at 120 pixels per inch with a window font
// whose text height is 16 pixels. On another screen the font is scaled first,
// then everything else by the new text height over 16.
#include <cstdint>

namespace tk {

inline constexpr int DesignPixelsPerInch = 120;
inline constexpr int DesignFontHeight = 13;   // character height of the default font
inline constexpr int DesignTextHeight = 16;   // its text height (character height plus leading)

// Integer a*b/c rounded half away from zero, the rounding every scaled size uses.
constexpr int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c > 0 ? c : -c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const std::int64_t magnitude = ((p < 0 ? -p : p) + half) / (c > 0 ? c : -c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// Text height of the default sans font for a character height: its bitmap
// sizes carry three pixels of leading per thirteen, rounded up.
constexpr int TextHeightFor(int characterHeight)
{
    return (characterHeight * DesignTextHeight + DesignFontHeight - 1) / DesignFontHeight;
}

class DpiScale {
public:
    constexpr explicit DpiScale(int pixelsPerInch)
        : fontHeight_(MulDiv(DesignFontHeight, pixelsPerInch, DesignPixelsPerInch)),
          textHeight_(TextHeightFor(fontHeight_))
    {
    }
    // The window font's character height on this screen.
    constexpr int WindowFontHeight() const { return fontHeight_; }
    constexpr int TextHeight() const { return textHeight_; }
    // Positions, sizes and the font heights of controls.
    constexpr int operator()(int designPixels) const
    {
        return MulDiv(designPixels, textHeight_, DesignTextHeight);
    }

private:
    int fontHeight_;
    int textHeight_;
};

} // namespace tk
