// A hostile page in the real browser-engine view changes nothing a person or
// the disk would see: no dialog opens, no file is written, no packet leaves,
// the page on screen stays the station's, the station's own next page comes
// up whatever the page does, at the normal size, and the clock keeps time.
#include "EngineView.h"
#include "TestMain.h"

#include <QDirIterator>
#include <QTcpServer>
#include <QUdpSocket>
#include <QWebEnginePage>
#include <QWheelEvent>

class ViewHostileTest : public QObject {
    Q_OBJECT
    QTemporaryDir scratch; // HOME, the temporary and the XDG folders of this process
    std::unique_ptr<engine::StationFolder> folder;
    std::unique_ptr<engine::ViewWindow> w;
    QStringList shown; // windows that reached the screen
    QStringList disk;  // what the scratch folders held when the engine had started

    // Every entry in the scratch folders but the station's folder of the moment.
    QStringList Disk() const
    {
        QStringList entries;
        QDirIterator it(scratch.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (folder && info.filePath().startsWith(QFileInfo(folder->Outside() + "..").canonicalFilePath()))
                continue;
            entries << info.filePath() + (info.isDir() ? QString() : u' ' + QString::number(info.size()) + u' ' +
                                                              info.lastModified().toString(Qt::ISODateWithMs));
        }
        entries.sort();
        return entries;
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWindowType() && watched != w->window->windowHandle())
            shown << watched->objectName();
        return false;
    }

