#pragma once
// ASCII letter case, the one the station's names and addresses ignore: file
// names in the bank, URL schemes and escapes, the operators' key words.
// Every other byte (Cyrillic in any encoding) stays as it is.
#include <string>
#include <string_view>

namespace station {

constexpr char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (LowerAscii(a[k]) != LowerAscii(b[k]))
            return false;
    return true;
}

} // namespace station
