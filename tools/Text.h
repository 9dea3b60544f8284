#pragma once
// Plain-text facts the operators' tools share: line ends, blanks, letter case
// and byte-order marks. The standard library and base/ only.
#include "base/Ascii.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// UTF-16's mark, in either byte order.
inline bool StartsWithUtf16Bom(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// Blanks of a text file; HTML does not count the vertical tab among them.
inline constexpr std::string_view Blanks = " \t\r\n\f\v";
inline constexpr std::string_view HtmlBlanks = " \t\r\n\f";
inline constexpr std::string_view NoBreakSpace = "\xC2\xA0";

// Length of the line end at `at`: 2 for CR LF, 1 for LF or a lone CR, 0 for none.
inline std::size_t LineEndAt(std::string_view text, std::size_t at)
{
    if (at >= text.size() || (text[at] != '\r' && text[at] != '\n'))
        return 0;
    return text.substr(at, 2) == "\r\n" ? 2 : 1;
}

// The lines of a text, split at CR LF, LF or CR; a line end at the very end
// adds no empty line. Line k of the file is element k - 1.
inline std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at)
        if (const std::size_t end = LineEndAt(text, at); end > 0) {
            lines.push_back(text.substr(start, at - start));
            at += end - 1;
            start = at + 1;
        }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The 1-based line the byte at `offset` stands on.
inline int LineOf(std::string_view text, std::size_t offset)
{
    int line = 1;
    for (std::size_t at = 0; at < offset; ++at)
        if (const std::size_t end = LineEndAt(text, at); end > 0) {
            ++line;
            at += end - 1;
        }
    return line;
}

// `text` without `blanks` at either end.
inline std::string_view Trim(std::string_view text, std::string_view blanks = Blanks)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The same with no-break spaces as blanks too: word processors and
// spreadsheets put them in the operator's texts.
inline std::string_view TrimSpaces(std::string_view text)
{
    for (std::size_t before = 0; before != text.size();) {
        before = text.size();
        text = Trim(text);
        while (text.starts_with(NoBreakSpace))
            text.remove_prefix(NoBreakSpace.size());
        while (text.ends_with(NoBreakSpace))
            text.remove_suffix(NoBreakSpace.size());
    }
    return text;
}

// A-Z as a-z, every other byte as it is: the station's own rule.
using station::LowerAscii;

} // namespace tools
