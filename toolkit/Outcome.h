#pragma once
// The turns of a person's run, each told as one line on standard output, so
// that whatever started the station (the kiosk session) learns how it ended
// without any file. The line is "briefing-station: " and the word; the kiosk
// session (packaging/kiosk/briefing-kiosk.in) takes only these whole lines.
#include <string_view>

namespace tk {

enum class Outcome { Started, Passed, Failed, BrokenOff, Closed };

inline constexpr std::string_view OutcomePrefix = "briefing-station: ";

constexpr std::string_view OutcomeWord(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Started: return "started";   // «Начать инструктаж» pressed
    case Outcome::Passed: return "passed";     // the green verdict
    case Outcome::Failed: return "failed";     // the maroon verdict
    case Outcome::BrokenOff: return "broken-off"; // the test broken off
    case Outcome::Closed: return "closed";     // the entry window closed before the start
    }
    return "";
}

// Writes the line; a closed or full output is no failure of the station.
void TellOutcome(Outcome outcome);

} // namespace tk
