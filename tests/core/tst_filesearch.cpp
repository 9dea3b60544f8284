#include "toolkit/core/FilePath.h"
#include "toolkit/core/FileSearch.h"

#include "StationFolder.h"

#include <QtTest>

#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;
using fixture::WriteFile;

namespace {

using Found = std::map<std::string, int>; // name -> attributes

Found Search(const std::string& pattern, int attr)
{
    Found found;
    tk::TSearchRec rec;
    for (int result = tk::FindFirst(pattern, attr, rec); result == 0; result = tk::FindNext(rec)) {
        if (!found.emplace(rec.Name, rec.Attr).second)
            qFatal("entry returned twice");
    }
    tk::FindClose(rec);
    return found;
}

QByteArray Names(const Found& found)
{
    QByteArray names;
    for (const auto& [name, attr] : found)
        names += '[' + QByteArray::fromStdString(name) + ']';
    return names;
}

} // namespace

class FileSearchTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void attributeMaskSelectsEntries_data();
    void attributeMaskSelectsEntries();
    void reportsAttributesAndSize();
    void symlinksCountAsTheirTarget();
    void namesMatchWithoutCase_data();
    void namesMatchWithoutCase();
    void searchWithoutResultIsNonZero_data();
    void searchWithoutResultIsNonZero();
    void relativeFolderFollowsCurrentDirectory();
    void oddNamesAreReturnedAsBytes();
    void wildcardRule_data();
    void wildcardRule();
    void extractFilePath_data();
    void extractFilePath();

private:
    std::string Pattern(const std::string& name) const { return root_ + "/" + name; }

    QTemporaryDir dir_;
    std::string root_;
};

void FileSearchTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    root_ = dir_.path().toStdString();
    const fs::path root = root_;
    WriteFile(root / "plain.txt", "12345");
    WriteFile(root / "locked.txt", "x");
    fs::permissions(root / "locked.txt", fs::perms::owner_read | fs::perms::group_read);
    WriteFile(root / ".hidden", "x");
    fs::create_directory(root / "folder");
    fs::create_directory(root / ".hiddenfolder");
}

void FileSearchTest::attributeMaskSelectsEntries_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<QByteArray>("names");

    QTest::newRow("any file") << tk::faAnyFile
                              << QByteArray("[.][..][.hidden][.hiddenfolder][folder][locked.txt][plain.txt]");
    QTest::newRow("none: plain files only") << 0 << QByteArray("[locked.txt][plain.txt]");
    QTest::newRow("read-only and archive add nothing")
        << (tk::faReadOnly | tk::faArchive) << QByteArray("[locked.txt][plain.txt]");
    QTest::newRow("directories") << tk::faDirectory
                                 << QByteArray("[.][..][folder][locked.txt][plain.txt]");
    QTest::newRow("hidden") << tk::faHidden << QByteArray("[.hidden][locked.txt][plain.txt]");
    QTest::newRow("hidden directories need both")
        << (tk::faHidden | tk::faDirectory)
        << QByteArray("[.][..][.hidden][.hiddenfolder][folder][locked.txt][plain.txt]");
}

void FileSearchTest::attributeMaskSelectsEntries()
{
    QFETCH(int, mask);
    QFETCH(QByteArray, names);
    QCOMPARE(Names(Search(Pattern("*"), mask)), names);
}

void FileSearchTest::reportsAttributesAndSize()
{
    const auto found = Search(Pattern("*"), tk::faAnyFile);
    QCOMPARE(found.at("plain.txt"), tk::faArchive);
    QCOMPARE(found.at("locked.txt"), tk::faArchive | tk::faReadOnly);
    QCOMPARE(found.at(".hidden"), tk::faArchive | tk::faHidden);
    QCOMPARE(found.at("folder"), tk::faDirectory);
    QCOMPARE(found.at(".hiddenfolder"), tk::faDirectory | tk::faHidden);
    QCOMPARE(found.at("."), tk::faDirectory);
    QCOMPARE(found.at(".."), tk::faDirectory);

    tk::TSearchRec rec;
    QCOMPARE(tk::FindFirst(Pattern("plain.txt"), tk::faAnyFile, rec), 0);
    QCOMPARE(rec.Size, std::int64_t{5});
    QVERIFY(tk::FindNext(rec) != 0);
    tk::FindClose(rec);
}

void FileSearchTest::symlinksCountAsTheirTarget()
{
    QTemporaryDir links;
    const fs::path root = links.path().toStdString();
    fs::create_directory(root / "real");
    WriteFile(root / "real" / "page.htm", "abc");
    fs::create_directory_symlink(root / "real", root / "dirlink");
    fs::create_symlink(root / "real" / "page.htm", root / "filelink");
    fs::create_symlink(root / "nowhere", root / "dangling");

    const auto found = Search(root.string() + "/*", 0);
    QCOMPARE(Names(found), QByteArray("[dangling][filelink]"));
    QCOMPARE(found.at("dangling"), tk::faArchive);

    const auto all = Search(root.string() + "/*", tk::faAnyFile);
    QCOMPARE(all.at("dirlink"), tk::faDirectory);
    tk::TSearchRec rec;
    QCOMPARE(tk::FindFirst(root.string() + "/filelink", tk::faAnyFile, rec), 0);
    QCOMPARE(rec.Size, std::int64_t{3});
    tk::FindClose(rec);
}

