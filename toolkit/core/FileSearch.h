#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tk {

constexpr int faReadOnly = 1;
constexpr int faHidden = 2;
constexpr int faSysFile = 4;
constexpr int faVolumeID = 8;
constexpr int faDirectory = 16;
constexpr int faArchive = 32;
constexpr int faAnyFile = 63;

// Non-zero results of the search calls.
constexpr int ErrorFileNotFound = 2;
constexpr int ErrorPathNotFound = 3;
constexpr int ErrorNoMoreFiles = 18;

namespace detail {
struct SearchCursor;
}

struct TSearchRec {
    std::string Name;
    int Attr = 0;
    std::int64_t Size = 0;
    std::shared_ptr<detail::SearchCursor> Cursor;
};

// pattern is "folder/name", the folder absolute or relative to the current
// directory, with '*' and '?' allowed in the name only; names match without
// regard to ASCII case. Entries with faDirectory, faHidden or faSysFile are
// returned only when attr includes them. "." and ".." are entries like any
// other. Returns 0 with rec filled when an entry was found.
int FindFirst(const std::string& pattern, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// The wildcard rule of the search, exposed for its own tests.
bool MatchesWildcard(const std::string& name, const std::string& pattern);

} // namespace tk
