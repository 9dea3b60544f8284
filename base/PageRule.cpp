#include "base/PageRule.h"

#include "base/Ascii.h"
#include "base/ContentFolders.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include <sys/stat.h>

namespace station {

namespace {

// "." and "..", also written with %2e, as the engine's URL parser counts them.
bool IsDot(std::string_view segment)
{
    return segment == "." || EqualsIgnoringAsciiCase(segment, "%2e");
}

bool IsDotDot(std::string_view segment)
{
    return segment == ".." || EqualsIgnoringAsciiCase(segment, ".%2e") || EqualsIgnoringAsciiCase(segment, "%2e.") ||
           EqualsIgnoringAsciiCase(segment, "%2e%2e");
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Every %XX becomes its byte, whatever it is; a '%' without two hex digits stays.
std::string PercentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 2 < text.size() && HexValue(text[at + 1]) >= 0 && HexValue(text[at + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[at + 1]) * 16 + HexValue(text[at + 2]));
            at += 2;
        } else {
            out += text[at];
        }
    }
    return out;
}

// Segments of a path with "." and ".." taken out and empty ones dropped;
// `folder` tells whether the last one named a folder ("a/", "a/.", "a/..").
std::vector<std::string_view> CleanSegments(std::string_view path, bool* folder)
{
    std::vector<std::string_view> segments;
    bool endsAsFolder = true;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t stop = path.find_first_of("/\\", start);
        if (stop == std::string_view::npos)
            stop = path.size();
        const std::string_view segment = path.substr(start, stop - start);
        if (IsDotDot(segment)) {
            if (!segments.empty())
                segments.pop_back();
            endsAsFolder = true;
        } else if (segment.empty() || IsDot(segment)) {
            endsAsFolder = true;
        } else {
            segments.push_back(segment);
            endsAsFolder = false;
        }
        start = stop + 1;
    }
    if (folder)
        *folder = endsAsFolder;
    return segments;
}

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// Lies below the folder (which ends with '/').
bool Within(const std::string& path, const std::string& folder)
{
    return !folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
}

std::optional<std::string> RealPath(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real)
        return std::nullopt;
    return std::string(real.get());
}

enum class UrlKind { NotFile, OtherMachine, Unnamed, Local };

// What a file: URL names, as the engine reads it.
UrlKind ParseFileUrl(std::string_view url, FilePath* out)
{
    // As a URL parser reads an address: blanks and controls around it and line breaks in it do not count.
    std::string text;
    text.reserve(url.size());
    for (const char c : url)
        if (c != '\t' && c != '\n' && c != '\r')
            text += c;
    std::string_view rest = text;
    while (!rest.empty() && static_cast<unsigned char>(rest.front()) <= ' ')
        rest.remove_prefix(1);
    while (!rest.empty() && static_cast<unsigned char>(rest.back()) <= ' ')
        rest.remove_suffix(1);
    if (rest.size() < 5 || !EqualsIgnoringAsciiCase(rest.substr(0, 5), "file:"))
        return UrlKind::NotFile;
    rest.remove_prefix(5);
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.size() >= 2 && (rest[0] == '/' || rest[0] == '\\') && (rest[1] == '/' || rest[1] == '\\')) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find_first_of("/\\");
        // Another machine's share, mounted or not, is none of the station's folder.
        if (!rest.substr(0, slash).empty())
            return UrlKind::OtherMachine;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    out->path.clear();
    for (const std::string_view segment : CleanSegments(rest, &out->folder)) {
        const std::string name = PercentDecoded(segment);
        // The engine opens no name with an encoded '/' or NUL; no file has one.
        if (name.find_first_of(std::string_view("/\0", 2)) != std::string::npos || name == "." || name == "..")
            return UrlKind::Unnamed;
        out->path += '/';
        out->path += name;
    }
    if (out->path.empty())
        out->path = "/";
    return UrlKind::Local;
}

} // namespace

std::optional<FilePath> FileUrlPath(std::string_view url)
{
    FilePath out;
    if (ParseFileUrl(url, &out) != UrlKind::Local)
        return std::nullopt;
    return out;
}

std::string FileUrl(std::string_view path)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            std::string_view("-._~/").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += Hex[byte >> 4];
            out += Hex[byte & 15];
        }
    }
    return out;
}

PageRule::PageRule(const std::string& folder, const std::vector<std::string>& moreKeys)
{
    if (folder.empty())
        return; // no folder: nothing is inside
    std::string absolute = folder;
    if (absolute.front() != '/') {
        std::error_code error;
        absolute = std::filesystem::current_path(error).string() + '/' + folder;
    }
    std::string clean;
    for (const std::string_view segment : CleanSegments(absolute, nullptr)) {
        clean += '/';
        clean += segment;
    }
    folder_ = WithSlash(clean);
    if (const auto real = RealPath(folder_))
        realFolder_ = WithSlash(*real);
    keys_.push_back(folder_ + KeyFile);
    keys_.insert(keys_.end(), moreKeys.begin(), moreKeys.end());
}

PageVerdict PageRule::Judge(std::string_view url) const
{
    FilePath file;
    switch (ParseFileUrl(url, &file)) {
    case UrlKind::NotFile: return PageVerdict::OtherScheme;
    case UrlKind::OtherMachine: return PageVerdict::OtherMachine;
    case UrlKind::Unnamed: return PageVerdict::Unknown;
    case UrlKind::Local: break;
    }
    if (file.folder)
        return PageVerdict::Folder;
    return JudgePath(file.path);
}

PageVerdict PageRule::JudgePath(const std::string& path) const
{
    // Judged as written first: no name outside the folder counts, wherever it leads.
    if (!Within(path, folder_) && !Within(path, realFolder_))
        return PageVerdict::Outside;
    if (path.size() >= PATH_MAX)
        return PageVerdict::Unknown;
    // Then where it really lies, links followed, as the engine will open it.
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        struct stat link {};
        if (errno != ENOENT || ::lstat(path.c_str(), &link) == 0)
            return PageVerdict::Unknown; // a link loop or one into nothing, a file as a folder, no access
        const std::string parent = path.substr(0, path.rfind('/'));
        const auto realParent = RealPath(parent);
        if (!realParent)
            return PageVerdict::Absent;
        const std::string real = WithSlash(*realParent) + path.substr(path.rfind('/') + 1);
        if (!Within(real, realFolder_))
            return PageVerdict::Outside;
        // Where the key would be, had it been made since.
        return IsKey(real) ? PageVerdict::Key : PageVerdict::Missing;
    }
    if (S_ISDIR(target.st_mode))
        return PageVerdict::Folder;
    if (!S_ISREG(target.st_mode))
        return PageVerdict::NotPlain;
    const auto real = RealPath(path);
    if (!real)
        return PageVerdict::Unknown;
    if (!Within(*real, realFolder_))
        return PageVerdict::Outside;
    // The key by what it is, not by its name: a link or a second name of it is still the key.
    for (const std::string& key : keys_) {
        struct stat found {};
        if (::stat(key.c_str(), &found) == 0 && found.st_dev == target.st_dev && found.st_ino == target.st_ino)
            return PageVerdict::Key;
    }
    return PageVerdict::Shown;
}

bool PageRule::IsKey(const std::string& realPath) const
{
    for (const std::string& key : keys_) {
        const std::string parent = key.substr(0, key.rfind('/'));
        const auto realParent = RealPath(parent);
        if (realParent && WithSlash(*realParent) + key.substr(key.rfind('/') + 1) == realPath)
            return true;
    }
    return false;
}

} // namespace station
