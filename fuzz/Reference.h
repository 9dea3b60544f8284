#pragma once
// Independent readings of the rules the station's code implements, written
// differently on purpose, and the helpers both fuzz targets share.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzref {

// StrToInt: leading spaces only; then sign and decimal digits, or "$", "x",
// "X", "0x", "0X" and hex digits without a sign; the whole text; 32-bit range.
inline std::optional<std::int32_t> StrToInt(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    int base = 10;
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) // from_chars would take it as the sign
            return std::nullopt;
    }
    if (base == 16 && text.starts_with('-'))
        return std::nullopt;
    std::int32_t value = 0;
    const auto end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Lines end with CR LF, LF or CR; a line end at the very end adds no line.
inline std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false; // a line has started and not yet ended
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n')
                ++k;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    return lines;
}

[[noreturn]] inline void Fail(const std::string& what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

inline void Expect(bool holds, const std::string& what)
{
    if (!holds)
        Fail(what);
}

// One scratch folder per fuzzing process, removed when it ends. In memory
// where there is /dev/shm: a disk file system slows down badly when files are
// made and removed thousands of times a second.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::error_code ec;
        const std::filesystem::path shm = "/dev/shm";
        const auto base = std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
        std::string pattern = (base / "station-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            Fail("no scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace fuzzref
