#include "toolkit/HtmlView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace tk {

namespace {

HtmlViewFactory installed;

// Pages are the operator's own HTML: their scripts may run, but they may not
// pop up windows or boxes over the station.
class StationPage final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
};

// One profile for every view, in memory only: no cache, cookies or storage on disk.
QWebEngineProfile* StationProfile()
{
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile(qApp); // no storage name: off the record
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setSpellCheckEnabled(false);
        QWebEngineSettings* settings = p->settings();
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
        return p;
    }();
    return profile;
}

class WebEngineView final : public TCppWebBrowser {
public:
    explicit WebEngineView(QWidget* parent) : TCppWebBrowser(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        view_ = new QWebEngineView(this);
        page_ = new StationPage(StationProfile(), view_);
        view_->setPage(page_);
        connect(page_, &QWebEnginePage::loadFinished, this, &TCppWebBrowser::PageLoaded);
        view_->setContextMenuPolicy(Qt::NoContextMenu);
        layout->addWidget(view_);
        setFocusProxy(view_);
    }
    ~WebEngineView() override
    {
        // The page must go before the view it renders into.
        view_->setPage(nullptr);
        delete page_;
    }
    void Navigate(const QString& url) override { page_->load(QUrl::fromLocalFile(url)); }

private:
    QWebEngineView* view_ = nullptr;
    StationPage* page_ = nullptr;
};

class UnavailableView final : public TCppWebBrowser {
public:
    explicit UnavailableView(QWidget* parent) : TCppWebBrowser(parent)
    {
        auto* layout = new QVBoxLayout(this);
        auto* notice = new QLabel(UnavailableViewText(), this);
        notice->setAlignment(Qt::AlignCenter);
        notice->setWordWrap(true);
        layout->addWidget(notice);
    }
    void Navigate(const QString&) override {}
};

} // namespace

QString UnavailableViewText()
{
    return QStringLiteral("Просмотр страниц на этом компьютере недоступен. Обратитесь к оператору.");
}

bool WebEngineAvailable()
{
    // Without its helper process the engine would end the whole program.
    const QString helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
    const QByteArray configured = qgetenv("QTWEBENGINE_PROCESS_PATH");
    if (!configured.isEmpty())
        return QFileInfo(QString::fromLocal8Bit(configured)).isExecutable();
    return QFileInfo(helper).isExecutable();
}

TCppWebBrowser* CreateWebEngineView(QWidget* parent)
{
    return new WebEngineView(parent);
}

TCppWebBrowser* CreateUnavailableView(QWidget* parent)
{
    return new UnavailableView(parent);
}

void SetHtmlViewFactory(HtmlViewFactory factory)
{
    installed = std::move(factory);
}

TCppWebBrowser* CreateHtmlView(QWidget* parent)
{
    if (installed)
        return installed(parent);
    if (!WebEngineAvailable())
        return CreateUnavailableView(parent);
    try {
        return CreateWebEngineView(parent);
    } catch (...) {
        return CreateUnavailableView(parent);
    }
}

} // namespace tk
