#include "toolkit/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace tk {

QColor ToQColor(TColor color)
{
    if (color >= 0) {
        const auto v = static_cast<std::uint32_t>(color);
        return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    }
    const QPalette palette = QGuiApplication::palette();
    switch (color) {
    case clActiveBorder:
        return palette.color(QPalette::Active, QPalette::Mid);
    case clScrollBar:
        return palette.color(QPalette::Active, QPalette::Midlight);
    case clHighlight:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case clHotLight:
        return palette.color(QPalette::Active, QPalette::Link);
    case clWindowText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    default:
        return palette.color(QPalette::Active, QPalette::Window);
    }
}

} // namespace tk
