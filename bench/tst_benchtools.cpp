// The benchmarks' own arithmetic and /proc reading: a fault here would print
// a wrong figure that nobody notices.
#include "ProcessTree.h"
#include "Report.h"
#include "Scaling.h"
#include "Starts.h"

#include <QtTest>

#include <atomic>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <thread>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using bench::ProcStat;

class BenchToolsTest : public QObject {
    Q_OBJECT
private slots:
    void statFieldsAreCountedFromTheLastParenthesis_data();
    void statFieldsAreCountedFromTheLastParenthesis();
    void malformedStatLinesAreRejected_data();
    void malformedStatLinesAreRejected();
    void rollupTakesOnlyTheRssAndPssLines();
    void descendantsFollowParentsAtAnyDepth_data();
    void descendantsFollowParentsAtAnyDepth();
    void samplerFindsChildrenAndOrphanedGrandchildren();
    void threadTicksCountOnlyThreadsOfThatName();
    void medianOfOddAndEvenCounts_data();
    void medianOfOddAndEvenCounts();
    void cellsCannotBreakTheTable();
    void textHeightIsRecoveredFromTheClientSize_data();
    void textHeightIsRecoveredFromTheClientSize();
    void startButtonCentreAtNinetySixPixelsPerInch();
    void startsInTimeGiveTheMedianAndTheSpread();
    void aStartPastTheWaitLimitIsAFailedRunNeverAFigure();
    void aRatioIsMadeOnlyOfProgramsWithoutFailedStarts();
};

namespace {
// pid (comm) state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt
// utime stime cutime cstime priority nice threads itrealvalue starttime vsize rss ...
QByteArray StatLine(const QByteArray& comm)
{
    return "4242 (" + comm + ") S 17 4242 4242 0 -1 4194560 900 0 3 0 1234 567 8 9 20 0 12 0 98765 "
                             "123456789 4321 18446744073709551615 1 1 0 0 0 0 0 4096 0 0 0 0 17 1 0 0 0 0 0\n";
}
} // namespace

void BenchToolsTest::statFieldsAreCountedFromTheLastParenthesis_data()
{
    QTest::addColumn<QByteArray>("comm");
    QTest::newRow("plain") << QByteArray("briefing-statio");
    QTest::newRow("spaces") << QByteArray("Web Content");
    QTest::newRow("parentheses") << QByteArray("a) S 1 2 (b");
    QTest::newRow("empty") << QByteArray("");
}

void BenchToolsTest::statFieldsAreCountedFromTheLastParenthesis()
{
    QFETCH(QByteArray, comm);
    const auto stat = bench::ParseStat(StatLine(comm).toStdString());
    QVERIFY(stat);
    QCOMPARE(stat->pid, 4242);
    QCOMPARE(stat->ppid, 17);
    QCOMPARE(stat->pgrp, 4242);
    QCOMPARE(stat->utime, 1234ULL);
    QCOMPARE(stat->stime, 567ULL);
    QCOMPARE(stat->starttime, 98765ULL);
    QCOMPARE(stat->rssPages, 4321LL);
}

void BenchToolsTest::malformedStatLinesAreRejected_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no name") << QByteArray("12 S 1 1 1");
    QTest::newRow("truncated") << QByteArray("12 (x) S 1 1 1 0 -1 0 0 0 0 0 5 6");
    QTest::newRow("pid not a number") << StatLine("x").replace("4242 (", "42a (");
    QTest::newRow("utime not a number") << StatLine("x").replace(" 1234 ", " 12x4 ");
}

void BenchToolsTest::malformedStatLinesAreRejected()
{
    QFETCH(QByteArray, line);
    QVERIFY(!bench::ParseStat(line.toStdString()));
}

void BenchToolsTest::rollupTakesOnlyTheRssAndPssLines()
{
    const std::string rollup = "55d0a2a1c000-7ffd5b3f1000 ---p 00000000 00:00 0    [rollup]\n"
                               "Pss_Anon:            116 kB\n"
                               "Rss:              151236 kB\n"
                               "Pss_Dirty:          5000 kB\n"
                               "Pss:               61234 kB\n"
                               "Shared_Clean:      90000 kB\n";
    const bench::Memory m = bench::ParseSmapsRollup(rollup);
    QCOMPARE(m.pssKiB, 61234LL);
    QCOMPARE(m.rssKiB, 151236LL);
    // A process that has ended leaves an empty file.
    const bench::Memory none = bench::ParseSmapsRollup("");
    QCOMPARE(none.pssKiB, 0LL);
    QCOMPARE(none.rssKiB, 0LL);
}

