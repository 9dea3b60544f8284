#include "testing/Grading.h"

#include <QtTest>

#include <cstdint>

class GradingTest : public QObject {
    Q_OBJECT
private slots:
    void verdictForEveryInput_data();
    void verdictForEveryInput();
};

void GradingTest::verdictForEveryInput_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("retry");
    QTest::addColumn<int>("verdict");

    using namespace testrun;
    for (int retry : {0, 1, 2, 255}) {
        const int wrong = retry == 1 ? VerdictFailed : VerdictSecondChance;
        for (int index : {INT32_MIN, -1, 0, 1, 2, 3, 4, 5, INT32_MAX}) {
            const int right = index >= 4 ? VerdictPassed : VerdictNext;
            QTest::addRow("index %d, retry %d, right", index, retry) << index << 2 << 2 << retry << right;
            QTest::addRow("index %d, retry %d, wrong", index, retry) << index << 1 << 2 << retry << wrong;
            QTest::addRow("index %d, retry %d, none chosen", index, retry) << index << 0 << 3 << retry << wrong;
        }
    }
    // Key values outside 1..3 are compared as they stand.
    QTest::newRow("no choice against key 0") << 0 << 0 << 0 << 0 << VerdictNext;
    QTest::newRow("choice against key 7") << 4 << 3 << 7 << 1 << VerdictFailed;
    QTest::newRow("negative values equal") << 4 << -5 << -5 << 1 << VerdictPassed;
}

void GradingTest::verdictForEveryInput()
{
    QFETCH(int, index);
    QFETCH(int, chosen);
    QFETCH(int, right);
    QFETCH(int, retry);
    QFETCH(int, verdict);
    QCOMPARE(testrun::CheckAnswer(index, chosen, right, static_cast<std::uint8_t>(retry)), verdict);
}

QTEST_APPLESS_MAIN(GradingTest)
#include "tst_grading.moc"
