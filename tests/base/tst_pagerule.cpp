// Where a page may lead: inside the station's folder only, however the address
// is written and whatever bytes the names hold. One table, asked of the rule
// and of the content checker, which must tell the operator the same.
#include "base/PageRule.h"

#include "tools/PageCheck.h"

#include "StationFolder.h"

#include <QtTest>

#include <map>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using station::PageVerdict;
Q_DECLARE_METATYPE(PageVerdict)

namespace {

// What the checker says of each verdict, in words of its finding.
const std::map<PageVerdict, std::string> CheckerWords = {
    {PageVerdict::Shown, ""}, {PageVerdict::Missing, "такого файла нет"}, {PageVerdict::Absent, "такого файла нет"},
    {PageVerdict::Unknown, "не опознать"}, {PageVerdict::OtherMachine, "другой компьютер"},
    {PageVerdict::Outside, "за пределы папки"}, {PageVerdict::Key, "ключ ответов"}, {PageVerdict::Folder, "на папку"},
    {PageVerdict::NotPlain, "не на обычный файл"}};

} // namespace

class PageRuleTest : public QObject {
    Q_OBJECT
    fixture::StationFolder made;
    std::string top;     // the temporary folder
    std::string station; // the station's folder, with '/'
    std::string url;     // its address, with '/'

private slots:
    void initTestCase()
    {
        station = QFile::encodeName(made.Base()).toStdString();
        top = made.Root().parent_path().string() + "/";
        url = station::FileUrl(station);
        for (const char* file : {"res/INSTR.htm", "res/page two.htm", "res/Схема.png", "TESTS/TEST1.htm",
                                 "res/\xFD.htm",              // a name that is not UTF-8
                                 "res/\xD1\xF5\xE5\xEC\xE0.png", // the same in windows-1251
                                 "res/a\nb.htm"})               // a line break in the name
            made.File(file, "x");
        made.File("TESTS/ANS.a", "1\r\n").OutsideFile("secret.htm", "x");
        fixture::WriteFile(top + "station2/res/INSTR.htm", "x");
        made.Link("res/away.htm", top + "outside/secret.htm")
            .Link("res/key.htm", station + "TESTS/ANS.a")
            .Link("res/again.htm", station + "res/INSTR.htm")
            .Link("res/\xFF", "/")              // the machine's root under a name that is not UTF-8
            .Link("res/\xFE", "../TESTS/ANS.a") // the key so
            .Link("res/loop1", "loop2")
            .Link("res/loop2", "loop1")
            .Link("res/nowhere.htm", "gone.htm")
            .HardLink("res/hard.txt", "TESTS/ANS.a")
            .Pipe("res/pipe.htm");
        QVERIFY(::mknod((station + "res/sock").c_str(), S_IFSOCK | 0600, 0) == 0);
    }

    // Qt cannot name what is not UTF-8, so its clean-up would leave these behind.
    void cleanupTestCase()
    {
        for (const char* name : {"res/\xFF", "res/\xFE", "res/\xFD.htm", "res/\xD1\xF5\xE5\xEC\xE0.png"})
            ::unlink((station + name).c_str());
    }

