#pragma once
// Looks inside one page the way the station's view will show it: what it
// refers to (pictures, styles, frames, links) and whether its letters will
// come out right. The page is parsed by an HTML5 parser library, as a
// browser parses it.
#include "tools/ContentCheck.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace contentcheck {

enum class PageKind { Study, Question };

struct PageFinding {
    Severity severity = Severity::Fault;
    int line = 0; // 1-based line of the page; 0 for the page as a whole
    std::string text;
    std::filesystem::path missing; // the file a reference leads to, when there is none
};

struct PagePlaces {
    std::filesystem::path station; // the station's folder: nothing outside it is shown
    std::vector<std::filesystem::path> keys; // answer keys, which the station never shows
};

// `bytes` is the content of `page`, a file inside the station's folder.
std::vector<PageFinding> InspectPage(std::string_view bytes, const std::filesystem::path& page, PageKind kind,
                                     const PagePlaces& places);

// Reads and inspects a page file; pages too large to read are left alone.
std::vector<PageFinding> InspectPageFile(const std::filesystem::path& page, PageKind kind, const PagePlaces& places);

// Another entry of `folder` whose name differs from `name` only in letter case.
std::string CaseTwin(const std::filesystem::path& folder, const std::string& name);

} // namespace contentcheck
