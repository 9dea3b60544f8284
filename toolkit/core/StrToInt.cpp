#include "toolkit/core/StrToInt.h"

#include "toolkit/core/Errors.h"
#include "toolkit/core/Exception.h"

#include <optional>
#include <string_view>

namespace tk {
namespace {

constexpr std::int64_t Int32Max = 2147483647;

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Reads all of `digits` as a non-negative number no larger than `limit`.
std::optional<std::int64_t> ReadDigits(std::string_view digits, int base, std::int64_t limit)
{
    if (digits.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        // Checked on every digit, so the accumulator never grows past
        // limit * 16 + 15 and cannot overflow however long the text is.
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> Parse(std::string_view text)
{
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(start);

    if (text.front() == '$' || text.front() == 'x' || text.front() == 'X') {
        text.remove_prefix(1);
        return ReadDigits(text, 16, Int32Max);
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        return ReadDigits(text, 16, Int32Max);
    }

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto magnitude = ReadDigits(text, 10, negative ? Int32Max + 1 : Int32Max);
    if (!magnitude)
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -*magnitude : *magnitude);
}

} // namespace

std::string IntToStr(std::int32_t value) { return std::to_string(value); }

std::int32_t StrToInt(const std::string& text)
{
    const auto value = Parse(text);
    if (!value)
        throw Exception(NotValidIntegerText(text));
    return *value;
}

} // namespace tk
