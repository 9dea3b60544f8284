#pragma once
// Station folders for the tools' tests: made from short descriptions, and
// read back whole to tell whether anything in them changed.
#include "tools/ContentCheck.h"

#include <QtTest>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace stationfolder {

namespace fs = std::filesystem;

// What a question page shows: a question and three numbered choices.
inline const char* const PageText = "<p>Вопрос?</p><p>1. да</p><p>2. нет</p><p>3. не знаю</p>";

// A station folder described by entries relative to it:
//   "res/INSTR.htm"            a file
//   "TESTS/TEST9.htm/"         a folder
//   "TESTS/TEST2.htm@nowhere"  a link to "nowhere"
//   "TESTS/TEST5.htm|"         a named pipe
//   "pages 1-12"               TESTS/TEST1.htm to TESTS/TEST12.htm
// and a key: a null array writes none.
inline void MakeStation(const fs::path& root, const QStringList& entries, const QByteArray& key)
{
    fs::create_directories(root);
    for (const auto& entry : entries) {
        int from = 0, to = 0;
        if (std::sscanf(entry.toUtf8().constData(), "pages %d-%d", &from, &to) == 2) {
            fs::create_directories(root / "TESTS");
            for (int n = from; n <= to; ++n)
                std::ofstream(root / "TESTS" / ("TEST" + std::to_string(n) + ".htm")) << PageText;
            continue;
        }
        std::string path = entry.toStdString();
        const auto link = path.find('@');
        if (path.back() == '/') {
            fs::create_directories(root / path);
        } else if (link != std::string::npos) {
            fs::create_directories((root / path.substr(0, link)).parent_path());
            fs::create_symlink(path.substr(link + 1), root / path.substr(0, link));
        } else if (path.back() == '|') {
            path.pop_back();
            fs::create_directories((root / path).parent_path());
            QVERIFY(::mkfifo((root / path).c_str(), 0600) == 0);
        } else {
            fs::create_directories((root / path).parent_path());
            std::ofstream(root / path) << PageText;
        }
    }
    if (!key.isNull()) {
        fs::create_directories(root / "TESTS");
        std::ofstream(root / "TESTS" / "ANS.a", std::ios::binary) << key.toStdString();
    }
}

inline QByteArray Key(int lines)
{
    QByteArray key;
    for (int k = 0; k < lines; ++k)
        key += QByteArray::number(k % 3 + 1) + "\r\n";
    return key;
}

inline QStringList Station(int pages) { return {"res/INSTR.htm", QString("pages 1-%1").arg(pages)}; }

inline QStringList Lines(const contentcheck::Report& report)
{
    QStringList lines;
    for (const auto& finding : report.findings)
        lines << QString::fromStdString(contentcheck::FormatFinding(finding));
    return lines;
}

inline void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every entry below `root` with what it holds: a file's bytes, "<folder>"
// or "<link to ...>".
inline std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const auto name = it->path().lexically_relative(root).string();
        if (it->is_symlink())
            entries[name] = "<link to " + fs::read_symlink(it->path()).string() + ">";
        else if (it->is_directory())
            entries[name] = "<folder>";
        else
            entries[name] = ReadFile(it->path());
    }
    return entries;
}

} // namespace stationfolder
