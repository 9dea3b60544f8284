#include "testing/Draw.h"

#include <QtTest>

#include <algorithm>
#include <array>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using Draw = std::array<std::int32_t, testrun::QuestionsPerRun>;
using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(Draw)

namespace {

struct Outcome {
    Draw result;
    Lines trace;
    int comparisons = 0;
};

Outcome Deduplicate(const Draw& first, int testCount)
{
    testrun::TestRunState state;
    state.TestCount = testCount;
    state.TestNo = first;
    Outcome outcome;
    outcome.comparisons = testrun::DeduplicateDraw(state, [&](const std::string& line) { outcome.trace.push_back(line); });
    outcome.result = state.TestNo;
    if (state.CleanCompares != 10)
        qFatal("draw ended without a clean scan");
    return outcome;
}

// 1-based position of the first colliding pair in scan order, 0 if none.
int FirstCollision(const Draw& numbers, int& later, int& earlier)
{
    int position = 0;
    for (later = 1; later < 5; ++later)
        for (earlier = 0; earlier < later; ++earlier) {
            ++position;
            if (numbers[later] == numbers[earlier])
                return position;
        }
    return 0;
}

// Replays the trace on the first draw: each line must name the first
// colliding pair and the fix the rule prescribes for it; afterwards nothing
// collides and the numbers are the result.
QString CheckTrace(const Draw& first, int testCount, const Outcome& outcome)
{
    Draw numbers = first;
    int comparisons = 0;
    for (const auto& line : outcome.trace) {
        int later = 0, earlier = 0;
        const int position = FirstCollision(numbers, later, earlier);
        if (position == 0)
            return QStringLiteral("trace line without a collision");
        comparisons += position;
        if (numbers[later] == testCount) {
            if (line != "косяк")
                return QStringLiteral("expected косяк");
            numbers[earlier] = 1;
        } else {
            if (line != std::to_string(later) + "-" + std::to_string(earlier))
                return QStringLiteral("wrong pair in trace");
            numbers[earlier] = numbers[later] + 1;
        }
    }
    int later = 0, earlier = 0;
    if (FirstCollision(numbers, later, earlier) != 0)
        return QStringLiteral("a collision was not traced");
    if (numbers != outcome.result)
        return QStringLiteral("result differs from the traced fixes");
    if (comparisons + 10 != outcome.comparisons)
        return QStringLiteral("comparison count does not match the scans");
    return {};
}

} // namespace

class DrawTest : public QObject {
    Q_OBJECT
private slots:
    void everyFirstDrawEndsDistinctAndInRange_data();
    void everyFirstDrawEndsDistinctAndInRange();
    void knownDraws_data();
    void knownDraws();
    void generatorSequence();
    void drawUsesGeneratorModuloCountMinusOne();
    void exactlyFivePagesGiveAnArrangement();
    void fewerThanFivePagesIsRefused_data();
    void fewerThanFivePagesIsRefused();
};

void DrawTest::everyFirstDrawEndsDistinctAndInRange_data()
{
    QTest::addColumn<int>("testCount");
    for (int count = 5; count <= 12; ++count)
        QTest::addRow("%d pages", count) << count;
}

void DrawTest::everyFirstDrawEndsDistinctAndInRange()
{
    QFETCH(int, testCount);
    const int top = testCount - 1; // the first draw lies in 1..TestCount-1
    int worst = 0;
    bool topPageReached = false;
    Draw first{1, 1, 1, 1, 1};
    for (;;) {
        const auto outcome = Deduplicate(first, testCount);
        const std::set<std::int32_t> distinct(outcome.result.begin(), outcome.result.end());
        QCOMPARE(distinct.size(), std::size_t{5});
        QVERIFY(*distinct.begin() >= 1 && *distinct.rbegin() <= testCount);
        QVERIFY(outcome.comparisons <= 45);
        const QString traceError = CheckTrace(first, testCount, outcome);
        QVERIFY2(traceError.isEmpty(), qPrintable(traceError));
        worst = std::max(worst, outcome.comparisons);
        topPageReached = topPageReached || distinct.count(testCount);

        int slot = 0; // next first draw, as an odometer over 1..top
        while (slot < 5 && first[slot] == top)
            first[slot++] = 1;
        if (slot == 5)
            break;
        ++first[slot];
    }
    QCOMPARE(worst, 45); // the bound is reached, not just respected
    QVERIFY(topPageReached);
}

