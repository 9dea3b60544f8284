#include "tools/Finding.h"

#include "tools/Charset.h"

#include <cstdio>

namespace contentcheck {
namespace {

// Characters a terminal shows as nothing or as a plain space, though they
// are not one: C1 controls, no-break and zero-width spaces, the BOM, ...
bool Invisible(unsigned c)
{
    return (c >= 0x80 && c <= 0xA0) || c == 0xAD || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F)
           || (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF;
}

} // namespace

std::string FormatFinding(const Finding& finding)
{
    std::string text = finding.file;
    if (finding.line > 0)
        text += ":" + std::to_string(finding.line);
    text += ": ";
    if (finding.severity == Severity::Info)
        text += "к сведению: ";
    return text + finding.text;
}

std::string Shown(const std::string& bytes, std::size_t limit)
{
    std::string out;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        if (characters == limit)
            return out + "…";
        const auto c = static_cast<unsigned char>(bytes[at]);
        if (c == '\t') {
            out += "\\t";
            ++at;
        } else if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
            ++at;
        } else if (c == '\\') {
            out += "\\\\";
            ++at;
        } else if (const auto point = c >= 0x80 ? charset::DecodeUtf8(bytes, at) : charset::CodePoint{}; point.length > 0) {
            if (Invisible(point.value)) {
                char escaped[12];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", point.value);
                out += escaped;
            } else {
                out.append(bytes, at, point.length);
            }
            at += point.length;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
            ++at;
        }
        ++characters;
    }
    return out;
}

} // namespace contentcheck
