#pragma once
// Looks inside one page the way the station's view will show it: what it
// refers to (pictures, styles, frames, links) and whether its letters will
// come out right. The page is parsed by an HTML5 parser library, as a
// browser parses it.
#include "tools/Finding.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace contentcheck {

enum class PageKind { Study, Question };

struct PagePlaces {
    std::filesystem::path station; // the station's folder: nothing outside it is shown
    std::vector<std::filesystem::path> keys; // answer keys, which the station never shows
    // Where a reference leads when there is no file, as its finding names it
    // ("(нужен …)"); unnamed when not given or empty.
    std::function<std::string(const std::filesystem::path& missing)> missingName = {};
};

// `bytes` is the content of `page`, a file inside the station's folder. The
// findings name lines of the page, not the page itself.
std::vector<Finding> InspectPage(std::string_view bytes, const std::filesystem::path& page, PageKind kind,
                                 const PagePlaces& places);

// Reads and inspects a page file; pages too large to read are left alone.
std::vector<Finding> InspectPageFile(const std::filesystem::path& page, PageKind kind, const PagePlaces& places);

} // namespace contentcheck
