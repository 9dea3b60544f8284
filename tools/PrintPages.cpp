#include "tools/PrintPages.h"

#include "toolkit/Dpi.h"
#include "toolkit/EnginePages.h"
#include "toolkit/PageRule.h"
#include "ui/Testview.h"

#include <QEventLoop>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <string_view>

namespace bank {
namespace {

// The station's own view decides where its pages lead; the print lets them
// lead nowhere but to the page it loads, and to the pages it writes itself.
class PrintedPage final : public tk::QuietPage {
public:
    PrintedPage(QWebEngineProfile* profile, const tk::PageRule& rule, QObject* parent)
        : tk::QuietPage(profile, parent), rule_(rule)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        return url.scheme() == QLatin1String("data") || url == QUrl(QStringLiteral("about:blank")) ||
               rule_.Allows(url);
    }

private:
    tk::PageRule rule_;
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

// The document's scroll size and the part of it the view shows.
constexpr const char* MeasureScript = "(function () {"
                                      " var e = document.scrollingElement || document.documentElement;"
                                      " if (!e) return null;"
                                      " return [e.scrollWidth, e.scrollHeight, e.clientWidth, e.clientHeight];"
                                      " })()";

} // namespace

QSize SmallestQuestionView()
{
    // The station's windows scale down from their design at 120 ppi; 96 ppi
    // is the least dense screen they are made for.
    constexpr int SmallestPixelsPerInch = 96;
    const tk::DpiScale scale(SmallestPixelsPerInch);
    for (const tk::ControlDef& control : TTestForm::Layout())
        if (std::string_view(control.name) == "CppWebBrowser1")
            return {scale(control.width), scale(control.height)};
    return {};
}

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
    view_ = std::make_unique<QWebEngineView>();
    view_->setAttribute(Qt::WA_DontShowOnScreen);
    view_->resize(SmallestQuestionView());
    NewPage();
    view_->show();
}

PageRenderer::~PageRenderer()
{
    // The view goes before its page, the page before its profile.
    view_.reset();
    delete page_;
    page_ = nullptr;
}

void PageRenderer::NewPage()
{
    // A page whose scripts never let go is dropped with its profile.
    QWebEnginePage* const old = page_;
    auto owner = std::make_unique<QObject>();
    const tk::PageRule rule(station_);
    profile_ = tk::NewPagesProfile(owner.get(), [rule](const QUrl& url) { return rule.Allows(url); });
    page_ = new PrintedPage(profile_, rule, nullptr);
    view_->setPage(page_);
    delete old;
    owner_ = std::move(owner);
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
    lastScrolls_.reset();

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

    auto measured = std::make_shared<Pending>();
    page_->runJavaScript(QString::fromLatin1(MeasureScript), QWebEngineScript::ApplicationWorld,
                         [measured](const QVariant& result) {
                             const QVariantList size = result.toList();
                             measured->ok = size.size() == 4;
                             if (measured->ok)
                                 measured->data = QByteArray::number(size[0].toInt() > size[2].toInt() ||
                                                                     size[1].toInt() > size[3].toInt());
                             measured->Finish();
                         });
    if (!Await(measured, StepTimeoutMs))
        return fail(QStringLiteral("скрипты страницы не отпускают её %1 с").arg(seconds), true);
    if (measured->ok)
        lastScrolls_ = measured->data == "1";

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
