#include "tools/PrintPages.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace bank {
namespace {

QString Canonical(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// What the station's view may show: its own folder, apart from the key.
class Confinement {
public:
    Confinement(const QString& station, const QString& key) : station_(Canonical(station)), key_(Canonical(key)) {}

    bool Allows(const QUrl& url) const
    {
        const QString scheme = url.scheme().toLower();
        if (scheme == QLatin1String("data") || scheme == QLatin1String("blob") || scheme == QLatin1String("about"))
            return true;
        if (scheme != QLatin1String("file"))
            return false; // no network
        const QString path = Canonical(url.toLocalFile());
        return path != key_ && (path == station_ || path.startsWith(station_ + QLatin1Char('/')));
    }

private:
    QString station_;
    QString key_;
};

class ConfiningInterceptor final : public QWebEngineUrlRequestInterceptor {
public:
    ConfiningInterceptor(const Confinement& confinement, QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent), confinement_(confinement)
    {
    }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        info.block(!confinement_.Allows(info.requestUrl()));
    }

private:
    Confinement confinement_;
};

// The operator's pages may run scripts, but may not open windows or boxes,
// nor lead elsewhere.
class PrintedPage final : public QWebEnginePage {
public:
    PrintedPage(QWebEngineProfile* profile, const Confinement& confinement, QObject* parent)
        : QWebEnginePage(profile, parent), confinement_(confinement)
    {
    }

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override { return confinement_.Allows(url); }

private:
    Confinement confinement_;
};

// The settings of the station's own view: in memory only, nothing that
// reaches out.
QWebEngineProfile* MakeProfile(QObject* owner, const Confinement& confinement)
{
    auto* profile = new QWebEngineProfile(owner); // no storage name: off the record
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    profile->setUrlRequestInterceptor(new ConfiningInterceptor(confinement, profile));
    return profile;
}

// One asynchronous answer from the engine. Shared with the callback, which may
// still come after the wait has given up.
struct Pending {
    bool done = false;
    bool ok = false;
    QByteArray data;
    QEventLoop* loop = nullptr;

    void Finish()
    {
        done = true;
        if (loop)
            loop->quit();
    }
};

bool Await(const std::shared_ptr<Pending>& pending, int timeoutMs)
{
    if (pending->done)
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    pending->loop = &loop;
    loop.exec();
    pending->loop = nullptr;
    return pending->done;
}

} // namespace

QString JsString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

PageRenderer::PageRenderer(const QString& station, const QString& key) : station_(station), key_(key)
{
    NewPage();
}

PageRenderer::~PageRenderer()
{
    // The page must go before its profile.
    delete page_;
    page_ = nullptr;
}

void PageRenderer::NewPage()
{
    // A page whose scripts never let go is dropped with its profile.
    delete page_;
    owner_ = std::make_unique<QObject>();
    const Confinement confinement(station_, key_);
    profile_ = MakeProfile(owner_.get(), confinement);
    page_ = new PrintedPage(profile_, confinement, nullptr);
}

std::optional<QByteArray> PageRenderer::RenderFile(const QString& path, const QString& script, QString* error)
{
    return Render([&] { page_->load(QUrl::fromLocalFile(path)); }, script, error);
}

std::optional<QByteArray> PageRenderer::RenderHtml(const QString& html, QString* error)
{
    return Render([&] { page_->setHtml(html); }, QString(), error);
}

std::optional<QByteArray> PageRenderer::Render(const std::function<void()>& load, const QString& script,
                                               QString* error)
{
    const auto fail = [&](const QString& why, bool stuck) -> std::optional<QByteArray> {
        *error = why;
        if (stuck)
            NewPage();
        return std::nullopt;
    };
    const int seconds = StepTimeoutMs / 1000;

    auto loaded = std::make_shared<Pending>();
    const auto connection = QObject::connect(page_, &QWebEnginePage::loadFinished, [loaded](bool ok) {
        loaded->ok = ok;
        loaded->Finish();
    });
    load();
    const bool finished = Await(loaded, StepTimeoutMs);
    QObject::disconnect(connection);
    if (!finished)
        return fail(QStringLiteral("страница не загрузилась за %1 с").arg(seconds), true);
    if (!loaded->ok)
        return fail(QStringLiteral("страница не загрузилась"), false);

    if (!script.isEmpty()) {
        auto ran = std::make_shared<Pending>();
        page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [ran](const QVariant& result) {
            ran->ok = result.toBool();
            ran->Finish();
        });
        if (!Await(ran, StepTimeoutMs))
            return fail(QStringLiteral("скрипты страницы не отпускают её %1 с").arg(seconds), true);
        if (!ran->ok)
            return fail(QStringLiteral("к странице не удалось добавить ответ"), false);
    }

    auto printed = std::make_shared<Pending>();
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                             QPageLayout::Millimeter);
    page_->printToPdf(
        [printed](const QByteArray& pdf) {
            printed->data = pdf;
            printed->Finish();
        },
        layout);
    if (!Await(printed, StepTimeoutMs))
        return fail(QStringLiteral("страница не напечаталась за %1 с").arg(seconds), true);
    if (printed->data.isEmpty())
        return fail(QStringLiteral("страница не напечаталась"), false);
    return printed->data;
}

} // namespace bank
