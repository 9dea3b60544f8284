// The real browser-engine view: the study page loads, a missing page and a
// page with hostile scripts neither crash nor pop anything up; a page shown
// from memory behaves as the page in its folder.
#include "EngineView.h"
#include "TestMain.h"

#include "toolkit/HtmlView.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

class WebViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QWidget> window;
    tk::TCppWebBrowser* view = nullptr;

    bool load(const QString& path)
    {
        QSignalSpy loaded(view, &tk::TCppWebBrowser::PageLoaded);
        view->Navigate(path);
        if (!loaded.wait(60000))
            return false;
        return loaded.first().first().toBool();
    }

private slots:
    void init()
    {
        engine::UseBuiltEngine();
        QVERIFY(tk::WebEngineAvailable());
        window = std::make_unique<QWidget>();
        window->resize(985, 633);
        view = tk::CreateWebEngineView(window.get());
        view->resize(985, 633);
        window->show();
    }
    void cleanup() { window.reset(); }

    void theStudyPageLoads() { QVERIFY(load(QStringLiteral(STATION_CONTENT "/res/INSTR.htm"))); }

    void aQuestionPageLoads() { QVERIFY(load(QStringLiteral(STATION_CONTENT "/TESTS/TEST1.htm"))); }

    void aMissingPageIsTheViewsOwnBusiness()
    {
        QTemporaryDir dir;
        load(dir.filePath(QStringLiteral("res/INSTR.htm"))); // the engine shows its own error page
        QVERIFY(window->isVisible());
    }

    void withoutItsModuleTheViewShowsTheNotice()
    {
        fixture::StationFolder dir;
        dir.File("libbriefing-station-engine.so", "not a shared object");
        const QString notAModule = dir.Path("libbriefing-station-engine.so");
        tk::SetHtmlViewFactory(nullptr);
        for (const QString& module : {dir.Path("missing.so"), notAModule}) {
            tk::SetEngineModule(module);
            std::unique_ptr<tk::TCppWebBrowser> shown(tk::CreateHtmlView(nullptr));
            shown->Navigate(QStringLiteral(STATION_CONTENT "/res/INSTR.htm")); // nothing to do, and no crash
            const QLabel* notice = shown->findChild<QLabel*>();
            QVERIFY2(notice, qPrintable(module));
            QCOMPARE(notice->text(), tk::UnavailableViewText());
        }
        InstallRecordingViews();
        engine::UseBuiltEngine();
    }

    void scriptsCannotOpenWindowsOrBoxes()
    {
        fixture::StationFolder dir;
        QVERIFY(load(dir.File("p.htm", "<html><body>x<script>window.open('p.htm'); alert('a'); confirm('b'); prompt('c');"
                                       "</script></body></html>")
                         .Path("p.htm")));
        QTest::qWait(200);
        QCOMPARE(QApplication::topLevelWidgets().size(), 1);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The run's page as read at the draw, whatever lies on disk by now: its
    // declared code page, its picture and link in the folder, the way back to
    // it from the link and no further; a page too large is refused.
    void aPageFromMemoryIsThePageInItsFolder()
    {
        engine::StationFolder folder;
        QByteArray png;
        QBuffer buffer(&png);
        QImage(7, 3, QImage::Format_RGB32).save(&buffer, "PNG");
        folder.File("TESTS/pic.png", png);
        folder.Page("TESTS/hint.htm", QStringLiteral("Hint"));
        folder.Page("TESTS/TEST1.htm", QStringLiteral("On disk by now"));
        const QString path = folder.Path("TESTS/TEST1.htm");
        QVERIFY(engine::Navigate(view, folder.Path("TESTS/hint.htm")));
        view->ShowHeld(path, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                             "<title>\xc2\xee\xef\xf0\xee\xf1</title><img src=pic.png><a id=a href=hint.htm>a</a>");
        QVERIFY(engine::Shows(view, QStringLiteral("Вопрос")));
        QVERIFY(engine::WaitFor([&] { return engine::Evaluate(view, QStringLiteral("document.images[0].naturalWidth")) == 7; },
                                10000));
        engine::Perform(view, engine::Gesture::AltLeft);
        QVERIFY(engine::StaysOn(view, QStringLiteral("Вопрос")));
        engine::Evaluate(view, QStringLiteral("a.click(); 1"));
        QVERIFY(engine::Shows(view, QStringLiteral("Hint")));
        engine::Perform(view, engine::Gesture::AltLeft);
        QVERIFY(engine::Shows(view, QStringLiteral("Вопрос")));

        view->ShowHeld(path, QByteArray(1600 * 1000, 'x'));
        QVERIFY(engine::WaitFor(
            [&] { return engine::Evaluate(view, QStringLiteral("document.body.innerText")) == tk::HeldPageTooLargeText(); },
            30000));
    }
};

STATION_TEST_MAIN(WebViewTest)
#include "tst_webview.moc"
