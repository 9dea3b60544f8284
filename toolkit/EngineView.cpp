// The browser engine's module: the views in the real engine, the pages'
// confinement and the history's floor. Loaded by the toolkit's HTML view when
// the views start (see EngineModule.h).
#include "toolkit/EngineModule.h"
#include "toolkit/EnginePages.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include <csignal>
#include <sys/types.h>

namespace tk::engine {

namespace {

// A station navigation whose page has not loaded after this long may be
// stuck behind a page whose script never ends (see CheckRenderer).
constexpr int StuckAfterMs = 3000;
// How long a page of a working renderer takes at most to answer.
constexpr int AnswerWithinMs = 2000;

// Where pages may lead and what they may read; the same for every view.
std::function<bool(const QUrl&)> stationRule;

// The same file, whatever else the two addresses carry.
bool SamePage(const QUrl& a, const QUrl& b)
{
    return a.isLocalFile() && b.isLocalFile() && QDir::cleanPath(a.toLocalFile()) == QDir::cleanPath(b.toLocalFile());
}

// One profile for every view.
QWebEngineProfile* StationProfile()
{
    static QWebEngineProfile* profile =
        NewPagesProfile(qApp, [](const QUrl& url) { return stationRule && stationRule(url); });
    return profile;
}

class EngineView;
std::vector<EngineView*> liveViews;

// Where a page leads is the view's decision.
class StationPage final : public QuietPage {
public:
    StationPage(QWebEngineProfile* profile, EngineView* owner, QObject* parent)
        : QuietPage(profile, parent), owner_(owner)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // Also asked before the page is left: the station's own move always goes
    // ahead; a page may keep the person from following its links.
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;

private:
    EngineView* owner_;
};

// The engine makes its own dialogs (a colour picker, a question) as windows
// of the view. None reaches the screen: each is dismissed before it shows,
// as if the person had cancelled it.
class NoDialogs final : public QObject {
public:
    explicit NoDialogs(QWidget* view) : QObject(view) { view->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        } else if (event->type() == QEvent::Show) { // sent before the window is mapped
            if (auto* dialog = qobject_cast<QDialog*>(watched)) {
                dialog->setAttribute(Qt::WA_DontShowOnScreen);
                dialog->setWindowModality(Qt::NonModal); // blocks no window meanwhile
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        return false;
    }
};

// One view: the engine's own view inside, the station's rules around it.
class EngineView final : public View {
public:
    EngineView(QWidget* parent, const Callbacks& callbacks) : View(parent), callbacks_(callbacks)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        stuck_.setSingleShot(true);
        stuck_.setInterval(StuckAfterMs);
        connect(&stuck_, &QTimer::timeout, this, [this] { CheckRenderer(); });
        liveViews.push_back(this);
    }
    ~EngineView() override
    {
        liveViews.erase(std::remove(liveViews.begin(), liveViews.end(), this), liveViews.end());
        if (view_) {
            // The page must go before the view it renders into.
            view_->setPage(nullptr);
            delete page_;
        }
    }

    void Navigate(const QUrl& page) override
    {
        stationUrl_ = page;
        mayReload_ = true;
        mayEndRenderer_ = true;
        if (!view_)
            Start();
        Load();
    }

private:
    // A view's page is made with its first page: until then it costs the
    // renderer nothing.
    void Start()
    {
        view_ = new QWebEngineView(this);
        page_ = new StationPage(StationProfile(), this, view_);
        view_->setPage(page_);
        connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) { Loaded(ok); });
        connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) { TakeBack(url); });
        connect(page_, &QWebEnginePage::renderProcessTerminated, this,
                [this](QWebEnginePage::RenderProcessTerminationStatus status) { RendererEnded(status); });
        view_->setContextMenuPolicy(Qt::NoContextMenu);
        new NoDialogs(view_);
        // The engine puts its own widget into the view and takes input there;
        // it may make a new one when the renderer changes.
        view_->installEventFilter(this);
        for (QWidget* child : view_->findChildren<QWidget*>())
            child->installEventFilter(this);
        layout()->addWidget(view_);
        setFocusProxy(view_);
        if (hasFocus())
            view_->setFocus();
    }

public:
    bool MayNavigate(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame)
    {
        // The station's own navigation is always carried out.
        if (isMainFrame && type == QWebEnginePage::NavigationTypeTyped && SamePage(url, stationUrl_))
            return true;
        bool allowed = false;
        if (floorPending_ && (isMainFrame || type == QWebEnginePage::NavigationTypeBackForward))
            allowed = false; // the station's page loads first; nothing may undo it before
        else if (!isMainFrame && (url == QUrl(QStringLiteral("about:blank")) || url == QUrl(QStringLiteral("about:srcdoc"))))
            allowed = true; // an empty frame, or one written by the page itself
        else
            allowed = stationRule && stationRule(url);
        if (!allowed)
            callbacks_.refused(url);
        return allowed;
    }

    // The station's own navigation is under way.
    bool StationMoving() const { return floorPending_; }

    // The engine lets a page put an empty page or one of its own (about:) in
    // its place without asking; the station's page comes back at once.
    void TakeBack(const QUrl& url)
    {
        if (SamePage(url, stationUrl_) || (stationRule && stationRule(url)))
            return;
        callbacks_.refused(url);
        QMetaObject::invokeMethod(this, [this] { Load(); }, Qt::QueuedConnection);
    }

