#include "toolkit/HtmlView.h"

#include "toolkit/EngineModule.h"
#include "toolkit/core/HeldPage.h"

#include "base/PageRule.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLibrary>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tk {

namespace {

HtmlViewFactory installed;
QString moduleOverride;
QString viewFolder;
std::shared_ptr<const station::PageRule> pageRule; // the station folder's; replaced, never changed
bool held = false;

// The first window is normally drawn well within this; the views start then at the latest.
constexpr int ReleaseAtLatestMs = 2000;

QString EngineModulePath()
{
    if (!moduleOverride.isEmpty())
        return moduleOverride;
    if (viewFolder.isEmpty())
        return {}; // no station, no module
    return viewFolder + QString::fromUtf8(engine::ModuleFile);
}

// Loading the module sets the engine up with the application object already
// made, on purpose (see EngineModule.h); the engine's warnings about just that say nothing.
QtMessageHandler quietedHandler = nullptr;
void QuietEngineStart(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && (message.contains(QLatin1String("AA_ShareOpenGLContexts")) ||
                                 message.contains(QLatin1String("QtWebEngineQuick::initialize()"))))
        return;
    if (quietedHandler)
        quietedHandler(type, context, message);
}

// The module's entry point; nothing when the module cannot be loaded.
engine::CreateView LoadEngineModule()
{
    static engine::CreateView create = nullptr;
    static QString loaded; // the module create came from
    if (loaded != EngineModulePath()) {
        loaded = EngineModulePath();
        quietedHandler = qInstallMessageHandler(QuietEngineStart);
        QLibrary module(loaded);
        create = reinterpret_cast<engine::CreateView>(module.resolve(engine::CreateViewSymbol));
        qInstallMessageHandler(quietedHandler);
    }
    return create;
}

// The view's engine, made by the module.
engine::View* CreateEngine(QWidget* parent, const engine::Callbacks& callbacks)
{
    const engine::CreateView create = LoadEngineModule();
    quietedHandler = qInstallMessageHandler(QuietEngineStart);
    engine::View* view = create ? create(parent, callbacks) : nullptr;
    qInstallMessageHandler(quietedHandler);
    return view;
}

class WebEngineView;
std::vector<WebEngineView*> heldViews;

// The browser-engine view. Made empty; its engine starts in Start, at once
// or when the views are released, and loads the page it was sent to last.
class WebEngineView final : public TCppWebBrowser {
public:
    explicit WebEngineView(QWidget* parent) : TCppWebBrowser(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        // Blank, like a browser's empty page, until the engine draws: never the window behind.
        QPalette blank = palette();
        blank.setColor(QPalette::Window, Qt::white);
        setPalette(blank);
        setAutoFillBackground(true);
        if (held)
            heldViews.push_back(this);
        else
            Start(false);
    }
    ~WebEngineView() override { heldViews.erase(std::remove(heldViews.begin(), heldViews.end(), this), heldViews.end()); }

    void Navigate(const QString& url) override
    {
        page_ = QUrl::fromLocalFile(url);
        held_.reset();
        if (engine_ && !waiting_)
            engine_->Navigate(page_);
    }

    void ShowHeld(const QString& url, const QByteArray& bytes) override
    {
        page_ = QUrl::fromLocalFile(url);
        // An empty page would be taken for none and read from the file.
        held_ = !HeldPageFits(bytes) ? TooLargeNotice() : bytes.isEmpty() ? QByteArray(" ") : bytes;
        if (engine_ && !waiting_)
            engine_->Show(page_, *held_);
    }

