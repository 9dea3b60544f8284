#include "toolkit/engine/Process.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QString>

#include <unistd.h>

namespace tk {

namespace {
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
    // No Qt::AA_ShareOpenGLContexts: it would set OpenGL up inside the
    // application object's constructor, before the first window. The browser
    // engine's module shares the contexts itself when it loads (toolkit/EngineModule.h).
    // Nothing may reach the disk: neither Qt's nor Mesa's shader caches.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    qputenv("MESA_GLSL_CACHE_DISABLE", "true");
    // Chromium's own caches and crash dumps stay off as well.
    AppendChromiumFlags("--disable-gpu-shader-disk-cache --disk-cache-size=1 --disable-breakpad "
                        "--disable-background-networking --disable-component-update --no-pings");
    // Pages reach no network (see Pages.cpp). Should a page's script
    // still get hold of a peer connection, or of any other route past the
    // check on requests, it sends no UDP and has only a proxy whose name
    // never resolves, and no name is ever looked up.
    AppendChromiumFlags("--force-webrtc-ip-handling-policy=disable_non_proxied_udp "
                        "--proxy-server=http://nowhere.invalid:1 --host-resolver-rules=\"MAP * ~NOTFOUND\"");
    // Without a session's runtime folder Qt creates one in /tmp while it looks
    // for a display socket. Point it at a private folder that already exists;
    // nothing is ever written there.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString session = QStringLiteral("/run/user/%1").arg(::getuid());
        const QString home = QDir::homePath();
        for (const QString& candidate : {session, home}) {
            const QFileInfo info(candidate);
            if (info.isDir() && info.ownerId() == ::getuid() &&
                info.permissions() == (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                                       QFile::WriteUser | QFile::ExeUser)) {
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(candidate));
                break;
            }
        }
    }
    // The browser view composites in software: briefing pages need no GPU, and
    // a GL-composited window would be redrawn whole at every tick of the clock.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    // The windows scale themselves by the screen's density; Qt must not do it again.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

void KeepTemporaryFilesOff()
{
    // The engine keeps a download it has not been asked about in a temporary
    // file. Where no file can be made, a page's download ends before it starts.
    qputenv("TMPDIR", "/dev/null");
}

bool WebEngineAvailable()
{
    const QString helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
    const QByteArray configured = qgetenv("QTWEBENGINE_PROCESS_PATH");
    if (!configured.isEmpty())
        return QFileInfo(QString::fromLocal8Bit(configured)).isExecutable();
    return QFileInfo(helper).isExecutable();
}

} // namespace tk
