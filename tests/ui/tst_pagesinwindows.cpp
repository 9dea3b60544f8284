// The real windows with the real browser-engine view: the keys in the page
// when each window is shown, links inside the material and back again on the
// study window, a previous question that never
// comes back on the test window, pages that try to lead the person away, and
// the engine starting only once the entry window is on screen.
#include "EngineView.h"
#include "StationFixture.h"
#include "TestMain.h"

#include "app/Startup.h"
#include "base/ContentFolders.h"

#include <QKeySequence>
#include <QSignalSpy>
#include <QWebEngineView>
#include <QWindow>

using engine::Gesture;
using engine::Shows;
using engine::StaysOn;

namespace {
const std::vector<int> Key = {1, 2, 3, 1, 2};
} // namespace

class PagesInWindowsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<StationFixture> station;

    // The study page as the station shows it, with `body`, on the study window.
    void studyWindowWith(const QString& body)
    {
        station->folder.Page(station::StudyPage, QStringLiteral("Study"), body);
        // The window set was made before the page existed; its creation handler's navigation again.
        Form1->CppWebBrowser1->Navigate(QString::fromStdString(InstrPath));
        Form2->Show();
        Form2->Button1->click();
        QVERIFY(Form1->isVisible());
        QVERIFY(Shows(Form1->CppWebBrowser1, QStringLiteral("Study")));
    }
    void click(tk::TCppWebBrowser* view, const QString& id)
    {
        engine::Evaluate(view, QStringLiteral("document.getElementById('%1').click(); 1").arg(id));
    }
    QString questionOnScreen() const { return QStringLiteral("Question %1").arg(TestRun.TestNo[TestRun.QQ]); }