    void everyAddressGetsItsVerdict_data()
    {
        QTest::addColumn<QString>("address"); // "^" stands for the station's address, "~" for the temporary folder's
        QTest::addColumn<PageVerdict>("verdict");
        const auto row = [](const char* name, const char* address, PageVerdict verdict) {
            QTest::newRow(name) << QString::fromUtf8(address) << verdict;
        };
        row("the study page", "^res/INSTR.htm", PageVerdict::Shown);
        row("a question page", "^TESTS/TEST1.htm", PageVerdict::Shown);
        row("a name with a blank", "^res/page%20two.htm", PageVerdict::Shown);
        row("a Cyrillic name", "^res/%D0%A1%D1%85%D0%B5%D0%BC%D0%B0.png", PageVerdict::Shown);
        row("a name that is not UTF-8", "^res/%FD.htm", PageVerdict::Shown);
        row("a name in windows-1251", "^res/%D1%F5%E5%EC%E0.png", PageVerdict::Shown);
        row("a name with a line break", "^res/a%0Ab.htm", PageVerdict::Shown);
        row("with a query and a fragment", "^res/INSTR.htm?a=1#part", PageVerdict::Shown);
        row("through .. that stays inside", "^TESTS/../res/INSTR.htm", PageVerdict::Shown);
        row("with backslashes", "^res\\INSTR.htm", PageVerdict::Shown);
        row("a link to a page inside", "^res/again.htm", PageVerdict::Shown);
        row("a missing page: the view's own error page", "^res/missing.htm", PageVerdict::Missing);
        row("a missing folder on the way", "^pictures/plan.png", PageVerdict::Absent);

        row("http", "http://example.com/", PageVerdict::OtherScheme);
        row("https", "https://example.com/page.htm", PageVerdict::OtherScheme);
        row("ftp", "ftp://example.com/file", PageVerdict::OtherScheme);
        row("mailto", "mailto:someone@example.com", PageVerdict::OtherScheme);
        row("data", "data:text/html,<b>x</b>", PageVerdict::OtherScheme);
        row("javascript", "javascript:alert(1)", PageVerdict::OtherScheme);
        row("about:blank", "about:blank", PageVerdict::OtherScheme);
        row("qrc", "qrc:/qt-project.org/qmessagebox/images/qtlogo-64.png", PageVerdict::OtherScheme);
        row("another machine's share", "file://server~station/res/INSTR.htm", PageVerdict::OtherMachine);
        row("localhost counts as another machine", "file://localhost~station/res/INSTR.htm", PageVerdict::OtherMachine);
        row("a file elsewhere", "file:///etc/passwd", PageVerdict::Outside);
        row("a file beside the folder", "file://~outside/secret.htm", PageVerdict::Outside);
        row("out through ..", "^res/../../outside/secret.htm", PageVerdict::Outside);
        row("out through escaped dots", "^res/%2e%2e/%2E%2E/outside/secret.htm", PageVerdict::Outside);
        row("a folder with the same beginning", "file://~station2/res/INSTR.htm", PageVerdict::Outside);
        row("a link leading out", "^res/away.htm", PageVerdict::Outside);
        row("%FF: a link to / under a name that is not UTF-8", "^res/%FF/etc/passwd", PageVerdict::Outside);
        row("%ff written small", "^res/%ff/etc/passwd", PageVerdict::Outside);
        row("%FF: the link itself, a folder", "^res/%FF", PageVerdict::Folder);
        row("the station's folder", "^", PageVerdict::Folder);
        row("a folder inside", "^res", PageVerdict::Folder);
        row("a folder inside, with '/'", "^res/", PageVerdict::Folder);
        row("a folder inside, with '/.'", "^res/.", PageVerdict::Folder);
        row("the key", "^TESTS/ANS.a", PageVerdict::Key);
        row("the key through ..", "^res/../TESTS/ANS.a", PageVerdict::Key);
        row("the key through ./ and //", "^./TESTS//ANS.a", PageVerdict::Key);
        row("the key through a link", "^res/key.htm", PageVerdict::Key);
        row("%FE: the key through a link named not in UTF-8", "^res/%FE", PageVerdict::Key);
        row("the key under a second name (hard link)", "^res/hard.txt", PageVerdict::Key);
        row("a pipe, never opened", "^res/pipe.htm", PageVerdict::NotPlain);
        row("a socket", "^res/sock", PageVerdict::NotPlain);
        row("a link loop", "^res/loop1", PageVerdict::Unknown);
        row("a link into nothing", "^res/nowhere.htm", PageVerdict::Unknown);
        row("an encoded '/'", "^res%2FINSTR.htm", PageVerdict::Unknown);
        row("an encoded NUL", "^res/INSTR.htm%00.png", PageVerdict::Unknown);
        row("a file taken for a folder", "^res/INSTR.htm/x.png", PageVerdict::Unknown);
        QTest::newRow("a 4,096-byte name") << "^res/" + QString(4096, u'a') + ".htm" << PageVerdict::Unknown;
        QTest::newRow("a path beyond 4,096 bytes")
            << "^res" + (u'/' + QString(200, u'b')).repeated(21) + "/x.htm" << PageVerdict::Unknown;
    }
    void everyAddressGetsItsVerdict()
    {
        QFETCH(QString, address);
        QFETCH(PageVerdict, verdict);
        std::string target = address.toStdString();
        if (target.front() == '^')
            target = url + target.substr(1);
        else if (const auto at = target.find('~'); at != std::string::npos)
            target = target.substr(0, at) + top + target.substr(at + 1);

        const station::PageRule rule(station);
        QCOMPARE(static_cast<int>(rule.Judge(target)), static_cast<int>(verdict));

        // The checker, asked of the same address in a page, says the same.
        if (target.rfind("file:", 0) != 0)
            return; // the checker has its own words for the web; the engine takes data: and about: itself
        const std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><img src=\"" + target +
                                 "\"></body></html>";
        const auto findings = contentcheck::InspectPage(page, station + "res/INSTR.htm", contentcheck::PageKind::Study,
                                                        {station, {station + "TESTS/ANS.a"}});
        const std::string& words = CheckerWords.at(verdict);
        QCOMPARE(findings.size(), std::size_t(words.empty() ? 0 : 1));
        if (!words.empty())
            QVERIFY2(findings.front().text.find(words) != std::string::npos, findings.front().text.c_str());
    }

    void theFolderMayBeGivenWithoutItsSlashOrThroughALink()
    {
        QVERIFY(::symlink((top + "station").c_str(), (top + "linked").c_str()) == 0);
        for (const std::string& folder : {top + "station", top + "linked/", top + "station/./res/.."}) {
            const station::PageRule rule(folder);
            const std::string address = station::FileUrl(folder);
            QVERIFY2(rule.Allows(address + "/res/INSTR.htm"), folder.c_str());
            QVERIFY2(!rule.Allows(address + "/TESTS/ANS.a"), folder.c_str());
            QVERIFY2(!rule.Allows(station::FileUrl(top + "outside/secret.htm")), folder.c_str());
        }
        QVERIFY(!station::PageRule("").Allows(url + "res/INSTR.htm")); // no folder: nothing inside
    }
};

QTEST_APPLESS_MAIN(PageRuleTest)
#include "tst_pagerule.moc"
