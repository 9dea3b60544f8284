// Where a page in the HTML view may lead: inside the station's folder only,
// never to a folder listing or the answer key, however the address is written.
#include "toolkit/PageRule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class PageRuleTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString station; // the station's folder, with '/'
    QString outside; // a folder beside it

    void write(const QString& path, const QByteArray& data = "x")
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    QUrl at(const QString& relative) const { return QUrl::fromLocalFile(station + relative); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        station = dir.filePath(QStringLiteral("station")) + u'/';
        outside = dir.filePath(QStringLiteral("outside")) + u'/';
        write(station + QStringLiteral("res/INSTR.htm"));
        write(station + QStringLiteral("res/page two.htm"));
        write(station + QStringLiteral("res/Схема.png"));
        write(station + QStringLiteral("TESTS/TEST1.htm"));
        write(station + QStringLiteral("TESTS/ANS.a"), "1\r\n");
        write(outside + QStringLiteral("secret.htm"));
        write(dir.filePath(QStringLiteral("station2/res/INSTR.htm")));
        QVERIFY(QFile::link(outside + QStringLiteral("secret.htm"), station + QStringLiteral("res/away.htm")));
        QVERIFY(QFile::link(station + QStringLiteral("TESTS/ANS.a"), station + QStringLiteral("res/key.htm")));
        QVERIFY(QFile::link(station + QStringLiteral("res/INSTR.htm"), station + QStringLiteral("res/again.htm")));
        QVERIFY(::link(QFile::encodeName(station + QStringLiteral("TESTS/ANS.a")).constData(),
                       QFile::encodeName(station + QStringLiteral("res/hard.txt")).constData()) == 0);
        QVERIFY(::mkfifo(QFile::encodeName(station + QStringLiteral("res/pipe.htm")).constData(), 0600) == 0);
    }

    void pagesPicturesAndStylesInsideTheFolderMayBeShown_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("the study page") << at(QStringLiteral("res/INSTR.htm"));
        QTest::newRow("a question page") << at(QStringLiteral("TESTS/TEST1.htm"));
        QTest::newRow("a name with a blank") << at(QStringLiteral("res/page two.htm"));
        QTest::newRow("a Cyrillic name") << at(QStringLiteral("res/Схема.png"));
        QTest::newRow("with a query and a fragment")
            << QUrl(at(QStringLiteral("res/INSTR.htm")).toString() + QStringLiteral("?a=1#part"));
        QTest::newRow("through .. that stays inside") << at(QStringLiteral("TESTS/../res/INSTR.htm"));
        QTest::newRow("a missing page: the view's own error page") << at(QStringLiteral("res/missing.htm"));
        QTest::newRow("a link to a page inside") << at(QStringLiteral("res/again.htm"));
    }
    void pagesPicturesAndStylesInsideTheFolderMayBeShown()
    {
        QFETCH(QUrl, url);
        QVERIFY2(tk::PageRule(station).Allows(url), qPrintable(url.toString()));
    }

    void everythingElseIsRefused_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("http") << QUrl(QStringLiteral("http://example.com/"));
        QTest::newRow("https") << QUrl(QStringLiteral("https://example.com/page.htm"));
        QTest::newRow("ftp") << QUrl(QStringLiteral("ftp://example.com/file"));
        QTest::newRow("mailto") << QUrl(QStringLiteral("mailto:someone@example.com"));
        QTest::newRow("data") << QUrl(QStringLiteral("data:text/html,<b>x</b>"));
        QTest::newRow("javascript") << QUrl(QStringLiteral("javascript:alert(1)"));
        QTest::newRow("about:blank") << QUrl(QStringLiteral("about:blank"));
        QTest::newRow("qrc") << QUrl(QStringLiteral("qrc:/qt-project.org/qmessagebox/images/qtlogo-64.png"));
        QTest::newRow("a file elsewhere") << QUrl::fromLocalFile(QStringLiteral("/etc/passwd"));
        QTest::newRow("a file beside the folder") << QUrl::fromLocalFile(outside + QStringLiteral("secret.htm"));
        QTest::newRow("out through ..") << at(QStringLiteral("res/../../outside/secret.htm"));
        QTest::newRow("out through escaped dots") << QUrl(at(QStringLiteral("res/")).toString() + "%2e%2e/%2E%2E/outside/secret.htm");
        QTest::newRow("a folder with the same beginning") << QUrl::fromLocalFile(dir.filePath(QStringLiteral("station2/res/INSTR.htm")));
        QTest::newRow("another machine's share") << QUrl(QStringLiteral("file://server") + station + "res/INSTR.htm");
        QTest::newRow("the station's folder") << QUrl::fromLocalFile(station);
        QTest::newRow("a folder inside") << at(QStringLiteral("res"));
        QTest::newRow("a folder inside, with '/'") << at(QStringLiteral("res/"));
        QTest::newRow("the key") << at(QStringLiteral("TESTS/ANS.a"));
        QTest::newRow("the key through ..") << at(QStringLiteral("res/../TESTS/ANS.a"));
        QTest::newRow("the key through ./ and //") << at(QStringLiteral("./TESTS//ANS.a"));
        QTest::newRow("the key through a link") << at(QStringLiteral("res/key.htm"));
        QTest::newRow("the key under a second name") << at(QStringLiteral("res/hard.txt"));
        QTest::newRow("a link leading out") << at(QStringLiteral("res/away.htm"));
        QTest::newRow("a pipe, no file") << at(QStringLiteral("res/pipe.htm"));
    }
    void everythingElseIsRefused()
    {
        QFETCH(QUrl, url);
        QVERIFY2(!tk::PageRule(station).Allows(url), qPrintable(url.toString()));
    }

    void theFolderMayBeGivenWithoutItsSlashOrThroughALink()
    {
        const QString link = dir.filePath(QStringLiteral("linked"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("station")), link));
        for (const QString& folder : {dir.filePath(QStringLiteral("station")), link + u'/'}) {
            const tk::PageRule rule(folder);
            QVERIFY2(rule.Allows(QUrl::fromLocalFile(folder + QStringLiteral("/res/INSTR.htm"))), qPrintable(folder));
            QVERIFY2(!rule.Allows(QUrl::fromLocalFile(folder + QStringLiteral("/TESTS/ANS.a"))), qPrintable(folder));
            QVERIFY2(!rule.Allows(QUrl::fromLocalFile(outside + QStringLiteral("secret.htm"))), qPrintable(folder));
        }
    }
};

QTEST_APPLESS_MAIN(PageRuleTest)
#include "tst_pagerule.moc"
