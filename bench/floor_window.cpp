// The stack's floor for the start-up and memory figures: a window of the
// entry window's design size and, made before it is shown, one hidden
// browser-engine view of the station's toolkit loading a page (the study
// page given as the argument). What any program with such a view pays.
#include "toolkit/Environment.h"
#include "toolkit/HtmlView.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    tk::PrepareProcessEnvironment();
    QApplication app(argc, argv);
    tk::SetEngineModule(QStringLiteral(BENCH_ENGINE_MODULE));
    QWidget window;
    window.setWindowTitle(QStringLiteral("bench-floor-window"));
    window.setFixedSize(338, 381);
    tk::TCppWebBrowser* view = tk::CreateWebEngineView(&window);
    view->hide();
    if (argc > 1)
        view->Navigate(QString::fromLocal8Bit(argv[1]));
    window.show();
    return QApplication::exec();
}
