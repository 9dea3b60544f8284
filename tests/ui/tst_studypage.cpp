// The study window with the real browser-engine view loads the real study page.
#include "EngineView.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"

#include "ui/Main.h"

#include "toolkit/Application.h"

#include <QSignalSpy>

class StudyPageTest : public QObject {
    Q_OBJECT

private slots:
    void theStudyPageLoadsInTheHiddenWindowAtCreation()
    {
        tk::SetHtmlViewFactory(nullptr); // the real engine
        engine::UseBuiltEngine();
        tk::SetStationFolder(STATION_CONTENT "/");
        ScriptedDialogs boxes;
        TForm1* form = nullptr; // outlives the application, which clears it when freeing the window
        tk::TApplication app;
        // The page starts loading inside the creation handler; listen from the first event on.
        QList<bool> loads;
        QMetaObject::Connection connection;
        QTimer::singleShot(0, [&] {
            connection = QObject::connect(form->CppWebBrowser1, &tk::TCppWebBrowser::PageLoaded,
                                          [&](bool ok) { loads << ok; });
        });
        app.CreateForm(form);
        QVERIFY(!form->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!loads.isEmpty(), 60000);
        QCOMPARE(loads, QList<bool>{true});
        QCOMPARE(InstrPath, std::string(STATION_CONTENT "/res/INSTR.htm"));
        QVERIFY(boxes.Shown().empty());
        tk::SetStationFolder("");
    }
};

STATION_TEST_MAIN(StudyPageTest)
#include "tst_studypage.moc"
