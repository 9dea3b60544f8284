// The study window: layout, the countdown through the real window, the
// hand-over to the test window, and the result panel's close.
#include "StationFixture.h"
#include "TestMain.h"

#include <QCloseEvent>

class StudyTest : public QObject {
    Q_OBJECT
    std::unique_ptr<StationFixture> station;

    void startStudy()
    {
        Form2->Show();
        Form2->Button1->click();
        QCOMPARE(station->app->ActiveForm(), Form1);
    }
    void expectHandOver() { station->boxes.Expect(QStringLiteral("Перейти к тестированию?")); }
    void verifyHandedOver()
    {
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("0.0"));
        QVERIFY(!Form1->Timer1->Enabled());
        QVERIFY(!Form1->isVisible());
        QVERIFY(TestForm->isVisible());
        QCOMPARE(station->app->ActiveForm(), TestForm);
        QCOMPARE(station->TestView()->urls.size(), 1); // one activation, one run
        QVERIFY(!station->app->Terminated());
    }
    // The state the test stage leaves after a verdict.
    void showVerdict()
    {
        Form1->Show();
        Form1->Panel1->SetColor(0x8000);
        Form1->Label1->SetCaption(QStringLiteral("Тест успешно сдан!"));
        Form1->Panel1->setVisible(true);
        Form1->Timer1->SetEnabled(false);
        Form1->StaticText1->setVisible(false);
    }

