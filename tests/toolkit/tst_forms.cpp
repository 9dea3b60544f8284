// The window operations' fixed effects: activation, the close protocol, and
// errors escaping handlers.
#include "ScriptedDialogs.h"
#include "TestMain.h"

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/WindowFrame.h"

#include "toolkit/core/Exception.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QPointer>

#include <functional>
#include <memory>

namespace {

class ProbeForm : public tk::TForm {
public:
    ProbeForm() : TForm(QStringLiteral("Окно"), QSize(200, 100)) {}
    int activations = 0;
    int closes = 0;
    tk::TCloseAction closeAction = tk::caHide;
    std::function<void()> onActivate;
    std::function<void()> onClose;
    void FormActivate() override
    {
        ++activations;
        if (onActivate)
            onActivate();
    }
    void FormClose(tk::TCloseAction& action) override
    {
        ++closes;
        QCOMPARE(action, tk::caHide); // always preset to hide
        if (onClose)
            onClose();
        action = closeAction;
    }
};

} // namespace

class FormsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<tk::TApplication> app;
    std::unique_ptr<ScriptedDialogs> boxes;
    ProbeForm* main = nullptr;
    ProbeForm* second = nullptr;
    ProbeForm* third = nullptr;
    qint64 now = 0;

    void advancePastEchoes() { now += tk::TApplication::EchoWindowMs + 1; }

