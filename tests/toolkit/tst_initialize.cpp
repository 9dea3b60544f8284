// Start-up hands Qt none of the command line: options Qt would take for its
// own (-reverse, -qwindowtitle, -platform, -style) change nothing.
#include "toolkit/Application.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QStyle>
#include <QWindow>
#include <QtTest>

class InitializeTest : public QObject {
    Q_OBJECT

private slots:
    void qtSeesTheProgramNameAlone()
    {
        QCOMPARE(QCoreApplication::arguments(), QStringList{QStringLiteral("/opt/briefing-station/briefing-station")});
    }

    void qtsOwnOptionsChangeNothing()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        QVERIFY(QApplication::style()->name().compare(QStringLiteral("windows"), Qt::CaseInsensitive) != 0);
        tk::TApplication app;
        tk::TForm form(QStringLiteral("Инструктаж [Демо] - Вход"), QSize(338, 381));
        form.Show();
        QCOMPARE(form.windowHandle()->title(), QStringLiteral("Инструктаж [Демо] - Вход"));
        QVERIFY(!form.isRightToLeft());
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    char program[] = "/opt/briefing-station/briefing-station";
    char reverse[] = "-reverse";
    char title[] = "-qwindowtitle";
    char titleValue[] = "Подмена";
    char platform[] = "-platform";
    char platformValue[] = "minimal";
    char style[] = "-style";
    char styleValue[] = "windows";
    char* commandLine[] = {program, reverse, title, titleValue, platform, platformValue, style, styleValue, nullptr};
    int count = 8;
    tk::Initialize(count, commandLine);
    int status = 0;
    {
        InitializeTest test;
        status = QTest::qExec(&test, argc, argv);
    }
    tk::Finalize();
    return status;
}

#include "tst_initialize.moc"
