#pragma once

#include "base/Verdict.h"

#include <cstdint>

namespace testrun {

constexpr int VerdictPassed = 0;
constexpr int VerdictNext = 1;
constexpr int VerdictSecondChance = 2;
constexpr int VerdictFailed = 3;

constexpr std::uint32_t ColorGreen = station::PassedColor;
constexpr std::uint32_t ColorMaroon = station::FailedColor;

// Right: passed from slot 4 on, else the next question. Wrong: failed when
// the second chance is used up (retry exactly 1), else the second chance.
std::int32_t CheckAnswer(std::int32_t index, std::int32_t chosen, std::int32_t right, std::uint8_t retry);

} // namespace testrun
