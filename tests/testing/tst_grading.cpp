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
    // A right answer: the next question, passed from the fifth slot (index 4) on.
    QTest::newRow("right, first slot") << 0 << 2 << 2 << 0 << VerdictNext;
    QTest::newRow("right, fourth slot") << 3 << 1 << 1 << 0 << VerdictNext;
    QTest::newRow("right, fifth slot") << 4 << 3 << 3 << 0 << VerdictPassed;
    QTest::newRow("right, past the fifth") << 5 << 2 << 2 << 0 << VerdictPassed;
    QTest::newRow("right, largest index") << INT32_MAX << 1 << 1 << 0 << VerdictPassed;
    QTest::newRow("right, index -1") << -1 << 1 << 1 << 0 << VerdictNext;
    QTest::newRow("right, smallest index") << INT32_MIN << 1 << 1 << 0 << VerdictNext;
    QTest::newRow("right, second chance used") << 1 << 2 << 2 << 1 << VerdictNext;
    QTest::newRow("right, fifth slot, second chance used") << 4 << 2 << 2 << 1 << VerdictPassed;
    // A wrong answer or none: the second chance, failed once it is used (retry exactly 1).
    QTest::newRow("wrong, first mistake") << 2 << 1 << 2 << 0 << VerdictSecondChance;
    QTest::newRow("wrong, second chance used") << 2 << 1 << 2 << 1 << VerdictFailed;
    QTest::newRow("wrong, fifth slot, first mistake") << 4 << 1 << 2 << 0 << VerdictSecondChance;
    QTest::newRow("wrong, fifth slot, second chance used") << 4 << 1 << 2 << 1 << VerdictFailed;
    QTest::newRow("wrong, smallest index, second chance used") << INT32_MIN << 3 << 2 << 1 << VerdictFailed;
    QTest::newRow("wrong, retry 2") << 1 << 1 << 2 << 2 << VerdictSecondChance;
    QTest::newRow("wrong, retry 255") << 4 << 1 << 2 << 255 << VerdictSecondChance;
    QTest::newRow("none chosen, first mistake") << 0 << 0 << 3 << 0 << VerdictSecondChance;
    QTest::newRow("none chosen, second chance used") << 0 << 0 << 3 << 1 << VerdictFailed;
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
