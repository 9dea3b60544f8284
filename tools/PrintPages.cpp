#include "tools/PrintPages.h"

#include "toolkit/core/Dpi.h"
#include "toolkit/engine/Pages.h"

#include "base/PageRule.h"
#include "base/Questions.h"

#include <QEventLoop>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

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
    return {scale(station::QuestionViewWidth), scale(station::QuestionViewHeight)};
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

PageRenderer::PageRenderer(const QString& station) : station_(station), timer_(std::make_unique<QTimer>())
{
    view_ = std::make_unique<QWebEngineView>();
    view_->setAttribute(Qt::WA_DontShowOnScreen);
    view_->resize(SmallestQuestionView());
    timer_->setSingleShot(true);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        const int seconds = StepTimeoutMs / 1000;
        Finish(std::nullopt,
               step_ == Step::Loading    ? QStringLiteral("страница не загрузилась за %1 с").arg(seconds)
               : step_ == Step::Printing ? QStringLiteral("страница не напечаталась за %1 с").arg(seconds)
                                         : QStringLiteral("скрипты страницы не отпускают её %1 с").arg(seconds),
               true);
    });
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
    const auto rule = std::make_shared<const station::PageRule>(QFile::encodeName(station_).toStdString());
    profile_ = tk::NewPagesProfile(owner.get(), [rule](const QUrl& url) { return MayRead(*rule, url); });
    page_ = new PrintedPage(profile_, rule, nullptr);
    QObject::connect(page_, &QWebEnginePage::loadFinished, [this](bool ok) { Loaded(ok); });
    view_->setPage(page_);
    delete old;
    owner_ = std::move(owner);
}

std::optional<QByteArray> PageRenderer::RenderFile(const QString& path, const QString& script, QString* error)
{
    return Wait([&](Done done) { StartFile(path, script, std::move(done)); }, error);
}

std::optional<QByteArray> PageRenderer::RenderHtml(const QString& html, QString* error)
{
    return Wait([&](Done done) { Start([this, html] { page_->setHtml(html); }, QString(), std::move(done)); }, error);
}

void PageRenderer::StartFile(const QString& path, const QString& script, Done done)
{
    Start([this, path] { page_->load(QUrl::fromLocalFile(path)); }, script, std::move(done));
}

std::optional<QByteArray> PageRenderer::Wait(const std::function<void(Done)>& start, QString* error)
{
    std::optional<QByteArray> result;
    bool finished = false;
    QEventLoop loop;
    start([&](std::optional<QByteArray> pdf, const QString& why) {
        result = std::move(pdf);
        *error = why;
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
    return result;
}

void PageRenderer::Start(const std::function<void()>& load, const QString& script, Done done)
{
    done_ = std::move(done);
    script_ = script;
    lastScrolls_.reset();
    Enter(Step::Loading);
    load();
}

// Each step has its own time; answers that come late (after the page was
// given up on) find another generation and are dropped.
void PageRenderer::Enter(Step step)
{
    step_ = step;
    ++generation_;
    timer_->start(StepTimeoutMs);
}

void PageRenderer::Loaded(bool ok)
{
    if (step_ != Step::Loading)
        return; // a late answer about a page given up on
    if (!ok)
        return Finish(std::nullopt, QStringLiteral("страница не загрузилась"), false);
    Enter(Step::Measuring);
    page_->runJavaScript(QString::fromLatin1(MeasureScript), QWebEngineScript::ApplicationWorld,
                         [this, generation = generation_](const QVariant& result) {
                             if (generation == generation_)
                                 Measured(result);
                         });
}

// The page as loaded, before anything is added to it.
void PageRenderer::Measured(const QVariant& result)
{
    const QVariantList size = result.toList();
    if (size.size() == 4)
        lastScrolls_ = size[0].toInt() > size[2].toInt() || size[1].toInt() > size[3].toInt();
    if (script_.isEmpty())
        return Print();
    Enter(Step::Scripting);
    page_->runJavaScript(script_, QWebEngineScript::ApplicationWorld, [this, generation = generation_](const QVariant& result) {
        if (generation != generation_)
            return;
        if (!result.toBool())
            return Finish(std::nullopt, QStringLiteral("к странице не удалось добавить ответ"), false);
        Print();
    });
}

void PageRenderer::Print()
{
    Enter(Step::Printing);
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                             QPageLayout::Millimeter);
    page_->printToPdf(
        [this, generation = generation_](const QByteArray& pdf) {
            if (generation != generation_)
                return;
            if (pdf.isEmpty())
                return Finish(std::nullopt, QStringLiteral("страница не напечаталась"), false);
            Finish(pdf, QString(), false);
        },
        layout);
}

void PageRenderer::Finish(std::optional<QByteArray> pdf, const QString& error, bool stuck)
{
    timer_->stop();
    step_ = Step::Idle;
    ++generation_;
    Done done = std::move(done_);
    done_ = nullptr;
    if (stuck)
        NewPage();
    if (done)
        done(std::move(pdf), error);
}

} // namespace bank