private slots:
    void init()
    {
        engine::UseBuiltEngine();
        QVERIFY(tk::WebEngineAvailable());
        tk::SetHtmlViewFactory(nullptr); // the real engine
        // As at start-up: the views are made held and start after the windows.
        tk::HoldHtmlViews();
        station = std::make_unique<StationFixture>();
        tk::ReleaseHtmlViews();
        station->WriteBank(5, Key);
        for (int n = 1; n <= 5; ++n)
            station->folder.Page(station::PageFile(n), QStringLiteral("Question %1").arg(n), "<a id=hint href=hint.htm>?</a>");
        station->folder.Page("TESTS/hint.htm", "Hint").Page("res/more.htm", "More");
    }
    void cleanup()
    {
        if (!station)
            return InstallRecordingViews();
        QVERIFY2(station->boxes.Failures().isEmpty(), qPrintable(station->boxes.Failures().join('\n')));
        station.reset();
        InstallRecordingViews();
    }

    void onTheStudyWindowALinkAndBackReturnToTheStudyPage()
    {
        studyWindowWith(QStringLiteral("<a id=more href=more.htm>more</a>"));
        tk::TCppWebBrowser* view = Form1->CppWebBrowser1;
        click(view, QStringLiteral("more"));
        QVERIFY(Shows(view, QStringLiteral("More")));
        engine::Perform(view, Gesture::AltLeft);
        QVERIFY(Shows(view, QStringLiteral("Study")));
        engine::Perform(view, Gesture::MouseBack);
        QVERIFY(StaysOn(view, QStringLiteral("Study")));
        QVERIFY(Form1->Timer1->Enabled());
    }

    void onTheTestWindowThePreviousQuestionNeverComesBack()
    {
        studyWindowWith({});
        station->boxes.Expect(QStringLiteral("Перейти к тестированию?"));
        Form1->Button2->click();
        QVERIFY(TestForm->isVisible());
        tk::TCppWebBrowser* view = TestForm->CppWebBrowser1;
        const QString first = questionOnScreen();
        QVERIFY(Shows(view, first));
        click(view, QStringLiteral("hint"));
        QVERIFY(Shows(view, QStringLiteral("Hint")));
        station->Answer(station->RightAnswerOnScreen(Key));
        const QString second = questionOnScreen();
        QVERIFY(second != first);
        QVERIFY(Shows(view, second));
        for (const Gesture gesture : {Gesture::AltLeft, Gesture::Backspace, Gesture::MouseBack, Gesture::ScriptBack})
            engine::Perform(view, gesture);
        QVERIFY(StaysOn(view, second));
        QCOMPARE(TestForm->StaticText2->Caption(), QStringLiteral("4"));
    }

    void theKeysGoToThePageOnBothWindows()
    {
        const QString tall = QStringLiteral("<div style='height:5000px'>top</div>");
        for (int n = 1; n <= 5; ++n)
            station->folder.Page(station::PageFile(n), QStringLiteral("Question %1").arg(n), tall);
        const auto keysGoTo = [](tk::TForm* window, tk::TCppWebBrowser* view) {
            QVERIFY(engine::WaitFor([&] { return QApplication::focusWidget() && view->isAncestorOf(QApplication::focusWidget()); }, 10000));
            QCOMPARE(QApplication::activeWindow(), window);
            for (const Qt::Key key : {Qt::Key_Space, Qt::Key_PageDown, Qt::Key_Down}) {
                const int before = engine::Evaluate(view, QStringLiteral("window.scrollY")).toInt();
                QTest::keyClick(QApplication::focusWidget(), key);
                QVERIFY2(engine::WaitFor([&] { return engine::Evaluate(view, QStringLiteral("window.scrollY")).toInt() > before; }, 10000),
                         qPrintable(QKeySequence(key).toString()));
            }
        };
        studyWindowWith(tall);
        keysGoTo(Form1, Form1->CppWebBrowser1);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(Form1->isVisible()); // Space did not press «Начать тестирование»
        QVERIFY(station->boxes.Shown().empty());
        station->boxes.Expect(QStringLiteral("Перейти к тестированию?"));
        Form1->Button2->click();
        QVERIFY(Shows(TestForm->CppWebBrowser1, questionOnScreen()));
        keysGoTo(TestForm, TestForm->CppWebBrowser1);
        QVERIFY(!TestForm->RadioButton1->Checked()); // nor tick «Ответ 1»
    }

    void aStudyPageThatLeadsOnlyOutsideLeavesTheStudyGoingOn()
    {
        studyWindowWith(QStringLiteral(
            "<a id=web href='http://example.com/'>web</a> <a id=machine href='file:///etc/passwd'>passwd</a>"
            " <a id=key href='../TESTS/ANS.a'>key</a> <a id=up href='../../'>up</a>"
            "<script>setInterval(function(){location.href='https://example.com/'}, 1000)</script>"));
        tk::TCppWebBrowser* view = Form1->CppWebBrowser1;
        QSignalSpy refusals(view, &tk::TCppWebBrowser::Refused);
        for (const QString& id : {QStringLiteral("web"), QStringLiteral("machine"), QStringLiteral("key"), QStringLiteral("up")})
            click(view, id);
        QVERIFY(engine::WaitFor([&] { return refusals.size() >= 5; }, 10000));
        QVERIFY(StaysOn(view, QStringLiteral("Study"), 2500));
        // The countdown goes on, and nothing but the study window is on screen.
        const QString caption = Form1->StaticText1->Caption();
        QCOMPARE(station->Tick(1), 1);
        QVERIFY(Form1->StaticText1->Caption() != caption);
        QVERIFY(Form1->Timer1->Enabled());
        QWidgetList shown;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible())
                shown << top;
        QCOMPARE(shown, QWidgetList{Form1});
        QVERIFY(station->boxes.Shown().empty());
    }

    void theEngineStartsOnceTheEntryWindowIsOnScreen()
    {
        station.reset(); // start-up makes its own window set
        engine::StationFolder folder;
        folder.Page(station::StudyPage, QStringLiteral("Study"));
        int argc = 1;
        char name[] = "briefing-station";
        char* argv[] = {name, nullptr};
        bool startedBeforeRun = true;
        bool entryExposedAtStart = false;
        bool studyLoaded = false;
        bool studyWindowShown = false;
        struct StartWatch final : QObject {
            std::function<void()> started;
            bool eventFilter(QObject*, QEvent* event) override
            {
                // The engine's view is the only widget the view ever gets (still
                // being made at this event, so it is not yet known by its class).
                if (event->type() == QEvent::ChildAdded && static_cast<QChildEvent*>(event)->child()->isWidgetType())
                    started();
                return false;
            }
        } watch;
        watch.started = [&] { entryExposedAtStart = Form2->windowHandle() && Form2->windowHandle()->isExposed(); };
        StartupHooks hooks;
        hooks.beforeRun = [&] {
            startedBeforeRun = Form1->CppWebBrowser1->findChild<QWebEngineView*>() != nullptr;
            Form1->CppWebBrowser1->installEventFilter(&watch);
            QObject::connect(Form1->CppWebBrowser1, &tk::TCppWebBrowser::PageLoaded, [&](bool ok) {
                studyLoaded = ok && engine::Title(Form1->CppWebBrowser1) == QStringLiteral("Study");
                studyWindowShown = Form1->isVisible();
                Form2->Close();
            });
            QTimer::singleShot(60000, Form2, [] { Form2->Close(); });
        };
        QCOMPARE(StationMain(argc, argv, hooks), 0);
        QVERIFY(!startedBeforeRun);
        QVERIFY(entryExposedAtStart);
        QVERIFY(studyLoaded);
        QVERIFY(!studyWindowShown);
        station = std::make_unique<StationFixture>(); // for cleanup
    }
};

STATION_TEST_MAIN(PagesInWindowsTest)
#include "tst_pagesinwindows.moc"
