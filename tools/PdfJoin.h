#pragma once
// Joins whole PDF documents into one, page after page, with qpdf.
#include <stdexcept>
#include <string>
#include <vector>

namespace pdfjoin {

struct JoinError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes the pages of `documents` (each a whole PDF file's bytes), in order,
// to the file `out`, titled `title`. The file appears whole or not at all: it
// is written beside its final name and renamed. Returns the number of pages.
// Throws JoinError, in Russian, when a document is no PDF or `out` cannot be
// written.
int JoinPdfs(const std::vector<std::string>& documents, const std::string& out, const std::string& title);

} // namespace pdfjoin
