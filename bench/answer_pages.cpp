// From a press of "Ответить !" to the next question page loaded in the real
// browser-engine view: what the person waits for after every right answer.
#include "BenchStation.h"
#include "Report.h"

#include "ui/Testview.h"

#include <QElapsedTimer>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    constexpr int Presses = 20;
    constexpr int LoadTimeoutMs = 20000;
    BenchStation station(argc, argv);

    int loads = 0;
    int failedLoads = 0;
    QObject::connect(TestForm->CppWebBrowser1, &tk::TCppWebBrowser::PageLoaded, [&](bool ok) {
        ++loads;
        failedLoads += ok ? 0 : 1;
        BenchStation::Wake();
    });
    const auto waitForLoad = [&](int before) {
        return BenchStation::WaitUntil([&] { return loads > before; }, LoadTimeoutMs);
    };

    // Every activation starts a run and asks for its first page.
    const auto startRun = [&] {
        const int before = loads;
        TestForm->Hide();
        TestForm->Show();
        return waitForLoad(before);
    };
    if (!startRun()) {
        std::fprintf(stderr, "bench_answer_pages: the first question page never loaded\n");
        return 1;
    }

    std::vector<double> ms;
    int timeouts = 0;
    for (int press = 0; press < Presses; ++press) {
        // Four right answers lead to the fifth page; the fifth would end the test.
        if (TestRun.QQ == 4 && !startRun()) {
            std::fprintf(stderr, "bench_answer_pages: a run's first page never loaded\n");
            return 1;
        }
        TestForm->RadioButton1->click();
        const int before = loads;
        QElapsedTimer clock;
        clock.start();
        TestForm->Button2->click();
        if (!waitForLoad(before)) {
            ++timeouts;
            continue;
        }
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    if (ms.empty()) {
        std::fprintf(stderr, "bench_answer_pages: no press led to a loaded page\n");
        return 1;
    }
    const QStringList boxes = station.BoxesShown();
    for (const QString& box : boxes)
        std::fprintf(stderr, "box shown: %s\n", qPrintable(box));

    using bench::Fixed;
    bench::PrintRow("\"Ответить !\" to the next question page loaded", Fixed(bench::Median(ms), 1), "ms",
                    "median of " + std::to_string(ms.size()) + " presses (" + std::to_string(Presses / 4) +
                        " runs of 4 right answers over the " + std::to_string(station.QuestionPages()) +
                        "-page demo bank): QElapsedTimer from Button2->click() to the view's PageLoaded, real "
                        "browser-engine view under Xvfb; min " +
                        Fixed(bench::Min(ms), 1) + ", max " + Fixed(bench::Max(ms), 1) + " ms; failed loads " +
                        std::to_string(failedLoads) + ", timeouts " + std::to_string(timeouts) + ", boxes " +
                        std::to_string(boxes.size()));
    return 0;
}