protected:
    // Keys the page did not take come back here from the engine.
    void keyPressEvent(QKeyEvent* event) override
    {
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::AltModifier && event->key() == Qt::Key_Left)
            Go(-1);
        else if (modifiers == Qt::AltModifier && event->key() == Qt::Key_Right)
            Go(+1);
        else
            View::keyPressEvent(event);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == view_) {
            if (event->type() == QEvent::ChildAdded) {
                QObject* child = static_cast<QChildEvent*>(event)->child();
                if (child->isWidgetType())
                    child->installEventFilter(this);
            }
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            // The engine does nothing with these buttons; they are ours.
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            if (button != Qt::BackButton && button != Qt::ForwardButton)
                return false;
            if (event->type() == QEvent::MouseButtonPress)
                Go(button == Qt::BackButton ? -1 : +1);
            return true;
        }
        case QEvent::KeyPress: {
            // The engine swallows Backspace even where it edits nothing; a
            // text field of the page keeps it for itself.
            const auto* key = static_cast<QKeyEvent*>(event);
            const auto* widget = static_cast<QWidget*>(watched);
            if (key->key() != Qt::Key_Backspace || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
                widget->testAttribute(Qt::WA_InputMethodEnabled))
                return false;
            Go(-1);
            return true;
        }
        default:
            return false;
        }
    }

    void showEvent(QShowEvent* event) override
    {
        View::showEvent(event);
        mayReload_ = true;
        if (stale_)
            Reload();
    }

private:
    // The station's page; until it has loaded no other navigation is carried out.
    void Load()
    {
        floorPending_ = true;
        stale_ = false;
        page_->setZoomFactor(1.0); // a person's zoom stays with the page they zoomed
        page_->load(stationUrl_);
        stuck_.start();
    }

    void Loaded(bool ok)
    {
        // The station's page is on screen: nothing the station showed before
        // may come back, so the history starts here. (A refused navigation
        // also ends in a failed load, with the old page still current.)
        if (floorPending_ && SamePage(page_->history()->currentItem().url(), stationUrl_)) {
            page_->history()->clear();
            floorPending_ = false;
            stuck_.stop();
        }
        callbacks_.loaded(ok);
    }

    // (QWebEnginePage::triggerAction(Back) does nothing here; the history does.)
    void Go(int step)
    {
        if (!page_ || floorPending_)
            return;
        if (step < 0)
            page_->history()->back();
        else
            page_->history()->forward();
    }

    // One renderer serves every view. A page whose script never ends holds it
    // for all of them, and another view's page could then never be shown.
    // When the station's page has not loaded after a while, every page in
    // that renderer is asked for a sign of life; when none answers, the
    // renderer is ended, and each view loads the station's page again in a
    // new one: this view at once, the others when they are shown.
    void CheckRenderer()
    {
        if (!floorPending_ || !mayEndRenderer_ || !isVisible())
            return;
        const qint64 pid = page_->renderProcessPid();
        std::set<qint64> renderers;
        std::vector<StationPage*> pages;
        for (EngineView* view : liveViews) {
            if (!view->page_ || view->page_->history()->count() == 0)
                continue; // nothing committed there that could answer
            const qint64 other = view->page_->renderProcessPid();
            if (other > 0 && (pid <= 0 || other == pid)) {
                renderers.insert(other);
                pages.push_back(view->page_);
            }
        }
        if (pages.empty())
            return;
        auto answered = std::make_shared<bool>(false);
        for (StationPage* page : pages)
            page->runJavaScript(QStringLiteral("1"), QWebEngineScript::ApplicationWorld,
                                [answered](const QVariant& result) { *answered = *answered || result.toInt() == 1; });
        QTimer::singleShot(AnswerWithinMs, this, [this, answered, renderers] {
            if (!floorPending_ || !mayEndRenderer_)
                return;
            if (*answered) {
                stuck_.start(); // slow, not stuck: look again later
                return;
            }
            mayEndRenderer_ = false;
            for (const qint64 renderer : renderers)
                ::kill(static_cast<pid_t>(renderer), SIGKILL);
        });
    }

    void RendererEnded(QWebEnginePage::RenderProcessTerminationStatus status)
    {
        if (status == QWebEnginePage::NormalTerminationStatus || stationUrl_.isEmpty())
            return;
        stale_ = true;
        if (isVisible())
            Reload();
    }

    // Once per navigation and per showing, so that a page that ends its
    // renderer at every load cannot keep the engine busy.
    void Reload()
    {
        if (!page_ || !mayReload_)
            return;
        mayReload_ = false;
        Load();
    }

    Callbacks callbacks_;
    QWebEngineView* view_ = nullptr;
    StationPage* page_ = nullptr;
    QUrl stationUrl_;            // where the station last sent the view
    bool floorPending_ = false;  // the station's page has not loaded yet
    bool stale_ = false;         // the renderer ended under the page
    bool mayReload_ = false;
    bool mayEndRenderer_ = false; // once per station navigation
    QTimer stuck_;
};

bool StationPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return owner_->MayNavigate(url, type, isMainFrame);
}

bool StationPage::javaScriptConfirm(const QUrl& origin, const QString& message)
{
    return owner_->StationMoving() || QuietPage::javaScriptConfirm(origin, message);
}

} // namespace

} // namespace tk::engine

// The first view starts the engine: it is set up here, with the application
// object already made (see EngineModule.h).
extern "C" Q_DECL_EXPORT tk::engine::View* StationCreateEngineView(QWidget* parent, const tk::engine::Callbacks& callbacks)
{
    static const bool initialized = [] {
        QtWebEngineQuick::initialize();
        // A dialog of the desktop's own would show before it could be dismissed.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        return true;
    }();
    (void)initialized;
    tk::engine::stationRule = callbacks.mayShow;
    return new tk::engine::EngineView(parent, callbacks);
}
