#include "toolkit/Environment.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace tk {

namespace {
int pinnedPixelsPerInch = 0;
} // namespace

void ApplyApplicationDefaults()
{
    QApplication::setFont(StationFont(ScreenScale().WindowFontHeight()));
}

QFont StationFont(int characterHeight, bool bold)
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& candidate : {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                         QStringLiteral("Noto Sans"), QStringLiteral("FreeSans")})
            if (installed.contains(candidate))
                return candidate;
        return QStringLiteral("Sans Serif");
    }();
    QFont font(family);
    font.setPixelSize(characterHeight > 0 ? characterHeight : 1);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

int ScreenPixelsPerInch()
{
    if (pinnedPixelsPerInch > 0)
        return pinnedPixelsPerInch;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int ppi = qRound(screen->logicalDotsPerInch());
        if (ppi > 0)
            return ppi;
    }
    return 96;
}

DpiScale ScreenScale()
{
    return DpiScale(ScreenPixelsPerInch());
}

void SetPixelsPerInchOverride(int pixelsPerInch)
{
    pinnedPixelsPerInch = pixelsPerInch;
}

} // namespace tk
