#include "tools/KeyLine.h"

#include "tools/Finding.h"

#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"

#include <algorithm>
#include <string_view>

namespace contentcheck {
namespace {

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t CountWhile(std::string_view text, std::size_t from, bool (*accept)(char))
{
    std::size_t n = from;
    while (n < text.size() && accept(text[n]))
        ++n;
    return n - from;
}

// Length of the number at the start of `text` in any form StrToInt knows
// (ignoring its range); 0 when it does not start with one.
std::size_t NumberPrefix(std::string_view text)
{
    if (text.empty())
        return 0;
    if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') {
        const auto digits = CountWhile(text, 1, IsHex);
        return digits ? 1 + digits : 0;
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && IsHex(text[2]))
        return 2 + CountWhile(text, 2, IsHex);
    const std::size_t sign = text[0] == '+' || text[0] == '-' ? 1 : 0;
    const auto digits = CountWhile(text, sign, IsDecimal);
    return digits ? sign + digits : 0;
}

bool Readable(const std::string& text)
{
    try {
        tk::StrToInt(text);
        return true;
    } catch (const tk::Exception&) {
        return false;
    }
}

} // namespace

std::string KeyLineProblem(const std::string& line)
{
    if (Readable(line))
        return {};
    if (line.empty())
        return "пустая строка";

    std::string_view rest(line);
    rest.remove_prefix(std::min(rest.size(), CountWhile(rest, 0, [](char c) { return c == ' '; })));
    const std::string shown = "строка «" + Shown(line) + "» не число";
    if (rest.empty())
        return "строка из одних пробелов";

    const auto number = NumberPrefix(rest);
    if (number == 0) {
        const auto blanks = CountWhile(rest, 0, IsBlank);
        if (rest[0] == '\t' && NumberPrefix(rest.substr(blanks)) > 0)
            return shown + " (табуляция перед числом: пропускаются только пробелы)";
        return shown;
    }
    const auto tail = rest.substr(number);
    if (tail.empty())
        return shown + " (вне диапазона от −2147483648 до 2147483647)";
    if (CountWhile(tail, 0, IsBlank) == tail.size())
        return shown + " (лишний пробел или табуляция после числа)";
    return shown + " (лишние знаки после числа)";
}

} // namespace contentcheck
