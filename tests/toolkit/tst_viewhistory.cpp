// Back and forward in the real browser-engine view: the gestures move through
// the pages reached by links, never back past the page the station itself
// last showed, also when a page forwards to another one as it loads; and a
// page whose script never ends holds back no other page.
#include "EngineView.h"
#include "TestMain.h"

#include <QFileInfo>
#include <QWebEngineHistory>
#include <QWebEnginePage>

using engine::Evaluate;
using engine::Gesture;
using engine::Perform;
using engine::Shows;
using engine::StaysOn;
using engine::Title;

Q_DECLARE_METATYPE(engine::Gesture)

class ViewHistoryTest : public QObject {
    Q_OBJECT
    std::unique_ptr<engine::StationFolder> folder;
    std::unique_ptr<engine::ViewWindow> w;

    void stationShows(std::string_view relative, const QString& title)
    {
        QVERIFY(engine::Navigate(w->view, folder->Path(relative)));
        QCOMPARE(Title(w->view), title);
    }
    void follow(const QString& id, const QString& title)
    {
        Evaluate(w->view, QStringLiteral("document.getElementById('%1').click(); 1").arg(id));
        QVERIFY(Shows(w->view, title));
    }
    static void backGestures()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::newRow("Alt+Left") << Gesture::AltLeft;
        QTest::newRow("Backspace") << Gesture::Backspace;
        QTest::newRow("the mouse's back button") << Gesture::MouseBack;
        QTest::newRow("a script's history.back()") << Gesture::ScriptBack;
        QTest::newRow("a script's history.go(-1)") << Gesture::ScriptGoBack;
    }

