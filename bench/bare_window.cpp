// The yardstick for the start-up figure: the least a Qt Widgets program does
// to put a window of the entry window's design size on screen.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bench-bare-window"));
    window.setFixedSize(338, 381);
    window.show();
    return QApplication::exec();
}
