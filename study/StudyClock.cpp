#include "study/StudyClock.h"

#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"

#include <cmath>
#include <exception>

namespace study {
namespace {

constexpr const char* TimerFailedText = "Timer is failed";

// Truncation toward zero; a value the 32-bit field cannot hold is a failure
// of the tick rather than undefined behaviour.
std::int32_t TruncToInt32(double value)
{
    const double truncated = std::trunc(value);
    if (!(truncated >= -2147483648.0 && truncated <= 2147483647.0))
        throw tk::Exception("Elapsed time out of range");
    return static_cast<std::int32_t>(truncated);
}

std::int32_t CaptionPart(std::int32_t base, std::int32_t value)
{
    const std::int64_t difference = std::int64_t{base} - value;
    if (difference < INT32_MIN || difference > INT32_MAX)
        throw tk::Exception("Elapsed time out of range");
    return static_cast<std::int32_t>(difference);
}

} // namespace

void StudyClock::Reset() { Elapsed = 0.0; }

void StudyClock::Tick(std::uint32_t interval, TickTarget& target)
{
    bool failed = false;
    try {
        Elapsed = Elapsed + static_cast<double>(interval) * 0.001;
        Minutes = TruncToInt32(Elapsed / 60.0);
        Seconds = TruncToInt32(Elapsed - static_cast<double>(Minutes) * 60.0);
        target.SetCaption(CaptionText(Minutes, Seconds));
        target.StepProgressDown();
    } catch (...) {
        failed = true;
    }

    // The stage must still end on its last tick even if the failure report
    // itself fails, so that report's error is held back until after the end.
    std::exception_ptr reportError;
    if (failed) {
        try {
            target.ShowTimerFailed(TimerFailedText);
        } catch (...) {
            reportError = std::current_exception();
        }
    }

    if (Elapsed == StudyLimit) {
        target.DisableTimer();
        target.CloseStudyWindow();
        target.ShowTestWindow();
    }
    if (reportError)
        std::rethrow_exception(reportError);
}

std::string StudyClock::CaptionText(std::int32_t minutes, std::int32_t seconds)
{
    return tk::IntToStr(CaptionPart(9, minutes)) + ":" + tk::IntToStr(CaptionPart(59, seconds));
}

StudyClock& ProcessClock()
{
    static StudyClock clock;
    return clock;
}

} // namespace study