private slots:
    void initTestCase() { w = std::make_unique<engine::ViewWindow>(); }
    void cleanupTestCase() { w.reset(); }
    void init()
    {
        QVERIFY(tk::WebEngineAvailable());
        folder = std::make_unique<engine::StationFolder>();
        folder->Page("TESTS/TEST1.htm", QStringLiteral("Question 1"),
                     QStringLiteral("<a id=hint href=hint1.htm>hint</a>"));
        folder->Page("TESTS/hint1.htm", QStringLiteral("Hint 1"));
        folder->Page("TESTS/TEST2.htm", QStringLiteral("Question 2"),
                     QStringLiteral("<a id=hint href=hint2.htm>hint</a>"));
        folder->Page("TESTS/hint2.htm", QStringLiteral("Hint 2"), QStringLiteral("<input id=field value=abc>"));
        folder->Page("res/INSTR.htm", QStringLiteral("Study"), QStringLiteral("<a id=more href=more.htm>more</a>"));
        folder->Page("res/more.htm", QStringLiteral("More"), QStringLiteral("<a id=deeper href=deeper.htm>deeper</a>"));
        folder->Page("res/deeper.htm", QStringLiteral("Deeper"));
    }
    void cleanup() { folder.reset(); }

    void theQuestionBeforeNeverComesBack_data() { backGestures(); }
    void theQuestionBeforeNeverComesBack()
    {
        QFETCH(Gesture, gesture);
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        follow(QStringLiteral("hint"), QStringLiteral("Hint 1"));
        stationShows("TESTS/TEST2.htm", QStringLiteral("Question 2"));
        Perform(w->view, gesture);
        QVERIFY(StaysOn(w->view, QStringLiteral("Question 2")));
        Perform(w->view, gesture);
        QVERIFY(StaysOn(w->view, QStringLiteral("Question 2")));
        QCOMPARE(engine::PageOf(w->view)->history()->count(), 1);
    }

    void aLinkThenBackReturnsToTheStudyPage_data() { backGestures(); }
    void aLinkThenBackReturnsToTheStudyPage()
    {
        QFETCH(Gesture, gesture);
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        stationShows("res/INSTR.htm", QStringLiteral("Study"));
        follow(QStringLiteral("more"), QStringLiteral("More"));
        follow(QStringLiteral("deeper"), QStringLiteral("Deeper"));
        Perform(w->view, gesture);
        QVERIFY(Shows(w->view, QStringLiteral("More")));
        Perform(w->view, gesture);
        QVERIFY(Shows(w->view, QStringLiteral("Study")));
        // The study page is the floor: one more step back goes nowhere.
        Perform(w->view, gesture);
        QVERIFY(StaysOn(w->view, QStringLiteral("Study")));
    }

    void forwardGesturesGoForwardAgain_data()
    {
        QTest::addColumn<Gesture>("forward");
        QTest::newRow("Alt+Right") << Gesture::AltRight;
        QTest::newRow("the mouse's forward button") << Gesture::MouseForward;
    }
    void forwardGesturesGoForwardAgain()
    {
        QFETCH(Gesture, forward);
        stationShows("res/INSTR.htm", QStringLiteral("Study"));
        follow(QStringLiteral("more"), QStringLiteral("More"));
        Perform(w->view, Gesture::AltLeft);
        QVERIFY(Shows(w->view, QStringLiteral("Study")));
        Perform(w->view, forward);
        QVERIFY(Shows(w->view, QStringLiteral("More")));
    }

    void backspaceInATextFieldEditsTheText()
    {
        stationShows("TESTS/TEST2.htm", QStringLiteral("Question 2"));
        follow(QStringLiteral("hint"), QStringLiteral("Hint 2"));
        Evaluate(w->view, QStringLiteral("var f = document.getElementById('field'); f.focus();"
                                         "f.setSelectionRange(3, 3); 1"));
        QWidget* input = engine::InputOf(w->view);
        QVERIFY(engine::WaitFor([&] { return input->testAttribute(Qt::WA_InputMethodEnabled); }, 10000));
        Perform(w->view, Gesture::Backspace);
        QVERIFY(engine::WaitFor(
            [&] { return Evaluate(w->view, QStringLiteral("document.getElementById('field').value")) == QStringLiteral("ab"); },
            10000));
        QVERIFY(StaysOn(w->view, QStringLiteral("Hint 2")));
    }

    void aGestureWhileTheStationNavigatesUndoesNothing_data() { backGestures(); }
    void aGestureWhileTheStationNavigatesUndoesNothing()
    {
        QFETCH(Gesture, gesture);
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        follow(QStringLiteral("hint"), QStringLiteral("Hint 1"));
        w->view->Navigate(folder->Path("TESTS/TEST2.htm"));
        Perform(w->view, gesture); // before the new page has loaded
        QVERIFY(Shows(w->view, QStringLiteral("Question 2")));
        QVERIFY(StaysOn(w->view, QStringLiteral("Question 2")));
        Perform(w->view, gesture);
        QVERIFY(StaysOn(w->view, QStringLiteral("Question 2")));
    }

    void aQuestionPageThatGoesBackAsItLoadsStays()
    {
        folder->Page("TESTS/TEST2.htm", QStringLiteral("Question 2"),
                     QStringLiteral("<script>history.back(); history.go(-2)</script>"
                                    "<img src=x.png onerror='history.back()'>"));
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        stationShows("TESTS/TEST2.htm", QStringLiteral("Question 2"));
        QVERIFY(StaysOn(w->view, QStringLiteral("Question 2")));
    }

    void theQuestionBeforeStaysOnScreenUntilTheNextIsThere()
    {
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        w->view->Navigate(folder->Path("TESTS/TEST2.htm"));
        QStringList seen; // what the view on top shows, as it changes
        QVERIFY(engine::WaitFor(
            [&] {
                QWebEnginePage* page = engine::PageOf(w->view);
                const QString now = page->isLoading() ? QStringLiteral("(loading)") : page->title();
                if (seen.isEmpty() || seen.last() != now)
                    seen << now;
                return now == QStringLiteral("Question 2");
            },
            10000));
        QCOMPARE(seen, (QStringList{QStringLiteral("Question 1"), QStringLiteral("Question 2")}));
    }

    void aMissingQuestionPageKeepsThePreviousOneAway()
    {
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        const QString missing = folder->Path("TESTS/TEST9.htm");
        QVERIFY(engine::Navigate(w->view, missing)); // the engine's own error page
        const QString errorTitle = Title(w->view);
        QVERIFY(errorTitle != QStringLiteral("Question 1"));
        Perform(w->view, Gesture::AltLeft);
        QVERIFY(StaysOn(w->view, errorTitle));
        Perform(w->view, Gesture::MouseBack);
        QVERIFY(StaysOn(w->view, errorTitle));
    }

    void aBusyPageHoldsBackNoOtherPage()
    {
        // The study page's script never ends; the first question's starts once it is shown.
        folder->Page("res/INSTR.htm", QStringLiteral("Study"), QStringLiteral("<script>for (;;) {}</script>"));
        folder->Page("TESTS/TEST1.htm", QStringLiteral("Question 1"),
                     QStringLiteral("<script>onload = function() { setTimeout(function() { for (;;) {} }, 100) }</script>"));
        engine::ViewWindow study;
        study.window->hide();
        study.view->Navigate(folder->Path("res/INSTR.htm"));
        engine::Wait(500);
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        engine::Wait(500);
        const qint64 busy = engine::PageOf(w->view)->renderProcessPid();
        stationShows("TESTS/TEST2.htm", QStringLiteral("Question 2"));
        // The busy page went with its renderer.
        QVERIFY(engine::WaitFor([&] { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(busy)); }, 10000));
    }

    void aPagesOwnForwardIsFollowed_data()
    {
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("body");
        QTest::newRow("a script in the head") << QStringLiteral("<script>location.replace('forwarded.htm')</script>") << QString();
        QTest::newRow("onload") << QString() << QStringLiteral("<script>onload = function() { location.href = 'forwarded.htm' }</script>");
        QTest::newRow("a meta refresh") << QStringLiteral("<meta http-equiv=refresh content='0; url=forwarded.htm'>") << QString();
        QTest::newRow("a timer") << QString() << QStringLiteral("<script>setTimeout(function() { location.href = 'forwarded.htm' }, 300)</script>");
    }
    void aPagesOwnForwardIsFollowed()
    {
        QFETCH(QString, head);
        QFETCH(QString, body);
        folder->File("TESTS/TEST2.htm",
                     QStringLiteral("<!DOCTYPE html><html><head><meta charset=utf-8><title>Question 2</title>%1</head>"
                                    "<body>two%2</body></html>").arg(head, body).toUtf8());
        folder->Page("TESTS/forwarded.htm", QStringLiteral("Forwarded"));
        stationShows("TESTS/TEST1.htm", QStringLiteral("Question 1"));
        follow(QStringLiteral("hint"), QStringLiteral("Hint 1"));
        w->view->Navigate(folder->Path("TESTS/TEST2.htm"));
        QVERIFY2(Shows(w->view, QStringLiteral("Forwarded")), qPrintable(Title(w->view)));
        // The question before stays behind the floor.
        for (const Gesture gesture : {Gesture::AltLeft, Gesture::MouseBack, Gesture::AltLeft}) {
            Perform(w->view, gesture);
            engine::Wait(1000); // back to the forwarding page, if anywhere, and on again
            QVERIFY2(Shows(w->view, QStringLiteral("Forwarded")), qPrintable(Title(w->view)));
        }
        for (const QWebEngineHistoryItem& item : engine::PageOf(w->view)->history()->items())
            QVERIFY2(!item.url().path().contains(QStringLiteral("1.htm")), qPrintable(item.url().toString()));
    }
};

STATION_TEST_MAIN(ViewHistoryTest)
#include "tst_viewhistory.moc"