private slots:
    void init()
    {
        station = std::make_unique<StationFixture>();
        station->WriteBank(5, {1, 2, 3, 1, 2});
    }
    void cleanup()
    {
        QVERIFY2(station->boxes.Failures().isEmpty(), qPrintable(station->boxes.Failures().join('\n')));
        station.reset();
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Image1") << "Image1" << QRect(0, 0, 311, 69);
        QTest::newRow("Image2") << "Image2" << QRect(0, 0, 321, 73);
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(320, 0, 683, 69);
        QTest::newRow("Panel2") << "Panel2" << QRect(0, 72, 1001, 651);
        QTest::newRow("CppWebBrowser1") << "CppWebBrowser1" << QRect(8, 80, 985, 633);
        QTest::newRow("StaticText1") << "StaticText1" << QRect(656, 20, 41, 28);
        QTest::newRow("Button2") << "Button2" << QRect(776, 685, 218, 27);
        QTest::newRow("Panel1") << "Panel1" << QRect(0, 72, 1001, 649);
        QTest::newRow("Label2") << "Label2" << QRect(320, 64, 386, 37);
        QTest::newRow("StaticText2") << "StaticText2" << QRect(872, 8, 125, 20);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto* control = Form1->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
    }

    void looksAtCreation()
    {
        QCOMPARE(Form1->size(), QSize(1006, 723));
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:59"));
        QVERIFY(Form1->StaticText1->font().bold());
        QCOMPARE(Form1->StaticText1->font().pixelSize(), 17);
        QCOMPARE(Form1->StaticText1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(Form1->StaticText1->palette().color(QPalette::Window), tk::ToQColor(tk::clHighlight));
        QCOMPARE(Form1->ProgressBar1->orientation(), Qt::Vertical);
        QCOMPARE(Form1->ProgressBar1->Min(), 0);
        QCOMPARE(Form1->ProgressBar1->Max(), 600);
        QCOMPARE(Form1->ProgressBar1->Position(), 600);
        QVERIFY(Form1->ProgressBar1->Smooth);
        QCOMPARE(Form1->ProgressBar1->BorderWidth, 1);
        QCOMPARE(Form1->Button2->text(), QStringLiteral("Начать тестирование"));
        QCOMPARE(Form1->Button2->Glyph().size(), QSize(16, 16));
        QVERIFY(Form1->Panel1->isHidden());
        QCOMPARE(Form1->Panel1->Color(), tk::clScrollBar);
        QCOMPARE(Form1->Panel1->Caption(), QString());
        QCOMPARE(Form1->Panel2->Color(), tk::clActiveBorder);
        QCOMPARE(Form1->Label1->Caption(), QStringLiteral("Результат"));
        QCOMPARE(Form1->Label2->Caption(), QStringLiteral("Обратитесь к оператору!"));
        QCOMPARE(Form1->Label2->font().pixelSize(), 32);
        QCOMPARE(Form1->Label2->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!Form1->Timer1->Enabled());
        QCOMPARE(Form1->Timer1->Interval(), 1000u);
        QCOMPARE(Form1->Image2->DrawnSize(), QSize(311, 73));
        QCOMPARE(Form1->Image1->Picture().size(), QSize(311, 69));
        // The panel lies above the view, the backdrop and the button.
        const QObjectList& order = Form1->children();
        QVERIFY(order.indexOf(Form1->Panel1) > order.indexOf(Form1->Button2));
        QVERIFY(order.indexOf(Form1->Panel1) > order.indexOf(Form1->CppWebBrowser1));
        QCOMPARE(InstrPath, (station->base + QStringLiteral("res/INSTR.htm")).toStdString());
        QCOMPARE(station->StudyView()->urls, QStringList{QString::fromStdString(InstrPath)});
    }

    void theCourseLogoCoversTheBitmapLogo_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::newRow("96") << 96;
        QTest::newRow("120") << 120;
        QTest::newRow("144") << 144;
    }
    void theCourseLogoCoversTheBitmapLogo()
    {
        QFETCH(int, ppi);
        // The windows take the density they are made at.
        station.reset();
        tk::SetPixelsPerInchOverride(ppi);
        station = std::make_unique<StationFixture>();
        tk::SetPixelsPerInchOverride(120);
        const QRect bitmap(Form1->Image1->pos(), Form1->Image1->DrawnSize());
        const QRect logo(Form1->Image2->pos(), Form1->Image2->DrawnSize());
        QVERIFY(!bitmap.isEmpty());
        QVERIFY2(logo.contains(bitmap), qPrintable(QStringLiteral("bitmap %1x%2 beside a logo of %3x%4")
                                                       .arg(bitmap.width()).arg(bitmap.height())
                                                       .arg(logo.width()).arg(logo.height())));
        // The course logo lies above the bitmap.
        const QObjectList& order = Form1->children();
        QVERIFY(order.indexOf(Form1->Image2) > order.indexOf(Form1->Image1));
    }

    void countdownThroughTheWindow()
    {
        startStudy();
        QVERIFY(Form1->Timer1->Enabled());
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:59"));
        station->Tick(1);
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:58"));
        QCOMPARE(Form1->ProgressBar1->Position(), 599);
        station->Tick(53);
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:5"));
        station->Tick(545);
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("0:0"));
        QCOMPARE(Form1->ProgressBar1->Position(), 1);
        QVERIFY(Form1->isVisible());
    }

    void theFocusChainBeginsWithTheView()
    {
        startStudy();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->CppWebBrowser1));
        QStringList chain;
        QWidget* w = Form1->CppWebBrowser1;
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(Form1))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != Form1->CppWebBrowser1 && chain.size() < 10);
        QCOMPARE(chain, (QStringList{"CppWebBrowser1", "Button2"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->Button2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->CppWebBrowser1));
    }

    void aTickThatFailsSaysTimerIsFailedAndTheStudyGoesOn()
    {
        startStudy();
        QCOMPARE(station->Tick(10), 10);
        // Seconds the clock cannot turn into a caption: the tick fails after counting.
        study::ProcessClock().Elapsed = 1e12;
        station->boxes.Expect(QStringLiteral("Timer is failed"));
        QCOMPARE(station->Tick(1), 1);
        const tk::BoxRequest& shown = station->boxes.Shown().back();
        QCOMPARE(shown.kind, tk::BoxKind::Message);
        QCOMPARE(shown.caption, QStringLiteral("Инструктаж [Демо-версия]"));
        // Nothing after the failing step: the caption and the bar stay; the clock runs on.
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:49"));
        QCOMPARE(Form1->ProgressBar1->Position(), 590);
        QVERIFY(Form1->Timer1->Enabled());
        QVERIFY(Form1->isVisible());
        QCOMPARE(station->app->ActiveForm(), Form1);
        // The next activation starts the period anew and the countdown is whole again.
        TestForm->Show();
        Form1->Show();
        QCOMPARE(station->Tick(1), 1);
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:58"));
    }

    void buttonRightAfterShowingHandsOver()
    {
        startStudy();
        expectHandOver();
        Form1->Button2->click();
        verifyHandedOver();
        QCOMPARE(station->boxes.Shown().front().caption, QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(station->boxes.Shown().front().flags, tk::MB_OK);
        QCOMPARE(station->StudyView()->urls.size(), 1); // the page stays loaded in the hidden window
    }

    void closeBoxBehavesLikeTheButton()
    {
        startStudy();
        station->Tick(10);
        expectHandOver();
        QCloseEvent close;
        QCoreApplication::sendEvent(Form1, &close);
        verifyHandedOver();
    }

    void theSixHundredthTickShowsMinusOneFiftyNineBehindTheBox()
    {
        startStudy();
        QCOMPARE(station->Tick(599), 599);
        QString behindTheBox;
        station->boxes.Expect(QStringLiteral("Перейти к тестированию?"), tk::IDOK,
                              [&] { behindTheBox = Form1->StaticText1->Caption(); });
        QCOMPARE(station->Tick(1), 1);
        QCOMPARE(behindTheBox, QStringLiteral("-1:59"));
        QCOMPARE(Form1->ProgressBar1->Position(), 0);
        verifyHandedOver();
        QCOMPARE(station->Tick(1), 0); // the stage ends once: the timer is off
    }

    void aBoxThatFailsSkipsTheHandOverButHidesTheWindow()
    {
        startStudy();
        station->boxes.Expect(QStringLiteral("Перейти к тестированию?"), 0);
        Form1->Button2->click();
        QVERIFY(!Form1->isVisible());
        QVERIFY(Form1->Timer1->Enabled()); // the clock runs on in the hidden window
        QVERIFY(!TestForm->isVisible());
        // ...and its end step hands over at the 600th tick.
        expectHandOver();
        QCOMPARE(station->Tick(600), 600);
        verifyHandedOver();
    }

    void theSixHundredthTickDuringTheBoxEndsAsOneBoxWould()
    {
        startStudy();
        station->Tick(100);
        // The box from the button is up while the clock reaches its end:
        // a second, identical box comes up over the first.
        station->boxes.Expect(QStringLiteral("Перейти к тестированию?"), tk::IDOK, [&] {
            QCOMPARE(station->Tick(1000), 500);
            QVERIFY(TestForm->isVisible());
        });
        expectHandOver();
        Form1->Button2->click();
        QCOMPARE(station->boxes.Shown().size(), std::size_t(2));
        verifyHandedOver();
    }

    void secondPassShowsZeroPointZeroUntilItsFirstTick()
    {
        startStudy();
        station->Tick(600 - 1);
        expectHandOver();
        station->Tick(1);
        QCOMPARE(Form1->ProgressBar1->Position(), 0);
        // The test stage sends the person back to study.
        Form1->Show();
        QCOMPARE(station->app->ActiveForm(), Form1);
        QVERIFY(Form1->Timer1->Enabled());
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("0.0"));
        station->Tick(1);
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:58"));
        QCOMPARE(Form1->ProgressBar1->Position(), 0); // not refilled
        station->Tick(598);
        expectHandOver();
        station->Tick(1);
        QCOMPARE(station->TestView()->urls.size(), 2); // a second activation, a second run
        QCOMPARE(station->app->ActiveForm(), TestForm);
    }

    void aResetHalfwayStartsTheSixHundredSecondsAnew()
    {
        startStudy();
        station->Tick(300);
        TestForm->Show(); // the person switches to the test window... (a run starts there)
        Form1->Show();    // ...and back: a new activation resets the clock
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("4:59")); // kept until the next tick
        QCOMPARE(Form1->ProgressBar1->Position(), 300);
        QCOMPARE(station->Tick(1), 1);
        QCOMPARE(Form1->StaticText1->Caption(), QStringLiteral("9:58"));
        QCOMPARE(station->Tick(598), 598);
        expectHandOver();
        QCOMPARE(station->Tick(5), 1);
    }

    void closingInTheVerdictStateEndsTheProcess()
    {
        startStudy();
        expectHandOver();
        Form1->Button2->click();
        showVerdict();
        station->boxes.Expect(QStringLiteral("Тестирование завершено"));
        QPointer<TForm1> study = Form1;
        QCloseEvent close;
        QCoreApplication::sendEvent(Form1, &close);
        QVERIFY(station->app->Terminated());
        QVERIFY(study && !Form1); // freed after the current event; its instance variable no longer points at it
        QCOMPARE(study->ModalResult, 1);
        QCOMPARE(station->boxes.Shown().back().kind, tk::BoxKind::Message);
    }

    void reactivationInTheVerdictStateRestartsTheClockAndItsEndEndsTheProcess()
    {
        startStudy();
        expectHandOver();
        Form1->Button2->click();
        showVerdict();
        QVERIFY(!Form1->Timer1->Enabled());
        // The person clicks the test window (a new run there), then the study window.
        station->app->UserClicked(TestForm);
        QCOMPARE(station->TestView()->urls.size(), 2);
        station->app->UserClicked(Form1);
        QVERIFY(Form1->Timer1->Enabled());
        QVERIFY(Form1->StaticText1->isHidden());
        station->Tick(599);
        station->boxes.Expect(QStringLiteral("Тестирование завершено"));
        QCOMPARE(station->Tick(1), 1);
        QVERIFY(station->app->Terminated());
        QCOMPARE(station->TestView()->urls.size(), 2); // no run starts once the process is ending
    }
};

STATION_TEST_MAIN(StudyTest)
#include "tst_study.moc"
