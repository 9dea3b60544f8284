#pragma once
// The verdict panel's colours as the layouts give colours: 0x00BBGGRR.
#include <cstdint>

namespace station {

inline constexpr std::uint32_t PassedColor = 0x008000; // green
inline constexpr std::uint32_t FailedColor = 0x000080; // maroon

} // namespace station
