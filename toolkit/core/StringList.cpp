#include "toolkit/core/StringList.h"

#include "toolkit/core/Errors.h"
#include "toolkit/core/Exception.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace tk {
namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type begin = 0;
    while (begin < text.size()) {
        auto end = text.find_first_of("\r\n", begin);
        if (end == std::string::npos) {
            lines.push_back(text.substr(begin));
            break;
        }
        lines.push_back(text.substr(begin, end - begin));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        begin = end + 1;
    }
    return lines;
}

} // namespace

void TStringList::Clear() { lines_.clear(); }

void TStringList::Add(std::string line) { lines_.push_back(std::move(line)); }

void TStringList::LoadFromFile(const std::string& path)
{
    // Only a plain file is read: a folder opens as a stream on Linux and would
    // pass for an empty file, and a pipe or a device would block the station
    // or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw Exception(CannotOpenFileText(path));
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw Exception(CannotOpenFileText(path));
    // istream::read turns a failing read into badbit instead of letting the
    // stream buffer's own exception escape.
    std::string text;
    char buffer[64 * 1024];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0)
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (file.bad())
        throw Exception(CannotOpenFileText(path));

    lines_ = SplitLines(text);
}

void TStringList::SetText(const std::string& text) { lines_ = SplitLines(text); }

int TStringList::Count() const { return static_cast<int>(lines_.size()); }

const std::string& TStringList::Strings(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception(ListIndexText(index));
    return lines_[static_cast<std::size_t>(index)];
}

} // namespace tk

