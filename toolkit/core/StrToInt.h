#pragma once

#include <cstdint>
#include <string>

namespace tk {

// Plain decimal, minus sign for negatives, no leading zeros.
std::string IntToStr(std::int32_t value);

// Leading spaces (the space only) are skipped; then either an optional sign
// and decimal digits, or hex after "$", "x", "X", "0x" or "0X" without a sign.
// Anything else, or a value outside the signed 32-bit range, throws
// tk::Exception with NotValidIntegerText(text).
std::int32_t StrToInt(const std::string& text);

} // namespace tk
