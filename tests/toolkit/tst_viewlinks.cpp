// Where the pages in the real browser-engine view may lead: inside the
// station's folder like any browser; everywhere else refused, with the view
// staying on its page, however the page tries (link, script, form, frame,
// redirect), and nothing read from outside by a page's script or picture.
#include "EngineView.h"
#include "TestMain.h"

#include <QFile>
#include <QSignalSpy>
#include <QWebEnginePage>

#include <sys/stat.h>
#include <unistd.h>

using engine::Evaluate;
using engine::Shows;
using engine::StaysOn;
using engine::Title;

class ViewLinksTest : public QObject {
    Q_OBJECT
    std::unique_ptr<engine::StationFolder> folder;
    std::unique_ptr<engine::ViewWindow> w;

    // The study page with `body`; it is what the station shows.
    void studyPage(const QString& body)
    {
        folder->Page("res/INSTR.htm", QStringLiteral("Study"), body);
        QVERIFY(engine::Navigate(w->view, folder->Path("res/INSTR.htm")));
        QCOMPARE(Title(w->view), QStringLiteral("Study"));
    }
    void click(const QString& id)
    {
        Evaluate(w->view, QStringLiteral("document.getElementById('%1').click(); 1").arg(id));
    }

private slots:
    void init()
    {
        QVERIFY(tk::WebEngineAvailable());
        folder = std::make_unique<engine::StationFolder>();
        folder->Page("res/two.htm", QStringLiteral("Two"));
        folder->Page("TESTS/TEST1.htm", QStringLiteral("Question"));
        folder->File("TESTS/ANS.a", "2\r\n");
        folder->File("res/style.css", "body { color: rgb(1, 2, 3); }");
        folder->File("res/text.txt", "inside");
        folder->OutsideFile("secret.htm",
                     "<html><head><title>SECRET</title></head><body>secret</body></html>");
        const QByteArray picture = QByteArray::fromBase64(
            "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
        folder->File("res/pic.png", picture);
        folder->OutsideFile("pic.png", picture);
        // Names that are not UTF-8 lead to the machine's root and to the key; a
        // second name of the key; a pipe, which nobody may wait on.
        folder->Link("res/\xFF", "/").Link("res/\xFE", "../TESTS/ANS.a").HardLink("res/hard.txt", "TESTS/ANS.a");
        folder->Pipe("res/pipe.txt");
        // And a folder so named inside, whose file is read only when the name is decoded byte for byte.
        folder->Folder("res/\xFC").Link("res/\xFC/in.txt", "../text.txt");
    }
    void cleanup()
    {
        // Qt cannot name what is not UTF-8, so its clean-up would leave these behind.
        const QByteArray res = QFile::encodeName(folder->Path("res/"));
        for (const char* name : {"\xFF", "\xFE", "\xFC/in.txt"})
            ::unlink((res + name).constData());
        ::rmdir((res + "\xFC").constData());
        folder.reset();
    }
    void initTestCase() { w = std::make_unique<engine::ViewWindow>(); }
    void cleanupTestCase() { w.reset(); }

    void linksPicturesStylesAndFramesInsideTheFolderWork()
    {
        studyPage(QStringLiteral("<link rel=stylesheet href=style.css><img id=pic src=pic.png>"
                                 "<iframe id=frame src=two.htm></iframe><a id=in href=two.htm>two</a>"));
        QVERIFY(engine::WaitFor(
            [&] { return Evaluate(w->view, QStringLiteral("document.getElementById('pic').naturalWidth")).toInt() == 1; },
            10000));
        QCOMPARE(Evaluate(w->view, QStringLiteral("getComputedStyle(document.body).color")).toString(),
                 QStringLiteral("rgb(1, 2, 3)"));
        QVERIFY(engine::WaitFor(
            [&] {
                return Evaluate(w->view, QStringLiteral("document.getElementById('frame').contentDocument.title"))
                           .toString() == QStringLiteral("Two");
            },
            10000));
        QSignalSpy refused(w->view, &tk::TCppWebBrowser::Refused);
        click(QStringLiteral("in"));
        QVERIFY(Shows(w->view, QStringLiteral("Two")));
        QVERIFY(refused.isEmpty());
    }

    void everyWayOutIsRefusedAndTheViewStays_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("refusedUrl"); // "^" is the station's folder, "~" the folder beside it
        const QString linked = QStringLiteral("<a id=go href='%1'>go</a><script>setTimeout(function(){"
                                              "document.getElementById('go').click()}, 100)</script>");
        QTest::newRow("a link to a web address") << linked.arg("http://example.com/") << "http://example.com/";
        QTest::newRow("a link to https") << linked.arg("https://example.com/a.htm") << "https://example.com/a.htm";
        QTest::newRow("a link to a file of the machine") << linked.arg("file:///etc/passwd") << "file:///etc/passwd";
        QTest::newRow("a link out through ../") << linked.arg("../../outside/secret.htm") << "~secret.htm";
        QTest::newRow("a link to the key") << linked.arg("../TESTS/ANS.a") << "^TESTS/ANS.a";
        QTest::newRow("a link to a folder") << linked.arg("../TESTS/") << "^TESTS/";
        QTest::newRow("a script's location change")
            << "<script>setTimeout(function(){location.href='../../outside/secret.htm'}, 100)</script>" << "~secret.htm";
        QTest::newRow("a script's location.replace")
            << "<script>setTimeout(function(){location.replace('http://example.com/')}, 100)</script>"
            << "http://example.com/";
        QTest::newRow("a form") << "<form id=f action='../../outside/secret.htm'><input name=q value=1></form>"
                                   "<script>setTimeout(function(){document.getElementById('f').submit()}, 100)</script>"
                                << "~secret.htm?q=1";
        QTest::newRow("a form posting to the web")
            << "<form id=f method=post action='http://example.com/post'><input name=q value=1></form>"
               "<script>setTimeout(function(){document.getElementById('f').submit()}, 100)</script>"
            << "http://example.com/post";
        QTest::newRow("a frame from outside") << "<iframe src='../../outside/secret.htm'></iframe>" << "~secret.htm";
        QTest::newRow("a frame with the key") << "<iframe src='../TESTS/ANS.a'></iframe>" << "^TESTS/ANS.a";
        QTest::newRow("a link through a non-UTF-8 link to /") << linked.arg("%FF/etc/passwd") << "^res/%FF/etc/passwd";
        QTest::newRow("a frame through a non-UTF-8 link to the key") << "<iframe src='%FE'></iframe>" << "^res/%FE";
        QTest::newRow("a frame from the web") << "<iframe src='http://example.com/'></iframe>" << "http://example.com/";
        QTest::newRow("an object with the key") << "<object data='../TESTS/ANS.a'></object>" << "^TESTS/ANS.a";
        QTest::newRow("a meta refresh to the web")
            << "<meta http-equiv=refresh content='0;url=http://example.com/'>" << "http://example.com/";
        QTest::newRow("a meta refresh out of the folder")
            << "<meta http-equiv=refresh content='1;url=../../outside/secret.htm'>" << "~secret.htm";
        QTest::newRow("a frame whose script leaves") << "<iframe srcdoc=\"<script>top.location='http://example.com/'</script>\"></iframe>"
                                                     << "http://example.com/";
    }
    void everyWayOutIsRefusedAndTheViewStays()
    {
        QFETCH(QString, body);
        QFETCH(QString, refusedUrl);
        QSignalSpy refused(w->view, &tk::TCppWebBrowser::Refused);
        studyPage(body);
        const QString in = QUrl::fromLocalFile(folder->Base()).toString();
        const QString out = QUrl::fromLocalFile(folder->Outside()).toString();
        const QUrl expected(refusedUrl.startsWith(u'^')   ? in + refusedUrl.mid(1)
                            : refusedUrl.startsWith(u'~') ? out + refusedUrl.mid(1)
                                                          : refusedUrl);
        QVERIFY2(engine::WaitFor([&] { return !refused.isEmpty(); }, 10000), "nothing was refused");
        QCOMPARE(refused.first().first().toUrl(), expected);
        QVERIFY(StaysOn(w->view, QStringLiteral("Study")));
        QCOMPARE(engine::PageOf(w->view)->url(), QUrl::fromLocalFile(folder->Path("res/INSTR.htm")));
        // The page still works: a link inside the folder is followed.
        folder->Page("res/next.htm", QStringLiteral("Next"));
        Evaluate(w->view, QStringLiteral("location.href = 'next.htm'; 1"));
        QVERIFY(Shows(w->view, QStringLiteral("Next")));
    }

