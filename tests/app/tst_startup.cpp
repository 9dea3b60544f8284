// Start-up: the title, the three windows in order, only the entry window on
// screen, and exit code 0 whatever happens.
#include "RecordingView.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"

#include "app/Startup.h"
#include "ui/Indoor.h"
#include "ui/Main.h"
#include "ui/Testview.h"

#include "toolkit/Application.h"

#include "toolkit/core/Exception.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

class StartupTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int argc = 1;
    char name[20] = "briefing-station";
    char* argv[2] = {name, nullptr};

private slots:
    void init() { tk::SetExeNameOverride((dir.path() + QStringLiteral("/briefing-station")).toStdString()); }
    void cleanup()
    {
        tk::SetExeNameOverride("");
        InstrPath.clear();
        QVERIFY(!tk::Application());
        QVERIFY(!Form1 && !Form2 && !TestForm);
    }

    void createsTheWindowsInOrderAndShowsOnlyTheEntryWindow()
    {
        ScriptedDialogs boxes;
        QStringList order;
        StartupHooks hooks;
        hooks.beforeCreate = [&](int window) {
            order << QStringLiteral("%1:%2%3%4").arg(window).arg(Form2 != nullptr).arg(Form1 != nullptr).arg(TestForm != nullptr);
        };
        bool checked = false;
        hooks.beforeRun = [&] {
            QTimer::singleShot(0, [&] {
                checked = true;
                // Closed however the checks end, so that a failed one ends the run at once.
                const auto close = qScopeGuard([] {
                    if (Form2)
                        Form2->Close();
                });
                QCOMPARE(tk::Application()->Title(), QStringLiteral("Инструктаж [Демо-версия]"));
                // What the task bar groups the windows under; the captions stay the windows' own.
                QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Инструктаж [Демо-версия]"));
                QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Инструктаж [Демо-версия]"));
                QCOMPARE(Form2->windowTitle(), QStringLiteral("Инструктаж [Демо] - Вход"));
                QCOMPARE(tk::Application()->MainForm(), Form2);
                QVERIFY(Form2->isVisible());
                QVERIFY(!Form1->isVisible());
                QVERIFY(!TestForm->isVisible());
                QCOMPARE(tk::Application()->ActiveForm(), Form2);
                // The study page began loading in the hidden window; the bar is full.
                QCOMPARE(Recording(Form1->CppWebBrowser1)->urls,
                         QStringList{dir.path() + QStringLiteral("/res/INSTR.htm")});
                QCOMPARE(Form1->ProgressBar1->Position(), 600);
                QVERIFY(!Form1->Timer1->Enabled());
                QVERIFY(Recording(TestForm->CppWebBrowser1)->urls.isEmpty());
            });
        };
        QCOMPARE(StationMain(argc, argv, hooks), 0);
        QVERIFY(checked);
        QCOMPARE(order, (QStringList{"1:000", "2:100", "3:110"}));
        // A missing study page is no business of the station's: no box at all.
        QVERIFY(boxes.Shown().empty());
    }

    void aWindowThatCannotBeCreatedIsShownAndTheExitCodeIsZero_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("toolkitError");
        QTest::addColumn<QString>("shown");
        QTest::newRow("study window, toolkit error") << 2 << true << "Окно не создано.";
        QTest::newRow("test window, any other value") << 3 << false << "";
        QTest::newRow("entry window, toolkit error") << 1 << true << "Окно не создано.";
    }
    void aWindowThatCannotBeCreatedIsShownAndTheExitCodeIsZero()
    {
        QFETCH(int, window);
        QFETCH(bool, toolkitError);
        QFETCH(QString, shown);
        ScriptedDialogs boxes;
        boxes.Expect(shown);
        StartupHooks hooks;
        hooks.beforeCreate = [&](int w) {
            if (w != window)
                return;
            if (toolkitError)
                throw tk::Exception("Окно не создано");
            throw 7;
        };
        bool loopStarted = false; // ended at once, so that the failure shows without waiting
        hooks.beforeRun = [&] {
            loopStarted = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        };
        QCOMPARE(StationMain(argc, argv, hooks), 0);
        QVERIFY2(!loopStarted, "the event loop must not start");
        QVERIFY2(boxes.Failures().isEmpty(), qPrintable(boxes.Failures().join('\n')));
        QCOMPARE(boxes.Shown().front().kind, tk::BoxKind::Error);
        QCOMPARE(boxes.Shown().front().caption, QStringLiteral("Инструктаж [Демо-версия]"));
    }
};

STATION_TEST_MAIN(StartupTest)
#include "tst_startup.moc"
