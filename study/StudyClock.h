#pragma once

#include <cstdint>
#include <string>

namespace study {

// What a tick does to the study window; the clock itself knows no window.
struct TickTarget {
    virtual ~TickTarget() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void StepProgressDown() = 0; // position - 1, held at the bar's minimum
    virtual void ShowTimerFailed(const std::string& text) = 0;
    virtual void DisableTimer() = 0;
    virtual void CloseStudyWindow() = 0;
    virtual void ShowTestWindow() = 0;
};

class StudyClock {
public:
    double Elapsed = 0.0;
    std::int32_t Minutes = 0;
    std::int32_t Seconds = 0;
    static constexpr double StudyLimit = 600.0;

    // Starts the study period anew; Minutes and Seconds wait for the next tick.
    void Reset();

    // One timer event of `interval` milliseconds. A failure while counting or
    // updating the window is reported through ShowTimerFailed and does not
    // keep the stage from ending; failures of the end steps reach the caller.
    void Tick(std::uint32_t interval, TickTarget& target);

    // Remaining time as shown: 9 - minutes, ":", 59 - seconds, plain decimal.
    static std::string CaptionText(std::int32_t minutes, std::int32_t seconds);
};

// The clock of the process's one study window.
StudyClock& ProcessClock();

} // namespace study
