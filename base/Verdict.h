#pragma once
// The verdict panel's colours as the layouts give colours (0x00BBGGRR) and
// its lines (UTF-8): the station and the kiosk's hold view show the same.
#include <cstdint>

namespace station {

inline constexpr std::uint32_t PassedColor = 0x008000; // green
inline constexpr std::uint32_t FailedColor = 0x000080; // maroon
inline constexpr const char* PassedText = "Тест успешно сдан!";
inline constexpr const char* FailedText = "Тест не сдан!";

} // namespace station
