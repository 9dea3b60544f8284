#pragma once
// The operator's question file as text: read whole, checked to be text at all,
// its character set told apart by itself (UTF-8 with or without BOM, or
// windows-1251), and turned into UTF-8.
#include "tools/Finding.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bank {

// The file's faults are findings, as the checker's are; the reader finds
// their lines (0: the file as a whole), the import names the file.
using contentcheck::Finding;
using contentcheck::Severity;

// A question file this large is something else: a bank of a thousand
// questions takes well under a megabyte, one of fifty thousand some 30 MB.
inline constexpr std::size_t MaxSourceBytes = 64u << 20;

struct SourceText {
    std::string text;     // UTF-8 without a BOM; line ends as in the file
    std::string encoding; // for the operator: "UTF-8", "UTF-8 с BOM", "windows-1251"
};

// Tells the character set and decodes. Empty, binary and UTF-16 files, bytes
// that are letters in neither set and files that mix both are problems.
std::optional<SourceText> DecodeSource(std::string_view bytes, std::vector<Finding>& problems);

// Reads the file (up to the size limit) and decodes it.
std::optional<SourceText> ReadSource(const std::filesystem::path& file, std::vector<Finding>& problems);

} // namespace bank
