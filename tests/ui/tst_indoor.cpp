// The entry window: layout and texts exactly, and the hand-over to study.
#include "StationFixture.h"
#include "TestMain.h"

#include "toolkit/Layout.h"

class IndoorTest : public QObject {
    Q_OBJECT
    std::unique_ptr<StationFixture> station;

private slots:
    void init() { station = std::make_unique<StationFixture>(); }
    void cleanup()
    {
        QVERIFY2(station->boxes.Failures().isEmpty(), qPrintable(station->boxes.Failures().join('\n')));
        station.reset();
    }

    void windowProperties()
    {
        QCOMPARE(Form2->windowTitle(), QStringLiteral("Инструктаж [Демо] - Вход"));
        QCOMPARE(Form2->size(), QSize(338, 381));
        QCOMPARE(Form2->minimumSize(), Form2->maximumSize());
        QVERIFY(Form2->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(Form2->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(station->app->MainForm(), Form2);
        QVERIFY(!Form2->windowIcon().isNull());
    }

    void controlsStandWhereTheLayoutSays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("Label1") << "Label1" << QRect(8, 88, 314, 37);
        QTest::newRow("Image2") << "Image2" << QRect(8, 0, 321, 81);
        QTest::newRow("Memo1") << "Memo1" << QRect(8, 128, 321, 201);
        QTest::newRow("Button1") << "Button1" << QRect(9, 336, 320, 41);
        QTest::newRow("StaticText2") << "StaticText2" << QRect(205, 312, 125, 20);
    }
    void controlsStandWhereTheLayoutSays()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        auto* control = Form2->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->parentWidget(), Form2);
    }

    void laterControlsLieAboveEarlierOnes()
    {
        // The notice covers the memo's lower right corner.
        const QObjectList& children = Form2->children();
        QVERIFY(children.indexOf(Form2->StaticText2) > children.indexOf(Form2->Memo1));
        QCOMPARE(Form2->childAt(300, 320), Form2->StaticText2);
    }

    void looks()
    {
        QCOMPARE(Form2->Label1->text(), QStringLiteral("Вводный инструктаж"));
        QVERIFY(Form2->Label1->font().bold());
        QCOMPARE(Form2->Label1->font().pixelSize(), 32);
        QCOMPARE(Form2->Label1->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
        QCOMPARE(Form2->Button1->text(), QStringLiteral("Начать инструктаж"));
        QCOMPARE(Form2->Button1->Glyph().size(), QSize(32, 32));
        QCOMPARE(Form2->Button1->Spacing, 20);
        QCOMPARE(Form2->Image2->Picture().size(), QSize(499, 117));
        QCOMPARE(Form2->Image2->DrawnSize(), QSize(321, 75));
        QVERIFY(!Form2->StaticText2->text().isEmpty());
        QCOMPARE(Form2->StaticText2->font().pixelSize(), 13);
        QVERIFY(Form2->Memo1->isReadOnly());
        QCOMPARE(Form2->Memo1->frameShape(), QFrame::NoFrame);
    }

    void memoTextToTheCharacter()
    {
        const QStringList expected = {
            QStringLiteral("Инструктаж состоит из 2 частей:"),
            QString(),
            QStringLiteral("Часть 1 - Внимательно ознакомьтесь с "),
            QStringLiteral("теоретическим материалом. На это дается 10 "),
            QStringLiteral("минут."),
            QStringLiteral("Часть 2 - Пройдите тест, состоящий из 5 "),
            QStringLiteral("вопросов."),
            QString(),
            QStringLiteral("Отсчет времени пойдет с момента нажатия на "),
            QStringLiteral("кнопку \"Начать инструктаж\"."),
            QString(),
            QStringLiteral("Желаем удачи!"),
        };
        QCOMPARE(Form2->Memo1->Lines(), expected);
        QCOMPARE(Form2->Memo1->toPlainText(), expected.join(QLatin1Char('\n')));
    }

    void tabOrderIsMemoThenButton()
    {
        QCOMPARE(Form2->Memo1->focusPolicy() != Qt::NoFocus, true);
        QWidget* w = Form2->Memo1;
        for (int i = 0; i < 20 && w != Form2->Button1; ++i)
            w = w->nextInFocusChain();
        QCOMPARE(w, Form2->Button1);
        QCOMPARE(Form2->StaticText2->focusPolicy(), Qt::NoFocus);
    }

    void startButtonHandsOverToStudy()
    {
        Form2->Show();
        QCOMPARE(station->app->ActiveForm(), Form2);
        Form2->Button1->click();
        QVERIFY(Form1->isVisible());
        QVERIFY(!Form2->isVisible());
        QVERIFY(Form2); // hidden, not closed
        QCOMPARE(station->app->ActiveForm(), Form1);
        QVERIFY(Form1->Timer1->Enabled()); // the study clock started
        QCOMPARE(study::ProcessClock().Elapsed, 0.0);
        QVERIFY(!station->app->Terminated());
        QVERIFY(!TestForm->isVisible());
    }

    void closingTheEntryWindowEndsTheProcessWithoutAQuestion()
    {
        Form2->Show();
        Form2->Close();
        QVERIFY(station->app->Terminated());
        QVERIFY(station->boxes.Shown().empty());
        QVERIFY(!Form1->isVisible() && !TestForm->isVisible());
    }

    void theOtherWindowsExistWithTheirCaptionsAndSizes()
    {
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Инструктаж [Демо] - Простосмотр слайдов"));
        QCOMPARE(Form1->size(), QSize(1006, 723));
        QCOMPARE(TestForm->windowTitle(), QStringLiteral("Инструктаж [Демо] - Пройти тест"));
        QCOMPARE(TestForm->size(), QSize(1006, 723));
    }

    void atNinetySixPixelsPerInchTheWindowIsAboutFourFifths()
    {
        tk::SetPixelsPerInchOverride(96);
        TForm2 small;
        tk::SetPixelsPerInchOverride(120);
        QCOMPARE(small.size(), QSize(275, 310));
        QCOMPARE(small.Button1->geometry(), QRect(7, 273, 260, 33));
        QCOMPARE(small.Label1->font().pixelSize(), 26);
        QCOMPARE(small.StaticText2->font().pixelSize(), 10);
    }
};

STATION_TEST_MAIN(IndoorTest)
#include "tst_indoor.moc"