private slots:
    void init()
    {
        app = std::make_unique<tk::TApplication>();
        app->SetTitle(QStringLiteral("Заголовок"));
        app->SetClock([this] { return now; });
        boxes = std::make_unique<ScriptedDialogs>();
        app->CreateForm(main);
        app->CreateForm(second);
        app->CreateForm(third);
    }
    void cleanup()
    {
        QVERIFY2(boxes->Failures().isEmpty(), qPrintable(boxes->Failures().join('\n')));
        app.reset();
        boxes.reset();
        QVERIFY(!main && !second && !third); // instance variables cleared when freed
    }

    void firstCreatedFormIsTheMainWindow()
    {
        QCOMPARE(app->MainForm(), main);
        QVERIFY(!main->isVisible() && !second->isVisible());
        QCOMPARE(app->ActiveForm(), nullptr);
    }

    void showActivatesBeforeItReturns()
    {
        int seenInside = -1;
        second->onActivate = [&] { seenInside = second->isVisible(); };
        second->Show();
        QCOMPARE(second->activations, 1);
        QCOMPARE(seenInside, 1);
        QCOMPARE(app->ActiveForm(), second);
        second->Show(); // already active: brought to front, no new activation
        QCOMPARE(second->activations, 1);
    }

    void hidingTheActiveFormActivatesTheNextOneInZOrder()
    {
        main->Show();
        second->Show();
        third->Show();
        QCOMPARE(app->ZOrder().front(), third);
        third->Hide();
        QCOMPARE(app->ActiveForm(), second);
        QCOMPARE(second->activations, 2);
        QCOMPARE(main->activations, 1);
        second->Hide();
        QCOMPARE(app->ActiveForm(), main);
        QCOMPARE(main->activations, 2);
    }

    void hidingAnInactiveFormActivatesNothing()
    {
        main->Show();
        second->Show();
        main->Hide();
        QCOMPARE(app->ActiveForm(), second);
        QCOMPARE(second->activations, 1);
        QCOMPARE(main->activations, 1);
    }

    void hidingTheLastVisibleFormLeavesNoneActive()
    {
        second->Show();
        second->Hide();
        QCOMPARE(app->ActiveForm(), nullptr);
        second->Show(); // from none: activation again
        QCOMPARE(second->activations, 2);
    }

    void aBoxClosingOverAFormRunsNoHandler()
    {
        second->Show();
        boxes->Expect(QStringLiteral("Вопрос"), tk::IDYES, [&] {
            QVERIFY(app->BoxOpen());
            // The window system's focus moves around while the box is up.
            advancePastEchoes();
            app->WindowSystemFocused(main);
            app->UserClicked(third);
        });
        main->Show();
        second->Show(); // back to second, activation 2
        QCOMPARE(tk::MessageBox(QStringLiteral("Вопрос"), QStringLiteral("ВНИМАНИЕ!"), tk::MB_YESNO), tk::IDYES);
        QVERIFY(!app->BoxOpen());
        QCOMPARE(app->ActiveForm(), second);
        QCOMPARE(second->activations, 2);
        QCOMPARE(main->activations, 1);
        QCOMPARE(third->activations, 0);
    }

    void lateFocusFromTheWindowSystemNeverStartsAHandler()
    {
        main->Show();
        second->Show();
        // The echo of our own Show: the window system refocuses the previous window.
        app->WindowSystemFocused(main);
        QCOMPARE(main->activations, 1);
        QCOMPARE(app->ActiveForm(), second);
        // The same after a box closed over the window.
        boxes->Expect(QStringLiteral("Сообщение"));
        tk::ShowMessage(QStringLiteral("Сообщение"));
        app->WindowSystemFocused(main);
        QCOMPARE(main->activations, 1);
        QCOMPARE(app->ActiveForm(), second);
    }

    void comingBackFromAnotherProgramIsNoActivation()
    {
        second->Show();
        advancePastEchoes();
        app->WindowSystemFocused(second); // the active form gets focus back
        QCOMPARE(second->activations, 1);
    }

    void thePersonBringingAnotherFormToTheFrontActivatesIt()
    {
        main->Show();
        second->Show();
        advancePastEchoes();
        app->WindowSystemFocused(main); // a task-bar click, long after our last operation
        QCOMPARE(app->ActiveForm(), main);
        QCOMPARE(main->activations, 2);
        app->UserClicked(second); // a click into the other window
        QCOMPARE(app->ActiveForm(), second);
        QCOMPARE(second->activations, 2);
        second->Hide();
        app->UserClicked(second); // hidden forms cannot be clicked
        QCOMPARE(second->activations, 2);
    }

    void anErrorInAnActivationIsShownAndShowCarriesOn()
    {
        second->onActivate = [] { throw tk::Exception("Cannot open file /x/ANS.a"); };
        boxes->Expect(QStringLiteral("Cannot open file /x/ANS.a."));
        second->Show();
        QCOMPARE(app->ActiveForm(), second);
        QCOMPARE(boxes->Shown().back().kind, tk::BoxKind::Error);
        QCOMPARE(boxes->Shown().back().caption, QStringLiteral("Заголовок"));
    }

    void closePresetsHideAndHides()
    {
        second->Show();
        second->Close();
        QCOMPARE(second->closes, 1);
        QVERIFY(!second->isVisible());
        QVERIFY(!app->Terminated());
    }

    void closeRefusedKeepsTheWindow()
    {
        second->Show();
        second->closeAction = tk::caNone;
        second->Close();
        QVERIFY(second->isVisible());
        QCOMPARE(app->ActiveForm(), second);
        QCOMPARE(second->activations, 1);
    }

    void closeWithFreeDestroysAfterTheCurrentEvent()
    {
        second->Show();
        second->closeAction = tk::caFree;
        QPointer<ProbeForm> watched = second;
        second->Close();
        QVERIFY(watched); // still there while the current event runs
        QVERIFY(!watched->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!watched);
        QVERIFY(!second);
    }

    void closingTheMainWindowTerminatesWhateverTheAction_data()
    {
        QTest::addColumn<int>("action");
        QTest::newRow("hide") << int(tk::caHide);
        QTest::newRow("free") << int(tk::caFree);
    }
    void closingTheMainWindowTerminatesWhateverTheAction()
    {
        QFETCH(int, action);
        main->Show();
        main->closeAction = static_cast<tk::TCloseAction>(action);
        main->Close();
        QVERIFY(app->Terminated());
        QVERIFY(main); // the window set lives until the process ends
    }

    void refusingTheMainWindowsCloseKeepsRunning()
    {
        main->Show();
        main->closeAction = tk::caNone;
        main->Close();
        QVERIFY(!app->Terminated());
    }

    void closingTheHiddenMainWindowTerminates()
    {
        main->Show();
        second->Show();
        main->Hide();
        main->Close();
        QVERIFY(app->Terminated());
        QCOMPARE(second->activations, 1); // no handler runs once the process is ending
    }

    void titleBarButtonAndAltF4TakeTheSamePath()
    {
        second->Show();
        QCloseEvent close;
        QCoreApplication::sendEvent(second, &close);
        QVERIFY(!close.isAccepted()); // the window system never closes it by itself
        QCOMPARE(second->closes, 1);
        QVERIFY(!second->isVisible());

        second->Show();
        QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
        QCoreApplication::sendEvent(second, &altF4);
        QCOMPARE(second->closes, 2);
        QVERIFY(!second->isVisible());
    }

    void aCloseRequestWhileABoxIsOpenWaitsForTheBox()
    {
        second->Show();
        boxes->Expect(QStringLiteral("Открыто"), tk::IDOK, [&] {
            QCloseEvent close;
            QCoreApplication::sendEvent(second, &close);
        });
        tk::ShowMessage(QStringLiteral("Открыто"));
        QCOMPARE(second->closes, 0);
        QVERIFY(second->isVisible());
    }

    void anErrorInTheCloseHandlerStopsTheClose()
    {
        second->Show();
        second->onClose = [] { throw std::runtime_error("сбой"); };
        boxes->Expect(QStringLiteral("сбой."));
        QCloseEvent close;
        QCoreApplication::sendEvent(second, &close);
        QVERIFY(second->isVisible());
    }

    void errorsEscapingHandlersAreShownAndSurvived()
    {
        boxes->Expect(QStringLiteral("'x' is not a valid integer value."))
            .Expect(QStringLiteral("std error."))
            .Expect(QString());
        tk::TApplication::RunHandler([] { throw tk::Exception("'x' is not a valid integer value"); });
        tk::TApplication::RunHandler([] { throw std::runtime_error("std error"); });
        tk::TApplication::RunHandler([] { throw 42; });
        for (const auto& shown : boxes->Shown()) {
            QCOMPARE(shown.kind, tk::BoxKind::Error);
            QCOMPARE(shown.caption, QStringLiteral("Заголовок"));
        }
    }

    void aWindowIsCentredWithItsFrame_data()
    {
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("placed");
        // A border of 1 and a title bar of 18, as openbox frames a window.
        QTest::newRow("entry window at 96 ppi") << QRect(0, 0, 1280, 1024) << QSize(275, 310)
                                                << QMargins(1, 18, 1, 1) << QRect(502, 365, 275, 310);
        QTest::newRow("study window at 120 ppi") << QRect(0, 0, 1280, 1024) << QSize(1006, 723)
                                                 << QMargins(1, 18, 1, 1) << QRect(137, 159, 1006, 723);
        QTest::newRow("a second screen") << QRect(1280, 100, 800, 600) << QSize(200, 100) << QMargins(4, 24, 4, 4)
                                         << QRect(1580, 360, 200, 100);
        QTest::newRow("no frame") << QRect(0, 0, 1280, 1024) << QSize(275, 310) << QMargins() << QRect(502, 357, 275, 310);
    }
    void aWindowIsCentredWithItsFrame()
    {
        QFETCH(QRect, desktop);
        QFETCH(QSize, client);
        QFETCH(QMargins, frame);
        QFETCH(QRect, placed);
        const QRect rect = tk::CentredClientRect(desktop, client, frame);
        QCOMPARE(rect, placed);
        // The framed window has the same room on either side, give or take the odd pixel.
        const QRect framed = rect.marginsAdded(frame);
        QVERIFY(qAbs((framed.left() - desktop.left()) - (desktop.right() - framed.right())) <= 1);
        QVERIFY(qAbs((framed.top() - desktop.top()) - (desktop.bottom() - framed.bottom())) <= 1);
    }

    void aFormIsCentredWhenFirstShownAndStaysWhereItIs()
    {
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        second->Show();
        // Offscreen there is no frame: the client area itself is centred.
        QCOMPARE(second->geometry(), tk::CentredClientRect(desktop, second->size(), QMargins()));
        second->Hide();
        second->move(10, 20);
        second->Show(); // only the first show centres
        QCOMPARE(second->pos(), QPoint(10, 20));
    }

    void noBoxOnceTheProcessIsEnding()
    {
        main->Show();
        main->Close();
        QCOMPARE(tk::MessageBox(QStringLiteral("поздно"), QString(), tk::MB_OK), 0);
        QVERIFY(boxes->Shown().empty());
    }
};

STATION_TEST_MAIN(FormsTest)
#include "tst_forms.moc"