    // Starts the engine; the page it was sent to follows now, or with LoadPage.
    void Start(bool pageLater)
    {
        waiting_ = pageLater;
        engine::Callbacks callbacks;
        callbacks.mayShow = [](const QUrl& url) {
            // The address as the engine has it, escapes and all: the rule decodes it as the engine does.
            const QByteArray address = url.toEncoded();
            const auto rule = pageRule;
            return rule && rule->Allows(std::string_view(address.constData(), static_cast<std::size_t>(address.size())));
        };
        callbacks.loaded = [this](bool ok) { emit PageLoaded(ok); };
        callbacks.refused = [this](const QUrl& url) { emit Refused(url); };
        engine_ = CreateEngine(this, callbacks);
        if (!engine_) {
            auto* notice = new QLabel(UnavailableViewText(), this);
            notice->setAlignment(Qt::AlignCenter);
            notice->setWordWrap(true);
            layout()->addWidget(notice);
            return;
        }
        layout()->addWidget(engine_);
        setFocusProxy(engine_);
        if (hasFocus())
            engine_->setFocus();
        if (!waiting_)
            LoadPage();
    }
    void LoadPage()
    {
        waiting_ = false;
        if (!engine_)
            return;
        if (held_)
            engine_->Show(page_, *held_);
        else if (!page_.isEmpty())
            engine_->Navigate(page_);
    }

private:
    static QByteArray TooLargeNotice()
    {
        return QByteArrayLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
                                 "<body style=\"font: 20px sans-serif; margin: 40px\">")
               + HeldPageTooLargeText().toHtmlEscaped().toUtf8() + QByteArrayLiteral("</body></html>");
    }

    engine::View* engine_ = nullptr;
    QUrl page_;            // where the station last sent the view
    bool waiting_ = false; // started, its page not yet sent on
    std::optional<QByteArray> held_; // the page it was given, when from memory
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
    void ShowHeld(const QString&, const QByteArray&) override {}
};

// Releases the views once the window has been exposed and drawn, or at the latest after a while.
class ReleaseWhenShown final : public QObject {
public:
    explicit ReleaseWhenShown(QWindow* window) : QObject(window)
    {
        window->installEventFilter(this);
        QTimer::singleShot(ReleaseAtLatestMs, this, [this] { Release(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window draws itself while it handles the expose; the engine starts after that.
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
            QTimer::singleShot(0, this, [this] { Release(); });
        return false;
    }

private:
    // The engine starts in three steps, each in a turn of its own of the event
    // loop (the module; the engine and the views; the pages), so that a press
    // on the window already on screen is answered between them.
    void Release()
    {
        if (!held)
            return;
        held = false;
        QGuiApplication::sync(); // what the window drew reaches the screen before the engine starts
        for (WebEngineView* view : std::exchange(heldViews, {}))
            views_.push_back(view);
        LoadEngineModule();
        QTimer::singleShot(0, this, [this] {
            for (const QPointer<WebEngineView>& view : views_)
                if (view)
                    view->Start(true);
            QTimer::singleShot(0, this, [this] {
                for (const QPointer<WebEngineView>& view : views_)
                    if (view)
                        view->LoadPage();
                deleteLater();
            });
        });
    }

    std::vector<QPointer<WebEngineView>> views_;
};

} // namespace

bool HeldPageFits(const QByteArray& bytes)
{
    return tk::HeldPageFits(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString HeldPageTooLargeText()
{
    return QStringLiteral("Страница вопроса слишком велика для показа. Обратитесь к оператору.");
}

QString UnavailableViewText()
{
    return QStringLiteral("Просмотр страниц на этом компьютере недоступен. Обратитесь к оператору.");
}

void SetViewFolder(const std::string& folder)
{
    viewFolder = QFile::decodeName(QByteArray::fromStdString(folder));
    pageRule = folder.empty() ? nullptr : std::make_shared<const station::PageRule>(folder);
}

void SetEngineModule(const QString& path)
{
    moduleOverride = path;
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
    if (!WebEngineAvailable() || !QFileInfo(EngineModulePath()).isFile())
        return CreateUnavailableView(parent);
    return CreateWebEngineView(parent);
}

void HoldHtmlViews()
{
    held = true;
}

void ReleaseHtmlViews()
{
    held = false;
    const std::vector<WebEngineView*> views = std::exchange(heldViews, {});
    for (WebEngineView* view : views)
        view->Start(false);
}

void ReleaseHtmlViewsWhenShown(QWidget* window)
{
    if (!held)
        return;
    if (!window || !window->windowHandle()) {
        ReleaseHtmlViews();
        return;
    }
    new ReleaseWhenShown(window->windowHandle());
}

} // namespace tk