void FileSearchTest::namesMatchWithoutCase_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("names");

    QTest::newRow("prefix and suffix") << QByteArray("TEST*.htm") << QByteArray("[TEST1.htm][TEST10.htm][test2.HTM]");
    QTest::newRow("lower pattern") << QByteArray("test*.htm") << QByteArray("[TEST1.htm][TEST10.htm][test2.HTM]");
    QTest::newRow("single character") << QByteArray("TEST?.htm") << QByteArray("[TEST1.htm][test2.HTM]");
    QTest::newRow("exact name other case") << QByteArray("TEST2.htm") << QByteArray("[test2.HTM]");
    QTest::newRow("no suffix match") << QByteArray("TEST*.html") << QByteArray();
    QTest::newRow("key file") << QByteArray("ans.A") << QByteArray("[ANS.a]");
}

void FileSearchTest::namesMatchWithoutCase()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, names);
    QTemporaryDir bank;
    const fs::path root = bank.path().toStdString();
    for (const char* name : {"TEST1.htm", "test2.HTM", "TEST10.htm", "ANS.a", "TEST3.htm.bak"})
        WriteFile(root / name, "x");
    QCOMPARE(Names(Search(root.string() + "/" + pattern.toStdString(), tk::faAnyFile)), names);
}

void FileSearchTest::searchWithoutResultIsNonZero_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::newRow("missing folder") << QByteArray("absent/*");
    QTest::newRow("file as folder") << QByteArray("plain.txt/*");
    QTest::newRow("no match") << QByteArray("nothing*");
    QTest::newRow("empty name") << QByteArray("");
}

void FileSearchTest::searchWithoutResultIsNonZero()
{
    QFETCH(QByteArray, pattern);
    tk::TSearchRec rec;
    QVERIFY(tk::FindFirst(Pattern(pattern.toStdString()), tk::faAnyFile, rec) != 0);
    QVERIFY(tk::FindNext(rec) != 0);
    tk::FindClose(rec);
    tk::FindClose(rec);
}

void FileSearchTest::relativeFolderFollowsCurrentDirectory()
{
    const auto previous = fs::current_path();
    fs::current_path(root_);
    const auto inFolder = Names(Search("folder/*", tk::faAnyFile));
    const auto here = Names(Search("*.txt", tk::faAnyFile));
    fs::current_path(previous);
    QCOMPARE(inFolder, QByteArray("[.][..]"));
    QCOMPARE(here, QByteArray("[locked.txt][plain.txt]"));
}

void FileSearchTest::oddNamesAreReturnedAsBytes()
{
    QTemporaryDir odd;
    const fs::path root = odd.path().toStdString();
    const std::string latin1 = "TEST\xE9\xFF.htm";
    const std::string longName = "TEST" + std::string(246, 'n') + ".htm"; // 254 bytes
    WriteFile(root / latin1, "x");
    WriteFile(root / longName, "x");
    WriteFile(root / "TEST\n.htm", "x");

    const auto found = Search(root.string() + "/TEST*.htm", tk::faAnyFile);
    QCOMPARE(found.size(), std::size_t{3});
    QVERIFY(found.count(latin1));
    QVERIFY(found.count(longName));
    QVERIFY(found.count("TEST\n.htm"));
}

void FileSearchTest::wildcardRule_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("matches");

    QTest::newRow("star matches empty") << QByteArray("TEST.htm") << QByteArray("TEST*.htm") << true;
    QTest::newRow("question needs a character") << QByteArray("TEST.htm") << QByteArray("TEST?.htm") << false;
    QTest::newRow("backtracking") << QByteArray("TEST1.htm.htm") << QByteArray("TEST*.htm") << true;
    QTest::newRow("case of non-ASCII bytes kept") << QByteArray("\xC0") << QByteArray("\xE0") << false;
    QTest::newRow("pathological") << QByteArray(std::string(5000, 'a').c_str())
                                  << QByteArray("*a*a*a*a*a*a*a*a*b") << false;
}

void FileSearchTest::wildcardRule()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, matches);
    QCOMPARE(tk::MatchesWildcard(name.toStdString(), pattern.toStdString()), matches);
}

void FileSearchTest::extractFilePath_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("executable") << QByteArray("/opt/station/briefing-station") << QByteArray("/opt/station/");
    QTest::newRow("trailing slash") << QByteArray("/opt/station/") << QByteArray("/opt/station/");
    QTest::newRow("root") << QByteArray("/station") << QByteArray("/");
    QTest::newRow("no slash") << QByteArray("station") << QByteArray("");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
}

void FileSearchTest::extractFilePath()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, folder);
    QCOMPARE(tk::ExtractFilePath(path.toStdString()), folder.toStdString());
}

QTEST_APPLESS_MAIN(FileSearchTest)
#include "tst_filesearch.moc"
