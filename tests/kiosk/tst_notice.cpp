// The kiosk's notice: what it accepts as its time, and that it stays on
// screen for exactly that time, however often the person closes it.
#include "TestMain.h"

#include "Notice.h"

#include "toolkit/Application.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

// Watches the boxes that come up: their texts, and presses OK on the first
// `closeFirst` of them shortly after they appear, as an impatient person would.
class Person : public QObject {
public:
    explicit Person(int closeFirst) : closeFirst_(closeFirst)
    {
        connect(&poll_, &QTimer::timeout, this, [this] { Look(); });
        poll_.start(10);
    }
    QStringList texts;

private:
    void Look()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // Each box is a new one, possibly at the address of the last: tell them apart by its life.
        if (!box || box == current_)
            return;
        current_ = box;
        texts << box->text();
        if (texts.size() <= closeFirst_)
            QTimer::singleShot(50, box, [box] { box->buttons().first()->click(); });
    }
    int closeFirst_;
    QTimer poll_;
    QPointer<QMessageBox> current_;
};

} // namespace

class NoticeTest : public QObject {
    Q_OBJECT
    tk::TApplication app;
    const QString line = QStringLiteral("Программа инструктажа не запускается.");

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void secondsAreAWholeNumberInRange()
    {
        QCOMPARE(kiosk::ParseSeconds("30"), std::optional<int>(30));
        QCOMPARE(kiosk::ParseSeconds("1"), std::optional<int>(1));
        QCOMPARE(kiosk::ParseSeconds("3600"), std::optional<int>(3600));
        for (const char* bad : {"", "0", "3601", "-5", "+5", " 5", "5 ", "5s", "1e3", "99999999999", "x"})
            QVERIFY2(!kiosk::ParseSeconds(bad), bad);
    }

    // However often the person closes it, the box is back until the time is
    // up, and then closes itself.
    void itStaysForItsTimeThenGoes_data()
    {
        QTest::addColumn<int>("closedByThePerson");
        QTest::addColumn<int>("ms");
        QTest::newRow("left alone") << 0 << 400;
        QTest::newRow("closed twice") << 2 << 800;
    }
    void itStaysForItsTimeThenGoes()
    {
        QFETCH(int, closedByThePerson);
        QFETCH(int, ms);
        Person person(closedByThePerson);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(kiosk::ShowUntil(line, std::chrono::milliseconds(ms)), closedByThePerson + 1);
        QVERIFY(clock.elapsed() >= ms);
        QCOMPARE(person.texts, QStringList(QList<QString>(closedByThePerson + 1, line)));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

STATION_TEST_MAIN(NoticeTest)
#include "tst_notice.moc"
