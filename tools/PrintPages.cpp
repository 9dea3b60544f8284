#include "tools/PrintPages.h"

#include "toolkit/EnginePages.h"

#include "base/PageRule.h"

#include <QEventLoop>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <memory>
#include <string_view>
#include <utility>

namespace bank {
namespace {

// The address as the engine has it, escapes and all: the rule decodes it as the engine does.
bool MayRead(const station::PageRule& rule, const QUrl& url)
{
    const QByteArray address = url.toEncoded();
    return rule.Allows(std::string_view(address.constData(), static_cast<std::size_t>(address.size())));
}

// The station's own view decides where its pages lead; the print lets them
// lead nowhere but to the page it loads, and to the pages it writes itself.
class PrintedPage final : public tk::QuietPage {
public:
    PrintedPage(QWebEngineProfile* profile, std::shared_ptr<const station::PageRule> rule, QObject* parent)
        : tk::QuietPage(profile, parent), rule_(std::move(rule))
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        return url.scheme() == QLatin1String("data") || url == QUrl(QStringLiteral("about:blank")) ||
               MayRead(*rule_, url);
    }

private:
    std::shared_ptr<const station::PageRule> rule_;
};

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

PageRenderer::PageRenderer(const QString& station) : station_(station)
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
    const auto rule = std::make_shared<const station::PageRule>(QFile::encodeName(station_).toStdString());
    profile_ = tk::NewPagesProfile(owner_.get(), [rule](const QUrl& url) { return MayRead(*rule, url); });
    page_ = new PrintedPage(profile_, rule, nullptr);
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
