// The real browser-engine view: the study page loads, a missing page and a
// page with hostile scripts neither crash nor pop anything up.
#include "EngineView.h"
#include "TestMain.h"

#include "toolkit/HtmlView.h"

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

    static QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& data)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
        return file.fileName();
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
        QTemporaryDir dir;
        const QString notAModule = write(dir, QStringLiteral("libbriefing-station-engine.so"), "not a shared object");
        tk::SetHtmlViewFactory(nullptr);
        for (const QString& module : {dir.filePath(QStringLiteral("missing.so")), notAModule}) {
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
        QTemporaryDir dir;
        QVERIFY(load(write(dir, QStringLiteral("p.htm"),
                           "<html><body>x<script>window.open('p.htm'); alert('a'); confirm('b'); prompt('c');"
                           "</script></body></html>")));
        QTest::qWait(200);
        QCOMPARE(QApplication::topLevelWidgets().size(), 1);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

STATION_TEST_MAIN(WebViewTest)
#include "tst_webview.moc"
