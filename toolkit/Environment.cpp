#include "toolkit/Environment.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace tk {

namespace {
int pinnedPixelsPerInch = 0;

void AppendChromiumFlags(const QByteArray& flags)
{
    QByteArray current = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!current.isEmpty())
        current += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", current + flags);
}
} // namespace

void PrepareProcessEnvironment()
{
    // The HTML view shares GL contexts with the widgets; must precede QApplication.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Nothing may reach the disk: neither Qt's nor Mesa's shader caches.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    qputenv("MESA_GLSL_CACHE_DISABLE", "true");
    // Chromium's own caches and crash dumps stay off as well.
    AppendChromiumFlags("--disable-gpu-shader-disk-cache --disk-cache-size=1 --disable-breakpad "
                        "--disable-background-networking --disable-component-update --no-pings");
    // The windows scale themselves by the screen's density; Qt must not do it again.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

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
