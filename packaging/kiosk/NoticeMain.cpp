// briefing-kiosk-notice SECONDS TEXT: shows TEXT in the station's message box
// for SECONDS and ends by itself (exit 0); 2 for a wrong call. When no box can
// be shown at all, Qt ends the program at once with an error, and the kiosk
// session, seeing it end early, still waits out the time.
#include "Notice.h"

#include "base/Title.h"
#include "toolkit/Application.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    const std::optional<int> seconds = argc == 3 ? kiosk::ParseSeconds(argv[1]) : std::nullopt;
    if (!seconds) {
        std::fprintf(stderr, "usage: %s SECONDS(1-%d) TEXT\n", argv[0], kiosk::MaxSeconds);
        return 2;
    }
    const QString text = QString::fromUtf8(argv[2]);
    tk::Initialize(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    tk::Application()->SetTitle(QString::fromUtf8(station::ApplicationTitle));
    kiosk::ShowUntil(text, std::chrono::seconds(*seconds));
    tk::Finalize();
    return 0;
}