private slots:
    void initTestCase()
    {
        for (const char* name : {"HOME", "TMPDIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
            QDir().mkpath(scratch.filePath(QString::fromLatin1(name)));
            qputenv(name, QFile::encodeName(scratch.filePath(QString::fromLatin1(name))));
        }
        QVERIFY(tk::WebEngineAvailable());
        w = std::make_unique<engine::ViewWindow>();
        folder = std::make_unique<engine::StationFolder>();
        folder->Page("start.htm", QStringLiteral("Start"));
        QVERIFY(engine::Navigate(w->view, folder->Path("start.htm")));
        disk = Disk();
        qApp->installEventFilter(this);
    }
    void cleanupTestCase() { w.reset(); }

    void aHostilePageChangesNothing_data()
    {
        QTest::addColumn<QString>("body");   // %U: a UDP port listening, %T: a TCP port
        QTest::addColumn<QString>("gesture"); // the person's, after a click into the page
        QTest::addColumn<QString>("seen");    // what the page saw, in window.seen (empty: anything)
        const QString click = QStringLiteral("<input id=f %1><script>document.onclick=function(){%2}</script>");
        const QString picked = QStringLiteral("function(){seen='CHOSEN'},function(e){seen=e.name}");
        QTest::newRow("a file field") << click.arg("type=file onchange=\"seen='CHOSEN'\"", "f.click()") << "" << "";
        QTest::newRow("a folder field") << click.arg("type=file webkitdirectory", "f.click()") << "" << "";
        QTest::newRow("a colour field") << click.arg("type=color onchange=\"seen='CHOSEN'\"", "f.click()") << "" << "";
        QTest::newRow("the open picker") << click.arg("", "showOpenFilePicker().then(" + picked + ")") << "" << "AbortError";
        QTest::newRow("the folder picker") << click.arg("", "showDirectoryPicker().then(" + picked + ")") << "" << "AbortError";
        QTest::newRow("the save picker")
            << click.arg("", "showSaveFilePicker({suggestedName:'x.txt'}).then(" + picked + ")") << "" << "AbortError";
        QTest::newRow("1,000 pickers") << click.arg("type=color", "var c=document.createElement('input');"
                                                                  "c.type='file';for(var i=0;i<1000;i++){"
                                                                  "showOpenFilePicker().catch(function(){});"
                                                                  "c.click();f.click()}")
                                       << "" << "";
        QTest::newRow("IndexedDB") << "<script>var r=indexedDB.open('db');r.onupgradeneeded=function(){"
                                      "r.result.createObjectStore('s').put('x'.repeat(100000),1)};"
                                      "r.onsuccess=function(){seen='STORED'}</script>"
                                   << "" << "";
        QTest::newRow("localStorage") << "<script>localStorage.setItem('k','x'.repeat(100000))</script>" << "" << "";
        QTest::newRow("the Cache API")
            << "<script>caches.open('c').then(function(c){return c.put('a.txt',new Response('x'))})</script>" << "" << "";
        QTest::newRow("a download") << click.arg("", "var a=document.createElement('a');a.download='x.bin';"
                                                      "a.href=URL.createObjectURL(new Blob(['data']));a.click()")
                                    << "" << "";
        QTest::newRow("a download from the folder") << click.arg("", "location.href='data.bin'") << "" << "";
        const QString rtc = QStringLiteral("<script>var p=new %1({iceServers:[%2]});p.createDataChannel('d');"
                                           "p.createOffer().then(function(o){p.setLocalDescription(o)})</script>");
        QTest::newRow("WebRTC over UDP") << rtc.arg("RTCPeerConnection", "{urls:'stun:127.0.0.1:%U'}") << "" << "";
        QTest::newRow("WebRTC over TCP")
            << rtc.arg("RTCPeerConnection", "{urls:'turn:127.0.0.1:%T?transport=tcp',username:'u',credential:'c'}") << ""
            << "";
        QTest::newRow("WebRTC from a new frame")
            << "<iframe id=n></iframe>" + rtc.arg("n.contentWindow.RTCPeerConnection", "{urls:'stun:127.0.0.1:%U'}") << "" << "";
        QTest::newRow("WebRTC over TCP from a new frame")
            << "<iframe id=n></iframe>" +
                   rtc.arg("n.contentWindow.RTCPeerConnection",
                           "{urls:'turn:127.0.0.1:%T?transport=tcp',username:'u',credential:'c'}")
            << "" << "";
        QTest::newRow("WebTransport") << "<script>new WebTransport('https://127.0.0.1:%U/')</script>" << "" << "";
        QTest::newRow("a link to about:blank") << click.arg("", "location.href='about:blank'") << "" << "";
        QTest::newRow("about:srcdoc") << click.arg("", "location.replace('about:srcdoc')") << "" << "";
        QTest::newRow("the engine's about: page") << click.arg("", "location.href='about:version'") << "" << "";
        QTest::newRow("a window opened over the page") << click.arg("", "open('about:blank','_self')") << "" << "";
        QTest::newRow("beforeunload") << "<script>onbeforeunload=function(e){e.preventDefault();e.returnValue='x'}"
                                         "</script>"
                                      << "" << "";
        QTest::newRow("Ctrl+wheel") << "" << "wheel" << "";
    }
    void aHostilePageChangesNothing()
    {
        QFETCH(QString, body);
        QFETCH(QString, gesture);
        QFETCH(QString, seen);
        QUdpSocket udp;
        QTcpServer tcp;
        QVERIFY(udp.bind(QHostAddress::LocalHost) && tcp.listen(QHostAddress::LocalHost));
        folder = std::make_unique<engine::StationFolder>();
        folder->Page("res/INSTR.htm", QStringLiteral("Station"),
                     QString(body).replace("%U", QString::number(udp.localPort()))
                         .replace("%T", QString::number(tcp.serverPort())));
        folder->File("res/data.bin", QByteArray(100000, '\0'));
        folder->Page("TESTS/TEST1.htm", QStringLiteral("Question"));
        shown.clear();

        QVERIFY(engine::Navigate(w->view, folder->Path("res/INSTR.htm")));
        // The engine makes its input widget anew with a new renderer, which a flood of pickers may bring.
        for (int i = 0; i < 2; ++i) { // a click that came before the page took input gives no activation
            QWidget* input = engine::InputOf(w->view);
            QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
            engine::Wait(300);
        }
        for (int i = 0; i < 5; ++i) {
            if (gesture == QLatin1String("wheel")) {
                QWidget* input = engine::InputOf(w->view);
                QWheelEvent wheel(input->rect().center(), input->mapToGlobal(input->rect().center()), {}, {0, 120},
                                  Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(input, &wheel);
            }
        }
        if (!gesture.isEmpty())
            QVERIFY2(engine::WaitFor([&] { return engine::PageOf(w->view)->zoomFactor() > 1.0; }, 5000), "no zoom");
        // The clock keeps time meanwhile: no tick of a tenth of a second waits half a second.
        QElapsedTimer clock;
        qint64 last = 0, longest = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, clock.elapsed() - last); last = clock.elapsed(); });
        clock.start();
        tick.start(100);
        engine::Wait(3000);
        QVERIFY(engine::Shows(w->view, QStringLiteral("Station"), 5000));
        tick.stop();
        QVERIFY2(longest < 500, qPrintable(QString::number(longest)));
        if (!seen.isEmpty())
            QCOMPARE(engine::Evaluate(w->view, QStringLiteral("String(window.seen)")).toString(), seen);
        QCOMPARE(engine::PageOf(w->view)->url(), QUrl::fromLocalFile(folder->Path("res/INSTR.htm")));

        QVERIFY(engine::Navigate(w->view, folder->Path("TESTS/TEST1.htm")));
        QCOMPARE(engine::Title(w->view), QStringLiteral("Question"));
        QCOMPARE(engine::PageOf(w->view)->zoomFactor(), 1.0);
        QCOMPARE(engine::Evaluate(w->view, QStringLiteral("innerWidth")).toInt(), w->view->width());
        QCOMPARE(shown, QStringList());
        QCOMPARE(udp.hasPendingDatagrams(), false);
        QCOMPARE(tcp.hasPendingConnections(), false);
        const QStringList now = Disk();
        QVERIFY2(now == disk, qPrintable(QSet<QString>(now.begin(), now.end())
                                             .subtract(QSet<QString>(disk.begin(), disk.end()))
                                             .values()
                                             .join(u'\n')));
    }
};

STATION_TEST_MAIN(ViewHostileTest)
#include "tst_viewhostile.moc"