    void aPageRedirectingToTheWebEverySecondStaysUsable()
    {
        QSignalSpy refused(w->view, &tk::TCppWebBrowser::Refused);
        studyPage(QStringLiteral("<a id=in href=two.htm>two</a>"
                                 "<script>setInterval(function(){location.href='http://example.com/'}, 1000)</script>"));
        QVERIFY(engine::WaitFor([&] { return refused.size() >= 3; }, 15000));
        QCOMPARE(Title(w->view), QStringLiteral("Study"));
        click(QStringLiteral("in"));
        QVERIFY(Shows(w->view, QStringLiteral("Two")));
    }

    void scriptsAndPicturesReadNothingFromOutside_data()
    {
        QTest::addColumn<QString>("reader"); // sets the title to READ or BLOCKED
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        const QString fetch = QStringLiteral(
            "fetch('%1').then(function(r){return r.text()}).then(function(t){document.title='READ'},"
            "function(){document.title='BLOCKED'})");
        const QString xhr = QStringLiteral(
            "var x=new XMLHttpRequest();x.onload=function(){document.title='READ'};"
            "x.onerror=function(){document.title='BLOCKED'};x.open('GET','%1');x.send()");
        const QString img = QStringLiteral("var i=new Image();i.onload=function(){document.title='READ'};"
                                           "i.onerror=function(){document.title='BLOCKED'};i.src='%1'");
        QTest::newRow("fetch inside: read") << fetch << "text.txt" << "READ";
        QTest::newRow("fetch of the key") << fetch << "../TESTS/ANS.a" << "BLOCKED";
        QTest::newRow("fetch of the key, other spelling") << fetch << "../TESTS/./ANS.a" << "BLOCKED";
        QTest::newRow("fetch from outside") << fetch << "../../outside/secret.htm" << "BLOCKED";
        QTest::newRow("fetch of a machine file") << fetch << "file:///etc/passwd" << "BLOCKED";
        QTest::newRow("fetch of a folder") << fetch << "../TESTS/" << "BLOCKED";
        QTest::newRow("fetch inside a folder named not in UTF-8: read") << fetch << "%FC/in.txt" << "READ";
        QTest::newRow("fetch through a non-UTF-8 link to /") << fetch << "%FF/etc/passwd" << "BLOCKED";
        QTest::newRow("fetch through a non-UTF-8 link to the key") << fetch << "%FE" << "BLOCKED";
        QTest::newRow("fetch of the key under a second name") << fetch << "hard.txt" << "BLOCKED";
        QTest::newRow("fetch of a pipe") << fetch << "pipe.txt" << "BLOCKED";
        QTest::newRow("XHR inside: read") << xhr << "text.txt" << "READ";
        QTest::newRow("XHR of the key") << xhr << "../TESTS/ANS.a" << "BLOCKED";
        QTest::newRow("XHR from outside") << xhr << "../../outside/secret.htm" << "BLOCKED";
        QTest::newRow("a picture inside: read") << img << "pic.png" << "READ";
        QTest::newRow("a picture from outside") << img << "../../outside/pic.png" << "BLOCKED";
    }
    void scriptsAndPicturesReadNothingFromOutside()
    {
        QFETCH(QString, reader);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        studyPage({});
        Evaluate(w->view, reader.arg(target) + QStringLiteral("; 1"));
        QVERIFY2(Shows(w->view, expected, 10000), qPrintable(Title(w->view)));
    }

    void theStationsOwnNavigationIsAlwaysCarriedOut()
    {
        // Even to a page outside the folder: the station decides where it goes.
        QVERIFY(engine::Navigate(w->view, folder->Outside() + QStringLiteral("secret.htm")));
        QCOMPARE(Title(w->view), QStringLiteral("SECRET"));
        QVERIFY(engine::Navigate(w->view, folder->Path("TESTS/../TESTS/TEST1.htm")));
        QCOMPARE(Title(w->view), QStringLiteral("Question"));
    }
};

STATION_TEST_MAIN(ViewLinksTest)
#include "tst_viewlinks.moc"