void BenchToolsTest::descendantsFollowParentsAtAnyDepth_data()
{
    using Table = std::vector<std::pair<int, int>>;
    QTest::addColumn<Table>("parents");
    QTest::addColumn<std::vector<int>>("expected"); // sorted; the root is 10
    QTest::newRow("no children") << Table{{10, 1}, {11, 1}} << std::vector<int>{};
    QTest::newRow("children and grandchildren") << Table{{10, 1}, {11, 10}, {12, 10}, {13, 12}, {14, 1}}
                                                << std::vector<int>{11, 12, 13};
    QTest::newRow("child listed after its own child") << Table{{30, 20}, {20, 11}, {11, 10}, {10, 1}}
                                                      << std::vector<int>{11, 20, 30};
    QTest::newRow("a cycle back to the root ends") << Table{{10, 11}, {11, 10}} << std::vector<int>{11};
    QTest::newRow("an unrelated cycle is left out") << Table{{10, 1}, {50, 51}, {51, 50}} << std::vector<int>{};
}

void BenchToolsTest::descendantsFollowParentsAtAnyDepth()
{
    using Table = std::vector<std::pair<int, int>>;
    QFETCH(Table, parents);
    QFETCH(std::vector<int>, expected);
    std::vector<int> found = bench::Descendants(parents, 10);
    std::sort(found.begin(), found.end());
    QCOMPARE(found, expected);
}

void BenchToolsTest::samplerFindsChildrenAndOrphanedGrandchildren()
{
    // As bench_launch does: helpers whose parent ended come to us.
    QCOMPARE(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeEnds[2];
    QCOMPARE(pipe(pipeEnds), 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            pause();
            _exit(0);
        }
        (void)!write(pipeEnds[1], &grandchild, sizeof grandchild);
        _exit(0); // leaves the grandchild without a parent
    }
    pid_t grandchild = 0;
    QCOMPARE(read(pipeEnds[0], &grandchild, sizeof grandchild), static_cast<ssize_t>(sizeof grandchild));
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    QCOMPARE(waitpid(child, nullptr, 0), child);

    const pid_t sleeper = fork();
    if (sleeper == 0) {
        pause();
        _exit(0);
    }
    bench::TreeSampler tree(getpid());
    const bench::Memory memory = tree.Sample();
    std::vector<int> members = tree.Members();
    std::sort(members.begin(), members.end());
    for (pid_t pid : {grandchild, sleeper}) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::vector<int> expected{grandchild, sleeper};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(members, expected);
    QVERIFY(memory.pssKiB > 0);
    QVERIFY(memory.rssKiB >= memory.pssKiB);
    QCOMPARE(tree.ProcessesSeen(), std::size_t(2));
}

void BenchToolsTest::threadTicksCountOnlyThreadsOfThatName()
{
    // A thread that uses 100 ms of processor time (its own CPU clock, not the
    // wall clock), then waits while its ticks are read.
    std::atomic<bool> busyDone = false, release = false;
    std::thread spinner([&] {
        pthread_setname_np(pthread_self(), "benchspin");
        timespec used{};
        while (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used) == 0 && used.tv_sec == 0 && used.tv_nsec < 100'000'000) {
        }
        busyDone = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!busyDone)
        std::this_thread::yield();
    const unsigned long long spun = bench::ThreadTicks(getpid(), "benchspin");
    const unsigned long long longer = bench::ThreadTicks(getpid(), "benchspinner");
    const unsigned long long none = bench::ThreadTicks(getpid(), "no-such-thread");
    release = true;
    spinner.join();
    const auto hz = static_cast<unsigned long long>(sysconf(_SC_CLK_TCK));
    QVERIFY2(spun >= hz / 20, qPrintable(QString::number(spun))); // at least half of what it used
    QCOMPARE(longer, 0ULL);
    QCOMPARE(none, 0ULL);
}

void BenchToolsTest::medianOfOddAndEvenCounts_data()
{
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<double>("median");
    QTest::newRow("one") << std::vector<double>{7} << 7.0;
    QTest::newRow("odd, unsorted") << std::vector<double>{9, 1, 5} << 5.0;
    QTest::newRow("even: mean of the middle two") << std::vector<double>{4, 1, 3, 100} << 3.5;
    QTest::newRow("repeated values") << std::vector<double>{2, 2, 2, 9} << 2.0;
}

