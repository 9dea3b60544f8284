#include "study/StudyClock.h"

#include <QtTest>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Stands in for the study window: records what the clock asks of it, counts
// the progress bar's steps down from 600, and can be told to fail.
struct FakeWindow : study::TickTarget {
    int ticks = 0; // ticks delivered through Tick()
    std::string caption = "9:59";
    int progress = 600;
    std::vector<std::string> calls; // end steps and failure reports, in order
    std::vector<int> endTicks;      // ticks on which DisableTimer ran
    int failureReports = 0;

    bool failCaption = false;
    bool failProgress = false;
    bool failReport = false;
    std::string failingEndStep;

    void SetCaption(const std::string& text) override
    {
        if (failCaption)
            throw std::runtime_error("caption");
        caption = text;
    }
    void StepProgressDown() override
    {
        if (failProgress)
            throw 42; // not even a std::exception
        --progress; // the real bar holds at its minimum; here every step counts
    }
    void ShowTimerFailed(const std::string& text) override
    {
        calls.push_back("message: " + text);
        ++failureReports;
        if (failReport)
            throw std::runtime_error("message box");
    }
    void DisableTimer() override { EndStep("disable"); endTicks.push_back(ticks); }
    void CloseStudyWindow() override { EndStep("close"); }
    void ShowTestWindow() override { EndStep("show test"); }

    void EndStep(const std::string& name)
    {
        calls.push_back(name);
        if (failingEndStep == name)
            throw std::runtime_error(name);
    }

    void Run(study::StudyClock& clock, int count, std::uint32_t interval = 1000)
    {
        for (int k = 0; k < count; ++k) {
            ++ticks;
            clock.Tick(interval, *this);
        }
    }
};

const std::vector<std::string> EndSteps{"disable", "close", "show test"};

} // namespace

class StudyClockTest : public QObject {
    Q_OBJECT
private slots:
    void captionAfterTicks_data();
    void captionAfterTicks();
    void captionTextFormsPlainDecimal_data();
    void captionTextFormsPlainDecimal();
    void stageEndsOnceOnTick600();
    void resetStartsTheStudyPeriodAnew();
    void failingWindowUpdateStillEndsTheStage_data();
    void failingWindowUpdateStillEndsTheStage();
    void failingEndStepReachesTheCaller_data();
    void failingEndStepReachesTheCaller();
    void failingReportDoesNotStopTheEnd();
    void zeroIntervalNeverEnds();
    void intervalIsWidenedBeforeScaling();
    void elapsedBeyondMinutesRangeIsAFailure_data();
    void elapsedBeyondMinutesRangeIsAFailure();
    void progressStepsOncePerTick();
    void processClockIsOneInstance();
};

void StudyClockTest::captionAfterTicks_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QByteArray>("caption");

    QTest::newRow("1") << 1 << 0 << 1 << QByteArray("9:58");
    QTest::newRow("2") << 2 << 0 << 2 << QByteArray("9:57");
    QTest::newRow("54") << 54 << 0 << 54 << QByteArray("9:5");
    QTest::newRow("59") << 59 << 0 << 59 << QByteArray("9:0");
    QTest::newRow("60") << 60 << 1 << 0 << QByteArray("8:59");
    QTest::newRow("61") << 61 << 1 << 1 << QByteArray("8:58");
    QTest::newRow("539") << 539 << 8 << 59 << QByteArray("1:0");
    QTest::newRow("540") << 540 << 9 << 0 << QByteArray("0:59");
    QTest::newRow("599") << 599 << 9 << 59 << QByteArray("0:0");
    QTest::newRow("600") << 600 << 10 << 0 << QByteArray("-1:59");
}

void StudyClockTest::captionAfterTicks()
{
    QFETCH(int, ticks);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QByteArray, caption);

    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, ticks);
    QCOMPARE(clock.Elapsed, double(ticks)); // whole seconds, no drift
    QCOMPARE(clock.Minutes, minutes);
    QCOMPARE(clock.Seconds, seconds);
    QCOMPARE(window.caption, caption.toStdString());
    QCOMPARE(window.calls, ticks == 600 ? EndSteps : std::vector<std::string>{});
}

void StudyClockTest::captionTextFormsPlainDecimal_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QByteArray>("caption");

    QTest::newRow("start") << 0 << 0 << QByteArray("9:59");
    QTest::newRow("no leading zeros") << 9 << 55 << QByteArray("0:4");
    QTest::newRow("past the end") << 11 << 30 << QByteArray("-2:29");
    QTest::newRow("largest minutes") << INT32_MAX << INT32_MAX << QByteArray("-2147483638:-2147483588");
}

void StudyClockTest::captionTextFormsPlainDecimal()
{
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QByteArray, caption);
    QCOMPARE(study::StudyClock::CaptionText(minutes, seconds), caption.toStdString());
}

void StudyClockTest::stageEndsOnceOnTick600()
{
    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, 1500); // ticks that would still arrive must not end it again
    QCOMPARE(window.endTicks, std::vector<int>{600});
    QCOMPARE(window.calls, EndSteps);
    QCOMPARE(window.failureReports, 0);
}

void StudyClockTest::resetStartsTheStudyPeriodAnew()
{
    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, 300);
    clock.Reset();
    QCOMPARE(clock.Elapsed, 0.0);
    QCOMPARE(clock.Minutes, 5); // kept until the next tick
    QCOMPARE(window.caption, std::string("4:59"));
    window.Run(clock, 1);
    QCOMPARE(window.caption, std::string("9:58"));
    window.Run(clock, 1000);
    QCOMPARE(window.endTicks, std::vector<int>{900});
}

