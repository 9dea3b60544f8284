// The test window and the verdicts, through the real windows: a whole pass,
// the second chance, the fail, the close question, broken content.
#include "StationFixture.h"
#include "TestMain.h"

#include "base/ContentFolders.h"
#include "testing/Grading.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QHelpEvent>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QToolTip>

namespace {
const QString SecondChanceText = QStringLiteral("Неправильный ответ! Перейти к повторному тестированию.");
const QString AbortText = QStringLiteral("Прервать прохождение теста?");
const QString HandOverText = QStringLiteral("Перейти к тестированию?");
const std::vector<int> Key = {1, 2, 3, 1, 2};
} // namespace

class TestviewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<StationFixture> station;

    // From the entry window through the study window to the first question.
    // moreBoxes: what the first activation will show after the hand-over box.
    void startTest(const std::function<void()>& moreBoxes = {})
    {
        Form2->Show();
        Form2->Button1->click();
        station->boxes.Expect(HandOverText);
        if (moreBoxes)
            moreBoxes();
        Form1->Button2->click();
        QCOMPARE(station->app->ActiveForm(), TestForm);
    }
    // To the test window, whose count finds no pages: the message, then No
    // to the close question; the window stays without a page.
    void startTestFindingNoPages()
    {
        Form2->Show();
        Form2->Button1->click();
        station->boxes.Expect(HandOverText)
            .Expect(QString::fromUtf8(MissingTestsText))
            .Expect(AbortText, tk::IDNO);
        Form1->Button2->click();
        QVERIFY(TestForm->isVisible());
        QVERIFY(station->TestView()->urls.isEmpty());
    }
    int right() const { return station->RightAnswerOnScreen(Key); }
    int wrong() const { return right() % 3 + 1; }
    QStringList verdictLines() const
    {
        QStringList verdicts;
        const QStringList trace = station->Trace();
        for (int i = 0; i + 1 < trace.size(); ++i)
            if (trace[i].startsWith(QLatin1Char('#')) && !trace[i + 1].startsWith(QLatin1Char('#')))
                verdicts << trace[i + 1];
        return verdicts;
    }
    bool bankHeld() const // by a run: the bank tool could not swap it now
    {
        const int fd = ::open((station->base + QStringLiteral("TESTS")).toLocal8Bit().constData(), O_RDONLY);
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        return ::close(fd), held;
    }
    void checkNewRunAtTheFirstQuestion()
    {
        QCOMPARE(TestRun.QQ, 0);
        QCOMPARE(TestForm->ProgressBar1->Position(), 0);
        QCOMPARE(TestForm->StaticText2->Caption(), QStringLiteral("5"));
        QCOMPARE(station->Trace().front(), QStringLiteral("Найдено 5 тестов"));
        QCOMPARE(station->TestView()->urls.back(), QString::fromStdString(TestRun.TestPath[0]));
    }

