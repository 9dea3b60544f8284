// Shows one box exactly as the station shows its boxes (same toolkit, same
// fonts, same X server), so that a test can tell by pixels whether the box the
// station put up carries the expected text. On standard output it prints one
// line per button, "<caption> <x> <y> <width> <height>" relative to the box's
// client area, so that the test knows where to click the station's own box.
//
//   e2e-boxshow message TITLE TEXT   the plain message (title as caption)
//   e2e-boxshow error   TITLE TEXT   the error box (TEXT as shown, ending in ".")
//   e2e-boxshow ok      CAPTION TEXT the system box with one OK button
//   e2e-boxshow yesno   CAPTION TEXT the system box with Yes and No
//   e2e-boxshow wide    TITLE TEXT   a plain message far wider than its caption,
//                                    whose title bar shows the whole caption
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <string>

namespace {

void PrintButtonsOnceShown()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
        QTimer::singleShot(20, PrintButtonsOnceShown);
        return;
    }
    for (QAbstractButton* button : box->buttons()) {
        const QRect r(button->mapTo(box, QPoint(0, 0)), button->size());
        std::printf("%s %d %d %d %d\n", button->text().toUtf8().constData(), r.x(), r.y(), r.width(), r.height());
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s message|error|ok|yesno|wide TITLE TEXT\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    if (kind != "message" && kind != "error" && kind != "ok" && kind != "yesno" && kind != "wide") {
        std::fprintf(stderr, "unknown box kind %s\n", argv[1]);
        return 2;
    }
    const QString title = QString::fromUtf8(argv[2]);
    const QString text = QString::fromUtf8(argv[3]);
    tk::Initialize(argc, argv);
    tk::Application()->SetTitle(title);
    QTimer::singleShot(0, PrintButtonsOnceShown);
    if (kind == "message")
        tk::ShowMessage(text);
    else if (kind == "wide")
        tk::ShowMessage(text + QString(80, QLatin1Char('x')));
    else if (kind == "error")
        tk::ShowErrorText(text);
    else
        tk::MessageBox(text, title, kind == "ok" ? tk::MB_OK : tk::MB_YESNO);
    tk::Finalize();
    return 0;
}
