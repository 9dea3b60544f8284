#pragma once
// The operator's PIN of the kiosk: only its salted hash is kept, one line in
// a file under /etc that root writes and the kiosk session reads. Shared by
// briefing-kiosk-pin, which sets it, and the hold view, which checks it.
#include <optional>
#include <string>
#include <string_view>

namespace kiosk {

inline constexpr const char* DefaultPinFile = "/etc/briefing-station/kiosk-pin";
// Points the tool and the session at another file (tests); the station never reads it.
inline constexpr const char* PinFileVariable = "BRIEFING_KIOSK_PIN_FILE";
std::string PinFilePath();

// A PIN is 4 to 12 digits: digits read the same in every keyboard layout.
inline constexpr std::size_t MinPinLength = 4;
inline constexpr std::size_t MaxPinLength = 12;
bool PinWellFormed(std::string_view pin);

enum class PinState { Set, NotSet, Unreadable, Corrupt };
struct StoredPin {
    PinState state = PinState::NotSet;
    std::string hash;   // when Set
    std::string reason; // otherwise: one line for the log, in Russian
};
StoredPin ReadPin(const std::string& path);

// A new salted hash by the system's preferred method (yescrypt on Debian);
// nullopt when the system cannot make one.
std::optional<std::string> HashPin(std::string_view pin);
bool PinMatches(std::string_view pin, const std::string& hash);

} // namespace kiosk
