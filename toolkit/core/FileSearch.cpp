#include "toolkit/core/FileSearch.h"

#include "base/Ascii.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace tk {

namespace detail {

struct SearchCursor {
    // The iterator is made in place: assigning one calls a swap that GCC 12's
    // library lacks at -Os, and the MinSizeRel build would not link.
    SearchCursor(fs::path where, std::string pattern, int excludedAttributes, std::error_code& ec)
        : folder(std::move(where)), namePattern(std::move(pattern)), excluded(excludedAttributes), it(folder, ec)
    {
    }
    fs::path folder;
    std::string namePattern;
    int excluded = 0;       // special attributes the caller did not ask for
    int dotEntriesLeft = 2; // "." then "..", ahead of the folder's own entries
    fs::directory_iterator it;
};

} // namespace detail

namespace {

constexpr int SpecialAttributes = faHidden | faSysFile | faVolumeID | faDirectory;

struct Entry {
    std::string name;
    int attr = 0;
    std::int64_t size = 0;
};

Entry Describe(const fs::path& path, std::string name)
{
    Entry entry{std::move(name), 0, 0};
    std::error_code ec;
    // Symlinks count as what they point to; a dangling one as a plain file.
    auto status = fs::status(path, ec);
    if (ec)
        status = fs::symlink_status(path, ec);

    if (fs::is_directory(status)) {
        entry.attr = faDirectory;
    } else if (fs::is_regular_file(status) || fs::is_symlink(status)) {
        entry.attr = faArchive;
        if (fs::is_regular_file(status)) {
            const auto size = fs::file_size(path, ec);
            if (!ec)
                entry.size = static_cast<std::int64_t>(size);
        }
    } else {
        entry.attr = faSysFile; // fifos, sockets, devices
    }
    const bool dotEntry = entry.name == "." || entry.name == "..";
    if (!dotEntry && !entry.name.empty() && entry.name.front() == '.')
        entry.attr |= faHidden;
    if (status.permissions() != fs::perms::unknown
        && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        entry.attr |= faReadOnly;
    return entry;
}

// The name is matched first so that only matching entries cost a stat.
bool Take(const detail::SearchCursor& cursor, const fs::path& path, std::string name, TSearchRec& rec)
{
    if (!MatchesWildcard(name, cursor.namePattern))
        return false;
    auto entry = Describe(path, std::move(name));
    if ((entry.attr & cursor.excluded) != 0)
        return false;
    rec.Name = std::move(entry.name);
    rec.Attr = entry.attr;
    rec.Size = entry.size;
    return true;
}

int Advance(TSearchRec& rec)
{
    auto& cursor = *rec.Cursor;
    while (cursor.dotEntriesLeft > 0) {
        const char* name = cursor.dotEntriesLeft == 2 ? "." : "..";
        --cursor.dotEntriesLeft;
        if (Take(cursor, cursor.folder / name, name, rec))
            return 0;
    }
    std::error_code ec;
    const fs::directory_iterator end;
    while (cursor.it != end) {
        const fs::path path = cursor.it->path();
        cursor.it.increment(ec);
        if (ec)
            cursor.it = end;
        if (Take(cursor, path, path.filename().string(), rec))
            return 0;
    }
    return ErrorNoMoreFiles;
}

} // namespace

bool MatchesWildcard(const std::string& name, const std::string& pattern)
{
    // Iterative matching with one backtrack point: linear memory, no
    // recursion, so long names cannot exhaust the stack.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
                   && (pattern[p] == '?' || station::LowerAscii(pattern[p]) == station::LowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

int FindFirst(const std::string& pattern, int attr, TSearchRec& rec)
{
    FindClose(rec);
    const auto slash = pattern.rfind('/');
    fs::path folder = ".";
    std::string namePattern = pattern;
    if (slash != std::string::npos) {
        folder = slash == 0 ? std::string("/") : pattern.substr(0, slash);
        namePattern = pattern.substr(slash + 1);
    }
    std::error_code ec;
    auto cursor = std::make_shared<detail::SearchCursor>(std::move(folder), std::move(namePattern),
                                                         ~attr & SpecialAttributes, ec);
    if (ec)
        return ErrorPathNotFound;
    rec.Cursor = std::move(cursor);
    const int result = Advance(rec);
    if (result != 0) {
        FindClose(rec);
        return ErrorFileNotFound;
    }
    return 0;
}

int FindNext(TSearchRec& rec)
{
    if (!rec.Cursor)
        return ErrorNoMoreFiles;
    return Advance(rec);
}

void FindClose(TSearchRec& rec) { rec.Cursor.reset(); }

} // namespace tk
