#pragma once
// The kiosk's notice: one line for the person at the station while the
// station cannot be started, shown in the station's own message box.
#include <QString>

#include <chrono>
#include <optional>
#include <string_view>

namespace kiosk {

// How long a notice stays: a whole number of seconds from 1 to MaxSeconds,
// plain decimal digits only.
inline constexpr int MaxSeconds = 3600;
std::optional<int> ParseSeconds(std::string_view text);

// Shows `text` until `span` has passed and then closes the box itself; a box
// the person closes earlier comes back at once, so the screen never stands
// empty while the kiosk waits. Returns how many times the box was put up.
int ShowUntil(const QString& text, std::chrono::milliseconds span);

} // namespace kiosk
