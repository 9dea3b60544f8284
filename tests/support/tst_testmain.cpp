// The window tests' main runs on the platform asked for in QT_QPA_PLATFORM,
// and offscreen when none is asked for.
#include "TestMain.h"

class TestMainTest : public QObject {
    Q_OBJECT

private slots:
    void runsOnThePlatformAskedFor()
    {
        QCOMPARE(QGuiApplication::platformName(), qEnvironmentVariable("STATION_EXPECTED_PLATFORM"));
    }
};

STATION_TEST_MAIN(TestMainTest)
#include "tst_testmain.moc"
