// Wall time of the study window's first 60 real ticks: the countdown must keep
// pace with the clock on the wall, or the ten minutes of study grow longer.
#include "BenchStation.h"
#include "Report.h"

#include "ui/Indoor.h"
#include "ui/Main.h"

#include <QElapsedTimer>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    constexpr int Ticks = 60;
    BenchStation station(argc, argv);
    Form2->Show();
    BenchStation::RunFor(1000); // the entry window is drawn and the study page has loaded

    QElapsedTimer clock;
    std::vector<qint64> at; // nanoseconds from the activation to each timeout
    const std::function<void()> tick = Form1->Timer1->OnTimer;
    Form1->Timer1->OnTimer = [&] {
        at.push_back(clock.nsecsElapsed());
        tick();
        BenchStation::Wake();
    };

    // What "Начать инструктаж" does; the activation that enables Timer1 is the
    // last step of Show, so the clock starts microseconds after the timer.
    Form1->Show();
    clock.start();
    Form2->Hide();
    const bool done = BenchStation::WaitUntil([&] { return at.size() >= Ticks; }, (Ticks + 30) * 1000);
    Form1->Timer1->SetEnabled(false);
    if (!done) {
        std::fprintf(stderr, "bench_study_ticks: only %zu ticks arrived\n", at.size());
        return 1;
    }

    double latest = 0; // how far the worst tick came after its own second
    for (int k = 0; k < Ticks; ++k)
        latest = std::max(latest, static_cast<double>(at[k] - (k + 1) * 1'000'000'000LL) / 1e6);
    const double seconds = static_cast<double>(at[Ticks - 1]) / 1e9;
    std::fprintf(stderr, "caption after %d ticks: %s, boxes: %lld\n", Ticks,
                 qPrintable(Form1->StaticText1->Caption()), static_cast<long long>(station.BoxesShown().size()));
    bench::PrintRow("Wall time of 60 ticks of the study window", bench::Fixed(seconds, 3), "s",
                    "QElapsedTimer from the activation (Form1->Show() enabling Timer1, as \"Начать инструктаж\" "
                    "does) to the 60th timeout of Form1->Timer1, counted by wrapping Timer1->OnTimer; real windows "
                    "and HTML view in one process under Xvfb; ideal 60.000");
    bench::PrintRow("Latest of those ticks behind its own second", bench::Fixed(latest, 1), "ms",
                    "max over k of (time of tick k − k s), same run");
    return 0;
}