private slots:
    void init()
    {
        station = std::make_unique<StationFixture>();
        station->WriteBank(5, Key);
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
        QTest::addColumn<QString>("hint");
        QTest::newRow("Image1") << "Image1" << QRect(8, 0, 305, 73) << "";
        QTest::newRow("Panel1") << "Panel1" << QRect(0, 72, 1001, 649) << "";
        QTest::newRow("Button2") << "Button2" << QRect(584, 592, 201, 49) << "Подтвердите выбранный ответ";
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(320, 0, 681, 69) << "Вам осталось еще несколько вопросов";
        QTest::newRow("CppWebBrowser1") << "CppWebBrowser1" << QRect(8, 80, 985, 577)
                                        << "Внимательно прочитайте вопрос и варианты ответов";
        QTest::newRow("StaticText1") << "StaticText1" << QRect(576, 20, 177, 28) << "";
        QTest::newRow("StaticText2") << "StaticText2" << QRect(748, 20, 17, 28) << "";
        QTest::newRow("GroupBox1") << "GroupBox1" << QRect(8, 664, 569, 49) << "Выбирите правильный ответ";
        QTest::newRow("RadioButton1") << "RadioButton1" << QRect(8, 24, 150, 17) << "";
        QTest::newRow("RadioButton2") << "RadioButton2" << QRect(208, 24, 150, 17) << "";
        QTest::newRow("RadioButton3") << "RadioButton3" << QRect(408, 24, 150, 17) << "";
        QTest::newRow("Memo1") << "Memo1" << QRect(704, 80, 289, 81) << "";
        QTest::newRow("Memo2") << "Memo2" << QRect(792, 664, 201, 49) << "Инструкция к тесту";
        QTest::newRow("StaticText3") << "StaticText3" << QRect(872, 8, 125, 20) << "";
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, hint);
        auto* control = TestForm->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->toolTip(), hint);
    }

    void looksAtCreation()
    {
        QCOMPARE(TestForm->Button2->parentWidget(), TestForm->Panel1);
        QCOMPARE(TestForm->Button2->mapTo(TestForm, QPoint(0, 0)), QPoint(584, 664));
        QCOMPARE(TestForm->RadioButton2->parentWidget(), TestForm->GroupBox1);
        QCOMPARE(TestForm->Button2->text(), QStringLiteral("Ответить !"));
        QCOMPARE(TestForm->Button2->Glyph().size(), QSize(32, 32));
        QCOMPARE(TestForm->ProgressBar1->Max(), 50);
        QVERIFY(!TestForm->ProgressBar1->Smooth); // the style's own bar
        QCOMPARE(TestForm->StaticText1->Caption(), QStringLiteral("Осталось вопросов:"));
        QCOMPARE(TestForm->StaticText2->Caption(), QStringLiteral("5"));
        QCOMPARE(TestForm->StaticText2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(TestForm->GroupBox1->title(), QStringLiteral("Варианты ответов"));
        QCOMPARE(TestForm->RadioButton3->text(), QStringLiteral("Ответ 3"));
        QCOMPARE(TestForm->RadioButton1->font().pixelSize(), 17);
        QVERIFY(!TestForm->RadioButton1->Checked() && !TestForm->RadioButton2->Checked() &&
                !TestForm->RadioButton3->Checked());
        QVERIFY(TestForm->Memo1->isHidden());
        QCOMPARE(TestForm->Memo1->Lines(), QStringList{QStringLiteral("Memo1")});
        QVERIFY(TestForm->Memo2->isReadOnly());
        QCOMPARE(TestForm->Memo2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(TestForm->Memo2->palette().color(QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
        QVERIFY(!TestForm->windowIcon().isNull());
    }

    void instructionsToTheCharacter()
    {
        const QStringList expected = {
            "Чтобы пройти тест нужно:", "1. Внимательно прочитать ", "вопрос", "2. Ознакомиться с ",
            "вариантами ответа", "3. Выбрать правильный и ", "отметить его номер", "4. Подтвердить свой ",
            "ответ, ", "нажав кнопку \"Ответить\".", "5. Если Вы выбрали ", "правильный ответ - ",
            "появится новый вопрос.", "6. Ответив успешно на 5 ", "вопросов, Вы пройдете ", "тест.", "",
            "Внимание!", "После первого ", "неправильного откроется ", "окно повторного ",
            "инструктажа. После этого ", "вы сможете пройти тест ", "еще раз.", "После второй ошибки тест ",
            "будет завершен с ", "отрицательным ", "результатом."};
        QCOMPARE(TestForm->Memo2->Lines(), expected);
    }

    void tabOrder()
    {
        QStringList order;
        QWidget* w = TestForm->CppWebBrowser1;
        const QStringList ours = {"CppWebBrowser1", "GroupBox1", "RadioButton1", "RadioButton2", "RadioButton3",
                                  "Button2", "Memo2"};
        for (int i = 0; i < 200 && order.size() < ours.size(); ++i, w = w->nextInFocusChain())
            if (ours.contains(w->objectName()) && w->focusPolicy() != Qt::NoFocus && !order.contains(w->objectName()))
                order << w->objectName();
        QCOMPARE(order, (QStringList{"CppWebBrowser1", "RadioButton1", "RadioButton2", "RadioButton3", "Button2",
                                     "Memo2"}));
    }

    void hintsShowAsTooltips_data()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("group box") << "GroupBox1" << "Выбирите правильный ответ";
        QTest::newRow("radio button 1") << "RadioButton1" << "Выбирите правильный ответ";
        QTest::newRow("radio button 2") << "RadioButton2" << "Выбирите правильный ответ";
        QTest::newRow("radio button 3") << "RadioButton3" << "Выбирите правильный ответ";
        QTest::newRow("answer button") << "Button2" << "Подтвердите выбранный ответ";
        QTest::newRow("progress bar") << "ProgressBar1" << "Вам осталось еще несколько вопросов";
        QTest::newRow("instructions") << "Memo2" << "Инструкция к тесту";
        QTest::newRow("count caption") << "StaticText1" << "";
        QTest::newRow("remaining count") << "StaticText2" << "";
        QTest::newRow("logo") << "Image1" << "";
    }
    void hintsShowAsTooltips()
    {
        QFETCH(QString, over);
        QFETCH(QString, tooltip);
        startTest();
        auto* control = TestForm->findChild<QWidget*>(over);
        QVERIFY(control);
        QToolTip::hideText();
        // What the pointer resting over the control's middle sends.
        const QPoint middle = control->rect().center();
        QHelpEvent help(QEvent::ToolTip, middle, control->mapToGlobal(middle));
        QApplication::sendEvent(control, &help);
        if (tooltip.isEmpty()) {
            QVERIFY(!QToolTip::isVisible());
        } else {
            QVERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), tooltip);
        }
        QToolTip::hideText();
    }

    void theSlotGuardStopsBeforeTheAnswerIsRead()
    {
        startTest();
        const QStringList before = station->Trace();
        // QQ never passes 4 in a run; the guard stands before RightAnswer[QQ] is read.
        TestRun.QQ = 5;
        station->boxes.Expect(QStringLiteral("Ошибка: QQ > 5"));
        station->Answer(1);
        QCOMPARE(station->boxes.Shown().back().kind, tk::BoxKind::Message);
        QCOMPARE(station->Trace(), before); // no answer line, no verdict
        QCOMPARE(TestRun.QQ, 5);
        QCOMPARE(TestRun.Answer, 0);
        QCOMPARE(TestForm->ProgressBar1->Position(), 0);
        QCOMPARE(TestForm->StaticText2->Caption(), QStringLiteral("5"));
        QCOMPARE(station->TestView()->urls.size(), 1);
        QVERIFY(Form1->Panel1->isHidden());
    }

    void aRunFromAnotherDirectoryCountsThereButShowsAndGradesFromTheProgramsFolder()
    {
        // The program's folder has five pages and a key of six lines; the
        // current directory has six pages of its own.
        station->folder.Key(fixture::KeyOf({1, 2, 3, 1, 2, 3}));
        fixture::StationFolder elsewhere;
        elsewhere.Questions(6, "");
        QVERIFY(QDir::setCurrent(elsewhere.Base()));
        startTest();
        QCOMPARE(station->Trace().front(), QStringLiteral("Найдено 6 тестов"));
        QCOMPARE(TestRun.TestCount, 6);
        QCOMPARE(InstrPath, (station->base + QStringLiteral("res/INSTR.htm")).toStdString());
        QCOMPARE(station->StudyView()->urls, QStringList{QString::fromStdString(InstrPath)});
        QVERIFY(station->Trace().contains(QStringLiteral("6- ответов")));
        const std::vector<int> key = {1, 2, 3, 1, 2, 3};
        for (int q = 0; q < 5; ++q) {
            QVERIFY(station->TestView()->urls.back().startsWith(station->base + QStringLiteral("TESTS/TEST")));
            QCOMPARE(TestRun.RightAnswer[q], key.at(std::size_t(TestRun.TestNo[q] - 1)));
            station->Answer(station->RightAnswerOnScreen(key));
        }
        QCOMPARE(Form1->Label1->Caption(), QStringLiteral("Тест успешно сдан!"));
    }

    void aRunFromADirectoryWithoutTestsFindsNone()
    {
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        // The bank beside the program is whole, but the count looks here.
        startTestFindingNoPages();
        QCOMPARE(station->StudyView()->urls.size(), 1); // the study page came from the program's folder
    }

    void activationStartsARunWithItsTraceLines()
    {
        startTest();
        checkNewRunAtTheFirstQuestion();
        const QStringList trace = station->Trace();
        // count, count alone, the last drawn number, five paths, the key.
        QCOMPARE(trace[1], QStringLiteral("5"));
        const int firstPath = int(trace.indexOf(station->base + QStringLiteral("TESTS/TEST%1.htm").arg(TestRun.TestNo[0])));
        QVERIFY(firstPath >= 3);
        for (int line = 2; line < firstPath - 1; ++line) // the draw's collisions, later slot first
            QVERIFY2(QRegularExpression(QStringLiteral("^[1-4]-[0-3]$|^косяк$")).match(trace[line]).hasMatch(),
                     qPrintable(trace[line]));
        QCOMPARE(trace[firstPath - 1], QString::number(TestRun.TestNo[4]));
        for (int s = 0; s < 5; ++s)
            QCOMPARE(trace[firstPath + s], station->base + QStringLiteral("TESTS/TEST%1.htm").arg(TestRun.TestNo[s]));
        QCOMPARE(trace[firstPath + 5], QStringLiteral("5- ответов"));
        QCOMPARE(trace.size(), firstPath + 11);
        QCOMPARE(trace[firstPath + 6], QStringLiteral("Преобразован ответ №%1 - %2").arg(TestRun.TestNo[0] - 1).arg(TestRun.RightAnswer[0]));
        QStringList drawn;
        for (int n : TestRun.TestNo)
            drawn << QString::number(n);
        drawn.sort();
        QCOMPARE(drawn, (QStringList{"1", "2", "3", "4", "5"})); // five pages: all of them
    }

    void fiveRightAnswersPass()
    {
        startTest();
        QList<int> bar;
        QStringList counts;
        for (int q = 0; q < 5; ++q) {
            bar << TestForm->ProgressBar1->Position();
            counts << TestForm->StaticText2->Caption();
            QCOMPARE(station->TestView()->urls.back(), QString::fromStdString(TestRun.TestPath[q]));
            station->Answer(right());
        }
        QCOMPARE(bar, (QList<int>{0, 10, 20, 30, 40}));
        QCOMPARE(counts, (QStringList{"5", "4", "3", "2", "1"}));
        QCOMPARE(verdictLines(), (QStringList{"1", "1", "1", "1", "0"}));
        QVERIFY(Form1->isVisible());
        QCOMPARE(station->app->ActiveForm(), Form1);
        QVERIFY(!Form1->Panel1->isHidden());
        QCOMPARE(Form1->Panel1->Color(), tk::TColor(0x8000));
        QCOMPARE(TestRun.ResultColor, 0x8000u);
        QCOMPARE(Form1->Label1->Caption(), QStringLiteral("Тест успешно сдан!"));
        QVERIFY(!Form1->Timer1->Enabled());
        QVERIFY(Form1->StaticText1->isHidden());
        QVERIFY(TestForm->isVisible()); // behind the study window
        QVERIFY(station->boxes.ShownTexts() == QStringList{HandOverText});
    }

    void theAnswerLineOfTheTrace()
    {
        startTest();
        const int r = right();
        station->Answer(r);
        const QStringList trace = station->Trace();
        QCOMPARE(trace[trace.size() - 2], QStringLiteral("#") + QString::number(r) + QStringLiteral("1Ответ: ") + QString::number(r) +
                     QStringLiteral("Правильный ответ: ") + QString::number(r));
        QCOMPARE(trace.last(), QStringLiteral("1"));
    }

    void aWrongThirdAnswerGivesTheSecondChance()
    {
        startTest();
        station->Answer(right());
        station->Answer(right());
        station->boxes.Expect(SecondChanceText);
        station->Answer(wrong());
        QCOMPARE(TestRun.RetryUsed, std::uint8_t(1));
        QCOMPARE(verdictLines().last(), QStringLiteral("2"));
        QCOMPARE(station->app->ActiveForm(), Form1);
        QVERIFY(Form1->Timer1->Enabled()); // a fresh study period
        QVERIFY(TestForm->isVisible());    // covered, not hidden
        QCOMPARE(TestRun.QQ, 2);           // left as it was until the new run
        // After the study period, a new run with a new draw.
        const int urls = station->TestView()->urls.size();
        station->boxes.Expect(HandOverText);
        QCOMPARE(station->Tick(600), 600);
        QCOMPARE(station->TestView()->urls.size(), urls + 1);
        QCOMPARE(station->app->ActiveForm(), TestForm);
        checkNewRunAtTheFirstQuestion();
        QCOMPARE(TestRun.RetryUsed, std::uint8_t(1));
    }

    void aWrongAnswerAfterTheSecondChanceFails()
    {
        startTest();
        station->boxes.Expect(SecondChanceText);
        station->Answer(wrong());
        station->boxes.Expect(HandOverText);
        Form1->Button2->click();
        station->Answer(wrong());
        QCOMPARE(verdictLines(), QStringList{"3"});
        QVERIFY(!Form1->Panel1->isHidden());
        QCOMPARE(Form1->Panel1->Color(), tk::TColor(128));
        QCOMPARE(Form1->Label1->Caption(), QStringLiteral("Тест не сдан!"));
        QVERIFY(!Form1->Timer1->Enabled());
        QVERIFY(Form1->StaticText1->isHidden());
    }

    void aPassAfterTheSecondChance()
    {
        startTest();
        station->boxes.Expect(SecondChanceText);
        station->Answer(wrong());
        station->boxes.Expect(HandOverText);
        Form1->Button2->click();
        for (int q = 0; q < 5; ++q)
            station->Answer(right());
        QCOMPARE(Form1->Label1->Caption(), QStringLiteral("Тест успешно сдан!"));
    }

    void pressingWithoutAChoice()
    {
        startTest();
        const QStringList before = station->Trace();
        station->boxes.Expect(QStringLiteral("Нужно выбрать ответ!"));
        TestForm->Button2->click();
        QCOMPARE(station->Trace().size(), before.size() + 1);
        QCOMPARE(station->Trace().last(),
                 QStringLiteral("#01Ответ: 0Правильный ответ: %1").arg(TestRun.RightAnswer[0]));
        QCOMPARE(TestRun.QQ, 0);
        QCOMPARE(TestForm->StaticText2->Caption(), QStringLiteral("5"));
        QCOMPARE(station->app->ActiveForm(), TestForm); // the box closing starts no run
        QCOMPARE(station->TestView()->urls.size(), 1);
    }

    void theChoiceIsCarriedOver()
    {
        startTest();
        const int r = right();
        station->Answer(r);
        tk::TRadioButton* buttons[] = {TestForm->RadioButton1, TestForm->RadioButton2, TestForm->RadioButton3};
        QVERIFY(buttons[r - 1]->Checked());
        // Pressing at once submits the same choice again.
        const int next = right();
        if (next != r)
            station->boxes.Expect(SecondChanceText);
        TestForm->Button2->click();
        QCOMPARE(verdictLines().last(), next == r ? QStringLiteral("1") : QStringLiteral("2"));
    }

    // The run holds its bank from the draw to the way back to study or to its
    // verdict, and no longer; its pages are given to the view as read then.
    void theRunHoldsItsBankUntilItEnds()
    {
        startTest();
        station->boxes.Expect(AbortText, tk::IDNO);
        QCloseEvent close;
        QCoreApplication::sendEvent(TestForm, &close);
        QVERIFY(bankHeld());
        station->boxes.Expect(SecondChanceText);
        station->Answer(wrong());
        QVERIFY(!bankHeld());
        station->boxes.Expect(HandOverText);
        Form1->Button2->click();
        QVERIFY(bankHeld());
        QFile::remove(station->base + QString::fromStdString(station::PageFile(TestRun.TestNo[1])));
        for (int q = 0; q < 5; ++q)
            station->Answer(right());
        QVERIFY(Form1->Panel1->isVisible() && !bankHeld());
        QCOMPARE(station->TestView()->held.mid(1), QList<QByteArray>(5, "<html><body>question</body></html>"));
    }

    void closingWithNoGoesOnAtTheSameQuestion()
    {
        startTest();
        station->Answer(right());
        station->boxes.Expect(AbortText, tk::IDNO);
        QCloseEvent close;
        QCoreApplication::sendEvent(TestForm, &close);
        QCOMPARE(station->boxes.Shown().back().flags, tk::MB_YESNO);
        QCOMPARE(station->boxes.Shown().back().caption, QStringLiteral("ВНИМАНИЕ!"));
        QVERIFY(TestForm->isVisible());
        QCOMPARE(TestRun.QQ, 1);
        QCOMPARE(station->TestView()->urls.size(), 2);
        QVERIFY(!station->app->Terminated());
        station->Answer(right()); // the run goes on
        QCOMPARE(TestRun.QQ, 2);
    }

    void closingWithYesEndsTheProcessWithoutAVerdict()
    {
        startTest();
        station->boxes.Expect(AbortText, tk::IDYES);
        QPointer<TTestForm> test = TestForm;
        TestForm->Close();
        QVERIFY(station->app->Terminated());
        QCOMPARE(test->ModalResult, 1);
        QVERIFY(Form1->Panel1->isHidden());
    }

    void aVerdictIsNotFollowedByANewRunUntilThePersonBringsTheWindowBack()
    {
        startTest();
        for (int q = 0; q < 5; ++q)
            station->Answer(right());
        const int urls = station->TestView()->urls.size();
        station->app->WindowSystemFocused(TestForm); // a late echo of the window system
        QCOMPARE(station->TestView()->urls.size(), urls);
        station->app->UserClicked(TestForm);
        QCOMPARE(station->TestView()->urls.size(), urls + 1);
        checkNewRunAtTheFirstQuestion();
    }

    void missingTestsFolder()
    {
        QDir(station->base + QStringLiteral("TESTS")).removeRecursively();
        startTestFindingNoPages();
        station->boxes.Expect(QString::fromUtf8(MissingTestsText));
        station->Answer(1);
        QVERIFY(verdictLines().isEmpty());
        QCOMPARE(TestRun.RetryUsed, std::uint8_t(0));
    }

    void fourPagesStartNoDraw()
    {
        QFile::remove(station->base + QStringLiteral("TESTS/TEST5.htm"));
        Form2->Show();
        Form2->Button1->click();
        station->boxes.Expect(HandOverText)
            .Expect(QString::fromUtf8(MissingTestsText))
            .Expect(AbortText, tk::IDYES);
        RecordingView* view = station->TestView();
        Form1->Button2->click();
        QVERIFY(station->app->Terminated());
        QVERIFY(!TestForm); // freed on Yes
        QVERIFY(view->urls.isEmpty());
    }

    void aMissingKeyIsReportedAndNothingIsGradedAgainstPlaceholders()
    {
        QFile::remove(station->base + QStringLiteral("TESTS/ANS.a"));
        const QString error = QStringLiteral("Cannot open file %1TESTS/ANS.a.").arg(station->base);
        startTest([&] { station->boxes.Expect(error); });
        QCOMPARE(station->TestView()->urls.size(), 1); // the first page is on screen
        QVERIFY(station->Trace().last().endsWith(QStringLiteral("TEST%1.htm").arg(TestRun.TestNo[4]))); // no key lines
        QCOMPARE(std::vector<int>(TestRun.RightAnswer.begin(), TestRun.RightAnswer.end()), (std::vector<int>{2, 1, 2, 2, 2}));
        for (int answer : {2, 1}) {
            station->boxes.Expect(error);
            station->Answer(answer);
        }
        QVERIFY(verdictLines().isEmpty());
        QCOMPARE(TestRun.QQ, 0);
        QCOMPARE(TestForm->ProgressBar1->Position(), 0);
        QCOMPARE(TestRun.RetryUsed, std::uint8_t(0));
    }

    void aBadKeyLineStopsAtItsSlot()
    {
        station->folder.Key("1 \r\n2 \r\n3 \r\n1 \r\n2 \r\n");
        startTest([&] { station->boxes.ExpectStartingWith(QStringLiteral("'")); });
        QCOMPARE(station->boxes.Shown().back().text,
                 QStringLiteral("'%1 ' is not a valid integer value.").arg(Key[TestRun.TestNo[0] - 1]));
        QCOMPARE(station->Trace().last(), QStringLiteral("5- ответов"));
        station->boxes.ExpectStartingWith(QStringLiteral("'"));
        station->Answer(2);
        QVERIFY(verdictLines().isEmpty());
    }

    void soakOfWholeRuns()
    {
        // Whole runs with random answers over random banks, checking the
        // invariants after every step.
        QRandomGenerator random(20261208);
        int runs = 0;
        int finals = 0;
        bool retrySeen = false;
        TestForm->Show();
        while (runs < 1000) {
            QVERIFY2(station->Trace().front().startsWith(QStringLiteral("Найдено")), "the trace holds the current run only");
            QCOMPARE(station->Trace().front(), QStringLiteral("Найдено %1 тестов").arg(TestRun.TestCount));
            ++runs;
            int verdict = testrun::VerdictNext;
            for (int step = 0; step < 5 && verdict == testrun::VerdictNext; ++step) {
                QVERIFY(TestRun.QQ >= 0 && TestRun.QQ <= 4);
                const int chosen = random.bounded(10) < 8 ? TestRun.RightAnswer[TestRun.QQ] : int(random.bounded(1, 4));
                const bool wasRetry = TestRun.RetryUsed == 1;
                if (chosen != TestRun.RightAnswer[TestRun.QQ] && !wasRetry)
                    station->boxes.Expect(SecondChanceText);
                station->Answer(chosen);
                verdict = TestRun.Verdict;
                QVERIFY(!wasRetry || TestRun.RetryUsed == 1);
                QVERIFY(TestRun.QQ >= 0 && TestRun.QQ <= 4);
            }
            retrySeen = retrySeen || TestRun.RetryUsed == 1;
            QVERIFY(!retrySeen || TestRun.RetryUsed == 1);
            QCOMPARE(verdictLines().size(), verdictLines().count(QStringLiteral("1")) + 1); // one final verdict per run
            // A new bank for the next run, then the person brings the test window back.
            const int pages = random.bounded(5, 31);
            std::vector<int> key;
            for (int p = 0; p < pages; ++p)
                key.push_back(random.bounded(1, 4));
            QDir(station->base + QStringLiteral("TESTS")).removeRecursively();
            station->WriteBank(pages, key);
            if (verdict == testrun::VerdictSecondChance) {
                station->boxes.Expect(HandOverText);
                Form1->Button2->click();
            } else {
                ++finals;
                QVERIFY(!Form1->Panel1->isHidden());
                Form1->Panel1->setVisible(false); // back to study state for the next run's hand-over
                station->app->UserClicked(TestForm);
            }
            QCOMPARE(station->app->ActiveForm(), TestForm);
            QVERIFY(station->boxes.Failures().isEmpty());
            QVERIFY(station->boxes.Pending() == 0);
        }
        QVERIFY(finals > 500);
    }
};

STATION_TEST_MAIN(TestviewTest)
#include "tst_testview.moc"
