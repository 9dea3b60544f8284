#pragma once
// Character sets for the operators' tools: telling UTF-8 from windows-1251 and
// converting between them. The conversions go through iconv from the C
// library, never through tables of our own.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace charset {

struct CodePoint {
    std::size_t length = 0; // 0: no valid UTF-8 sequence starts here
    unsigned value = 0;
};

// The UTF-8 sequence that starts at `at` (overlong forms, surrogates and
// values past U+10FFFF are not valid).
CodePoint DecodeUtf8(std::string_view text, std::size_t at);

// Offset of the first byte that is not part of valid UTF-8; npos when all is.
std::size_t FirstInvalidUtf8(std::string_view text);
inline bool IsUtf8(std::string_view text) { return FirstInvalidUtf8(text) == std::string_view::npos; }
bool IsAscii(std::string_view text);

// Characters (code points) in valid UTF-8 text.
std::size_t CountCharacters(std::string_view utf8);

// `bytes` in the character set `from` (an iconv name such as "WINDOWS-1251")
// as UTF-8; nothing when a byte has no character there or the set is unknown.
std::optional<std::string> ToUtf8(std::string_view bytes, const char* from);

// UTF-8 text in windows-1251, every character kept: those the code page lacks
// become numeric character references (&#8364;), so the text must be HTML.
std::string ToCp1251WithReferences(std::string_view utf8);

} // namespace charset