void BenchToolsTest::medianOfOddAndEvenCounts()
{
    QFETCH(std::vector<double>, values);
    QFETCH(double, median);
    QCOMPARE(bench::Median(values), median);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, bench::Median({}));
}

void BenchToolsTest::cellsCannotBreakTheTable()
{
    QCOMPARE(QString::fromStdString(bench::Row("a|b", "1", "ms", "x\ny")),
             QStringLiteral("| a\\|b | 1 | ms | x y |"));
}

void BenchToolsTest::textHeightIsRecoveredFromTheClientSize_data()
{
    QTest::addColumn<int>("pixelsPerInch");
    for (int ppi : {72, 96, 120, 144, 192})
        QTest::newRow(QByteArray::number(ppi).constData()) << ppi;
}

void BenchToolsTest::textHeightIsRecoveredFromTheClientSize()
{
    QFETCH(int, pixelsPerInch);
    const tk::DpiScale scale(pixelsPerInch);
    QCOMPARE(bench::TextHeightForClient(338, 381, scale(338), scale(381)), std::optional<int>(scale.TextHeight()));
    QCOMPARE(bench::TextHeightForClient(338, 381, scale(338) + 1, scale(381)), std::optional<int>());
}

void BenchToolsTest::startButtonCentreAtNinetySixPixelsPerInch()
{
    // Button1 of the entry window: 9, 336, 320 x 41 at the design's text height 16.
    QCOMPARE(tk::DpiScale(96).TextHeight(), 13);
    QCOMPARE(bench::ScaledCentre(9, 336, 320, 41, 13), std::make_pair(137, 289));
    QCOMPARE(bench::ScaledCentre(9, 336, 320, 41, 16), std::make_pair(169, 356));
}

void BenchToolsTest::startsInTimeGiveTheMedianAndTheSpread()
{
    const bench::Starts starts{"Start to a window", {120.0, 100.0, 300.0, 110.0}, {}};
    QVERIFY(!starts.Failed());
    QCOMPARE(QString::fromStdString(bench::StartRow(starts, "how; ")),
             QStringLiteral("| Start to a window | 115.0 | ms | how; min 100.0, max 300.0 ms |"));
}

void BenchToolsTest::aStartPastTheWaitLimitIsAFailedRunNeverAFigure()
{
    // As in the run that once reported a maximum of 60031.5 ms: the other starts were fine.
    const bench::Starts starts{"Start to a window", {35.4, 24.7, 40.0}, {"start 7: no window within 60 s"}};
    QVERIFY(starts.Failed());
    const QString row = QString::fromStdString(bench::StartRow(starts, "how; "));
    QVERIFY2(row.startsWith(QStringLiteral("| Start to a window | failed |  | 1 of 4 starts failed")), qPrintable(row));
    QVERIFY2(row.contains(QStringLiteral("start 7: no window within 60 s")), qPrintable(row));
    for (const char* figure : {"35.4", "24.7", "40.0", "ms |"})
        QVERIFY2(!row.contains(QLatin1String(figure)), qPrintable(row));
    // No start at all is no figure either.
    QVERIFY(QString::fromStdString(bench::StartRow(bench::Starts{"Start", {}, {}}, "")).contains(QStringLiteral("| failed |")));
}

void BenchToolsTest::aRatioIsMadeOnlyOfProgramsWithoutFailedStarts()
{
    const bench::Starts station{"station", {200.0, 220.0, 210.0}, {}};
    const bench::Starts bare{"bare", {100.0}, {}};
    const bench::Starts broken{"bare", {100.0}, {"warm-up start: no window within 60 s"}};
    QCOMPARE(QString::fromStdString(bench::RatioRow("station / bare", station, bare)),
             QStringLiteral("| station / bare | 2.10 | × | ratio of the two medians, same run |"));
    QVERIFY(QString::fromStdString(bench::RatioRow("station / bare", station, broken)).startsWith(QStringLiteral("| station / bare | failed |")));
    QVERIFY(QString::fromStdString(bench::RatioRow("bare / station", broken, station)).startsWith(QStringLiteral("| bare / station | failed |")));
}

QTEST_APPLESS_MAIN(BenchToolsTest)
#include "tst_benchtools.moc"