void StudyClockTest::failingWindowUpdateStillEndsTheStage_data()
{
    QTest::addColumn<bool>("failCaption");
    QTest::addColumn<bool>("failProgress");
    QTest::newRow("caption") << true << false;
    QTest::newRow("progress") << false << true;
    QTest::newRow("both") << true << true;
}

void StudyClockTest::failingWindowUpdateStillEndsTheStage()
{
    QFETCH(bool, failCaption);
    QFETCH(bool, failProgress);
    study::StudyClock clock;
    FakeWindow window;
    window.failCaption = failCaption;
    window.failProgress = failProgress;
    window.Run(clock, 600);

    QCOMPARE(window.failureReports, 600);
    QCOMPARE(clock.Elapsed, 600.0); // state changed before the failure stays changed
    QCOMPARE(window.endTicks, std::vector<int>{600});
    const std::vector<std::string> lastTick(window.calls.end() - 4, window.calls.end());
    QCOMPARE(lastTick, (std::vector<std::string>{"message: Timer is failed", "disable", "close", "show test"}));
    // The failing step and the ones after it are skipped in every tick.
    QCOMPARE(window.progress, 600);
    if (!failCaption)
        QCOMPARE(window.caption, std::string("-1:59"));
}

void StudyClockTest::failingEndStepReachesTheCaller_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<int>("stepsRun");
    QTest::newRow("disable") << QByteArray("disable") << 1;
    QTest::newRow("close") << QByteArray("close") << 2;
    QTest::newRow("show test") << QByteArray("show test") << 3;
}

void StudyClockTest::failingEndStepReachesTheCaller()
{
    QFETCH(QByteArray, step);
    QFETCH(int, stepsRun);
    study::StudyClock clock;
    FakeWindow window;
    window.failingEndStep = step.toStdString();
    window.Run(clock, 599);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, window.Run(clock, 1));
    QCOMPARE(window.calls, std::vector<std::string>(EndSteps.begin(), EndSteps.begin() + stepsRun));
    QCOMPARE(window.failureReports, 0);
}

void StudyClockTest::failingReportDoesNotStopTheEnd()
{
    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, 599);
    window.failCaption = true;
    window.failReport = true;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, window.Run(clock, 1));
    QCOMPARE(window.calls, (std::vector<std::string>{"message: Timer is failed", "disable", "close", "show test"}));
}

void StudyClockTest::zeroIntervalNeverEnds()
{
    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, 5000, 0);
    QCOMPARE(clock.Elapsed, 0.0);
    QCOMPARE(window.caption, std::string("9:59"));
    QVERIFY(window.calls.empty());
    QCOMPARE(window.progress, 600 - 5000); // every tick steps the bar, however short
}

void StudyClockTest::intervalIsWidenedBeforeScaling()
{
    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, 1, UINT32_MAX);
    QCOMPARE(clock.Elapsed, 4294967.295);
    QCOMPARE(clock.Minutes, 71582);
    QCOMPARE(clock.Seconds, 47);
    QCOMPARE(window.caption, std::string("-71573:12"));
    QCOMPARE(window.failureReports, 0);
}

void StudyClockTest::elapsedBeyondMinutesRangeIsAFailure_data()
{
    QTest::addColumn<double>("elapsed");
    QTest::newRow("huge") << 1e300;
    QTest::newRow("just past the 32-bit minutes") << 60.0 * 2147483648.0;
    QTest::newRow("hugely negative") << -1e300;
    QTest::newRow("minutes caption beyond 32 bits") << 60.0 * -2147483648.0 - 1.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
}

void StudyClockTest::elapsedBeyondMinutesRangeIsAFailure()
{
    QFETCH(double, elapsed);
    study::StudyClock clock;
    clock.Elapsed = elapsed;
    FakeWindow window;
    window.Run(clock, 1);
    QCOMPARE(window.failureReports, 1);
    QCOMPARE(window.caption, std::string("9:59"));
    QCOMPARE(window.progress, 600);
    QVERIFY(window.endTicks.empty());
}

void StudyClockTest::progressStepsOncePerTick()
{
    // One step down a tick, a second study period too: the clock never
    // refills the bar (holding it at 0 is the bar's own rule).
    study::StudyClock clock;
    FakeWindow window;
    window.Run(clock, 600);
    QCOMPARE(window.progress, 0);
    clock.Reset();
    window.Run(clock, 600);
    QCOMPARE(window.progress, -600);
    QCOMPARE(window.endTicks, (std::vector<int>{600, 1200}));
}

void StudyClockTest::processClockIsOneInstance()
{
    // The study window resets and ticks the clock through separate calls;
    // each call must reach the same clock, which a new process starts at 0.
    QCOMPARE(study::ProcessClock().Elapsed, 0.0);
    FakeWindow window;
    for (int k = 0; k < 3; ++k)
        study::ProcessClock().Tick(1000, window);
    QCOMPARE(study::ProcessClock().Elapsed, 3.0);
    QCOMPARE(window.caption, std::string("9:56"));
    study::ProcessClock().Reset();
    QCOMPARE(study::ProcessClock().Elapsed, 0.0);
}

QTEST_APPLESS_MAIN(StudyClockTest)
#include "tst_studyclock.moc"
