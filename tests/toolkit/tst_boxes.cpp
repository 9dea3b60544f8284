// The real message boxes: texts, captions, buttons and return codes, answered
// by pressing their buttons as a person would.
#include "TestMain.h"

#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <QAbstractButton>
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