void DrawTest::knownDraws_data()
{
    QTest::addColumn<int>("testCount");
    QTest::addColumn<Draw>("first");
    QTest::addColumn<Draw>("result");
    QTest::addColumn<QStringList>("trace");

    QTest::newRow("4,4,1,2,3 of five") << 5 << Draw{4, 4, 1, 2, 3} << Draw{5, 4, 1, 2, 3} << QStringList{"1-0"};
    QTest::newRow("no collision") << 10 << Draw{9, 1, 5, 3, 7} << Draw{9, 1, 5, 3, 7} << QStringList{};
    QTest::newRow("косяк on the top page") << 5 << Draw{1, 1, 4, 4, 4} << Draw{3, 2, 1, 5, 4}
                                            << QStringList{"1-0", "3-2", "4-3", "косяк", "2-1", "1-0"};
    QTest::newRow("chain of raises") << 6 << Draw{2, 2, 2, 2, 2} << Draw{6, 5, 4, 3, 2}
                                     << QStringList{"1-0", "2-1", "1-0", "3-2", "2-1", "1-0",
                                                    "4-3", "3-2", "2-1", "1-0"};
}

void DrawTest::knownDraws()
{
    QFETCH(int, testCount);
    QFETCH(Draw, first);
    QFETCH(Draw, result);
    QFETCH(QStringList, trace);
    const auto outcome = Deduplicate(first, testCount);
    QCOMPARE(outcome.result, result);
    QStringList lines;
    for (const auto& line : outcome.trace)
        lines << QString::fromStdString(line);
    QCOMPARE(lines, trace);
}

void DrawTest::generatorSequence()
{
    // state := state * 22695477 + 1 (mod 2^32), value := (state >> 16) & 0x7FFF,
    // worked out by hand for seed 1 (its first value 346 is discarded).
    testrun::Lcg random;
    QCOMPARE(random.State(), 0u);
    random.Seed(1);
    QCOMPARE(random.State(), 22695478u);
    const std::vector<std::int32_t> expected{130, 10982, 1090, 11656, 7117, 17595, 6415, 22948};
    std::vector<std::int32_t> values;
    for (std::size_t k = 0; k < expected.size(); ++k)
        values.push_back(random.Next());
    QCOMPARE(values, expected);
    QCOMPARE(random.State(), 1503962414u);

    random.Seed(0xFFFFFFFFu); // wraps without trouble at the top of the range
    QCOMPARE(random.State(), std::uint32_t(0xFFFFFFFFull * 22695477ull + 1ull));
    for (int k = 0; k < 1000; ++k) {
        const auto value = random.Next();
        QVERIFY(value >= 0 && value <= 32767);
    }
}

void DrawTest::drawUsesGeneratorModuloCountMinusOne()
{
    testrun::TestRunState state;
    state.TestCount = 10;
    testrun::Lcg random;
    random.Seed(1); // 130, 10982, 1090, 11656, 7117 -> 5, 3, 2, 2, 8
    Lines trace;
    const int comparisons = testrun::DrawQuestions(state, random, [&](const std::string& line) { trace.push_back(line); });
    QCOMPARE(state.TestNo, (Draw{5, 4, 3, 2, 8}));
    QCOMPARE(trace, (Lines{"3-2", "2-1"}));
    QCOMPARE(comparisons, 6 + 3 + 10);
    QCOMPARE(state.CleanCompares, 10);
}

void DrawTest::exactlyFivePagesGiveAnArrangement()
{
    testrun::Lcg random;
    for (std::uint32_t seed = 0; seed < 2000; ++seed) {
        testrun::TestRunState state;
        state.TestCount = 5;
        random.Seed(seed * 7919u);
        testrun::DrawQuestions(state, random, [](const std::string&) {});
        Draw sorted = state.TestNo;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, (Draw{1, 2, 3, 4, 5}));
    }
}

void DrawTest::fewerThanFivePagesIsRefused_data()
{
    QTest::addColumn<int>("testCount");
    for (int count : {-1, 0, 1, 2, 4})
        QTest::addRow("%d pages", count) << count;
}

void DrawTest::fewerThanFivePagesIsRefused()
{
    QFETCH(int, testCount);
    testrun::TestRunState state;
    state.TestCount = testCount;
    testrun::Lcg random;
    random.Seed(7);
    const auto before = random.State();
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             testrun::DrawQuestions(state, random, [](const std::string&) {}));
    QCOMPARE(random.State(), before);
}

QTEST_APPLESS_MAIN(DrawTest)
#include "tst_draw.moc"
