#pragma once

#include <string>
#include <vector>

namespace tk {

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// A list of byte strings, kept in the order added. Nothing here ever sorts a
// list, so Duplicates and CaseSensitive (which only rule sorted lists) and
// Sorted itself are settings that are stored and not acted on.
class TStringList {
public:
    TDuplicates Duplicates = TDuplicates::dupIgnore;
    bool Sorted = false;
    bool CaseSensitive = false;

    void Clear();
    void Add(std::string line);

    // Replaces the content with the file's lines, bytes as they are. Lines end
    // with CR LF, LF or CR; a line end at the very end adds no empty line.
    // Throws CannotOpenFileText(path) when the path cannot be read as a file;
    // the list is then left as it was.
    void LoadFromFile(const std::string& path);
    // The same from bytes already read.
    void SetText(const std::string& text);

    int Count() const;
    // Throws ListIndexText(index) for an index outside 0..Count()-1.
    const std::string& Strings(int index) const;

private:
    std::vector<std::string> lines_;
};

} // namespace tk
