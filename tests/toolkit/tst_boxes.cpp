// The real message boxes: texts, captions, buttons and return codes, answered
// by pressing their buttons as a person would.
#include "TestMain.h"

#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Environment.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

struct Seen {
    QString title, text, defaultButton;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool appModal = false;
    int width = 0;
    bool fixedSize = false;
    Qt::WindowFlags flags;
};

// Presses `button` (by caption, or Escape when empty) on the next box that comes up.
void AnswerNextBox(const QString& button, Seen& seen)
{
    QTimer::singleShot(0, [button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            AnswerNextBox(button, seen);
            return;
        }
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.appModal = box->windowModality() == Qt::ApplicationModal;
        seen.width = box->width();
        seen.fixedSize = box->minimumSize() == box->maximumSize();
        seen.flags = box->windowFlags();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        if (button.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
}

} // namespace

class BoxesTest : public QObject {
    Q_OBJECT
    tk::TApplication app;

private slots:
    void initTestCase() { app.SetTitle(QStringLiteral("Инструктаж [Демо-версия]")); }

    void okBoxReturnsOne()
    {
        Seen seen;
        AnswerNextBox(QStringLiteral("OK"), seen);
        QCOMPARE(tk::MessageBox(QStringLiteral("Перейти к тестированию?"), QStringLiteral("ВНИМАНИЕ!"), tk::MB_OK),
                 tk::IDOK);
        QCOMPARE(seen.title, QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(seen.text, QStringLiteral("Перейти к тестированию?"));
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
        QVERIFY(seen.appModal);
    }

    void okBoxEscapeStillReturnsOne()
    {
        Seen seen;
        AnswerNextBox(QString(), seen);
        QCOMPARE(tk::MessageBox(QStringLiteral("x"), QStringLiteral("y"), tk::MB_OK), tk::IDOK);
    }

    void yesNoBoxReturnsSixOrSeven_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("code");
        QTest::newRow("yes") << QStringLiteral("Да") << tk::IDYES;
        QTest::newRow("no") << QStringLiteral("Нет") << tk::IDNO;
        QTest::newRow("escape answers no") << QString() << tk::IDNO;
    }
    void yesNoBoxReturnsSixOrSeven()
    {
        QFETCH(QString, press);
        QFETCH(int, code);
        Seen seen;
        AnswerNextBox(press, seen);
        QCOMPARE(tk::MessageBox(QStringLiteral("Прервать прохождение теста?"), QStringLiteral("ВНИМАНИЕ!"),
                                tk::MB_YESNO),
                 code);
        QCOMPARE(seen.buttons, (QStringList{QStringLiteral("Да"), QStringLiteral("Нет")}));
        QCOMPARE(seen.defaultButton, QStringLiteral("Да"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon); // flags 4 ask for no icon
    }

    void aBoxShowsItsWholeCaptionAndCannotBeMaximised_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::newRow("message") << int(tk::BoxKind::Message) << "Инструктаж [Демо-версия]";
        QTest::newRow("error") << int(tk::BoxKind::Error) << "Инструктаж [Демо-версия]";
        QTest::newRow("yes/no") << int(tk::BoxKind::MessageBox) << "ВНИМАНИЕ!";
    }
    void aBoxShowsItsWholeCaptionAndCannotBeMaximised()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        Seen seen;
        AnswerNextBox(QString(), seen);
        // A short text: the box would be narrower than its caption.
        if (kind == int(tk::BoxKind::MessageBox))
            tk::MessageBox(QStringLiteral("Да?"), caption, tk::MB_YESNO);
        else if (kind == int(tk::BoxKind::Message))
            tk::ShowMessage(QStringLiteral("Да?"));
        else
            tk::ShowErrorText(QStringLiteral("Да?"));
        QCOMPARE(seen.title, caption);
        // Room for the caption in a bold font of the text height, and for the title bar's buttons.
        QFont bold = QApplication::font();
        bold.setPixelSize(tk::ScreenScale().TextHeight());
        bold.setBold(true);
        const int captionWidth = QFontMetrics(bold).horizontalAdvance(caption);
        QVERIFY2(seen.width >= captionWidth + 3 * tk::ScreenScale().TextHeight(),
                 qPrintable(QStringLiteral("a box %1 wide for a caption of %2").arg(seen.width).arg(captionWidth)));
        QVERIFY(seen.width >= tk::CaptionWidth(caption));
        QVERIFY(seen.fixedSize);
        QVERIFY(!(seen.flags & Qt::WindowMaximizeButtonHint));
    }

    void showMessageHasTheTitleNoIconAndOneOk()
    {
        Seen seen;
        AnswerNextBox(QString(), seen); // OK is the cancel button too
        tk::ShowMessage(QStringLiteral("Нужно выбрать ответ!"));
        QCOMPARE(seen.title, QStringLiteral("Инструктаж [Демо-версия]"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(seen.defaultButton, QStringLiteral("OK"));
    }

    void errorBoxHasTheTitleAndAnErrorIcon()
    {
        Seen seen;
        AnswerNextBox(QStringLiteral("OK"), seen);
        tk::ShowErrorText(QStringLiteral("List index out of bounds (7)"));
        QCOMPARE(seen.title, QStringLiteral("Инструктаж [Демо-версия]"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.text, QStringLiteral("List index out of bounds (7)"));
    }

    void errorTextGetsAFullStopAfterCharactersThatSortAfterIt_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Cannot open file /a/ANS.a" << "Cannot open file /a/ANS.a.";
        QTest::newRow("digit") << "error 5" << "error 5.";
        QTest::newRow("cyrillic") << "Ошибка" << "Ошибка.";
        QTest::newRow("closing paren sorts before") << "List index out of bounds (3)" << "List index out of bounds (3)";
        QTest::newRow("quote sorts before") << "'x' is not a valid integer value'" << "'x' is not a valid integer value'";
        QTest::newRow("full stop itself") << "done." << "done.";
        QTest::newRow("slash sorts after") << "path/" << "path/.";
        QTest::newRow("empty") << "" << "";
    }
    void errorTextGetsAFullStopAfterCharactersThatSortAfterIt()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(tk::ErrorBoxText(message), shown);
    }

    void timersKeepTickingBehindABox()
    {
        int ticks = 0;
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start();
        QTimer::singleShot(200, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->buttons().first()->click();
        });
        tk::ShowMessage(QStringLiteral("ждём"));
        QVERIFY(ticks > 3);
    }
};

STATION_TEST_MAIN(BoxesTest)
#include "tst_boxes.moc"
