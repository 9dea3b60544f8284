// The browser engine's module: the views in the real engine, the pages'
// confinement and the history's floor. Loaded by the toolkit's HTML view when
// the views start (see EngineModule.h).
#include "toolkit/EngineModule.h"
#include "toolkit/engine/Pages.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <utility>
#include <vector>

namespace tk::engine {

namespace {

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

// Where a page leads is the view's decision.
class StationPage final : public QuietPage {
public:
    StationPage(QWebEngineProfile* profile, EngineView* owner, QObject* parent)
        : QuietPage(profile, parent), owner_(owner)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    EngineView* owner_;
};

// The engine makes its own dialogs (a colour picker, a question) as windows
// of the view. None reaches the screen: each is dismissed before it shows,
// as if the person had cancelled it.
class NoDialogs final : public QObject {
public:
    explicit NoDialogs(QWidget* view) : QObject(view) { view->installEventFilter(this); }

    // A dialog answers the page that asked: it must be answered while that page still lives.
    void DismissAll()
    {
        for (const QPointer<QDialog>& dialog : std::exchange(open_, {}))
            if (dialog)
                dialog->reject();
    }

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
                open_.push_back(dialog);
                QMetaObject::invokeMethod(this, [this] { DismissAll(); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    std::vector<QPointer<QDialog>> open_;
};

// One view: the engine's own view inside, the station's rules around it.
class EngineView final : public View {
public:
    EngineView(QWidget* parent, const Callbacks& callbacks) : View(parent), callbacks_(callbacks)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    ~EngineView() override
    {
        if (stack_) {
            for (QWebEngineView* view : views_) {
                DialogsOf(view)->DismissAll();
                // The page must go before the view it renders into.
                view->setPage(nullptr);
            }
            if (shown_ != page_)
                delete shown_;
            delete page_;
        }
    }

    void Navigate(const QUrl& page) override
    {
        held_.clear();
        Show(page, held_);
    }

    // An empty page is loaded from its file, any other from memory.
    void Show(const QUrl& page, const QByteArray& bytes) override
    {
        stationUrl_ = page;
        held_ = bytes;
        mayReload_ = true;
        if (!stack_)
            Start();
        Load();
    }

private:
    // A view's engine is made with its first page: until then it costs nothing.
    // Two of the engine's views, one over the other: the next page is drawn
    // in the one beneath while the page before stays on top.
    void Start()
    {
        stack_ = new QStackedLayout;
        stack_->setStackingMode(QStackedLayout::StackAll);
        static_cast<QVBoxLayout*>(layout())->addLayout(stack_);
        for (int i = 0; i < 2; ++i) {
            QWebEngineView* view = views_[i] = new QWebEngineView(this);
            view->setContextMenuPolicy(Qt::NoContextMenu);
            noDialogs_[i] = new NoDialogs(view);
            // The engine puts its own widget into the view and takes input there;
            // it may make a new one when the renderer changes.
            view->installEventFilter(this);
            for (QWidget* child : view->findChildren<QWidget*>())
                child->installEventFilter(this);
            stack_->addWidget(view);
        }
        stack_->setCurrentWidget(views_[0]);
        views_[1]->setEnabled(false); // beneath: no input, no place in the tab order
        showTimer_ = new QTimer(this);
        showTimer_->setSingleShot(true);
        showTimer_->setInterval(ShowAnywayMs);
        connect(showTimer_, &QTimer::timeout, this, [this] { ShowPage(); });
        setFocusProxy(views_[0]);
        if (hasFocus())
            views_[0]->setFocus();
    }

    QWebEngineView* Front() const { return static_cast<QWebEngineView*>(stack_->currentWidget()); }
    QWebEngineView* Back() const { return Front() == views_[0] ? views_[1] : views_[0]; }
    NoDialogs* DialogsOf(const QWebEngineView* view) const { return noDialogs_[view == views_[1] ? 1 : 0]; }

public:
    bool MayNavigate(const QWebEnginePage* page, const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame)
    {
        // The page on its way out stays on screen as it is until the next one is there.
        if (page != page_)
            return false;
        // The station's own navigation is always carried out.
        if (isMainFrame && type == QWebEnginePage::NavigationTypeTyped && SamePage(url, stationUrl_))
            return true;
        // The page from memory arrives as a data: address; the person's way
        // back to it, too (a page cannot open one itself).
        if (isMainFrame && !held_.isEmpty() && url.scheme() == QLatin1String("data") &&
            (type == QWebEnginePage::NavigationTypeTyped || type == QWebEnginePage::NavigationTypeBackForward))
            return true;
        bool allowed = false;
        if (!isMainFrame && (url == QUrl(QStringLiteral("about:blank")) || url == QUrl(QStringLiteral("about:srcdoc"))))
            allowed = true; // an empty frame, or one written by the page itself
        else
            allowed = stationRule && stationRule(url);
        if (!allowed)
            callbacks_.refused(url);
        return allowed;
    }

    // The engine lets a page put an empty page or one of its own (about:) in
    // its place without asking; the station's page comes back at once.
    void TakeBack(const QUrl& url)
    {
        if (SamePage(url, stationUrl_) || (stationRule && stationRule(url)) ||
            (!held_.isEmpty() && url.scheme() == QLatin1String("data")))
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
        if (watched == views_[0] || watched == views_[1]) {
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
    // The station's page, in a page of the engine's own: the history, the
    // floor of the back gestures, begins with it, so nothing the station
    // showed before can come back, while the page itself may forward to
    // another page of the folder at any moment. The page before goes with its
    // renderer, however busy its script keeps it.
    // The new page loads beneath while the one before stays on top, so that
    // no empty frame shows between two pages; one that takes long is shown
    // as it is.
    void Load()
    {
        stale_ = false;
        QWebEngineView* view = shown_ ? Back() : Front();
        StationPage* unseen = page_ != shown_ ? page_ : nullptr; // never reached the screen
        page_ = new StationPage(StationProfile(), this, view);
        connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            if (page_ != shown_)
                AwaitDrawn(page_);
            callbacks_.loaded(ok);
        });
        connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) { TakeBack(url); });
        connect(page_, &QWebEnginePage::renderProcessTerminated, this,
                [this](QWebEnginePage::RenderProcessTerminationStatus status) { RendererEnded(status); });
        if (unseen)
            Drop(unseen);
        view->setPage(page_);
        if (shown_ && isVisible()) {
            shown_->disconnect(this);
            // Only what a page puts in its own place unasked would still change the screen.
            connect(shown_, &QWebEnginePage::urlChanged, this, [this] { ShowPage(); });
            connect(shown_, &QWebEnginePage::renderProcessTerminated, this, [this] { ShowPage(); });
            showTimer_->start();
        } else {
            ShowPage();
        }
        page_->setZoomFactor(1.0); // a person's zoom stays with the page they zoomed
        if (held_.isEmpty())
            page_->load(stationUrl_);
        else // base64: a third of the size that %XX escapes would make of it
            page_->setContent(held_.toBase64(), QStringLiteral("text/html;base64"), stationUrl_);
    }

    // A page is drawn some frames after it has loaded: two frames of its
    // own, counted where its scripts cannot see, tell that it is.
    void AwaitDrawn(StationPage* page)
    {
        page->runJavaScript(QStringLiteral("requestAnimationFrame(() => requestAnimationFrame(() => { drawn = true; }))"),
                            QWebEngineScript::ApplicationWorld);
        AskDrawn(page);
    }

    void AskDrawn(StationPage* page)
    {
        page->runJavaScript(QStringLiteral("typeof drawn !== 'undefined'"), QWebEngineScript::ApplicationWorld,
                            [this, asked = QPointer<StationPage>(page)](const QVariant& drawn) {
                                if (!asked || asked != page_ || asked == shown_)
                                    return;
                                if (drawn.toBool())
                                    ShowPage();
                                else
                                    QTimer::singleShot(AskEveryMs, this, [this, asked] {
                                        if (asked && asked == page_ && asked != shown_)
                                            AskDrawn(asked);
                                    });
                            });
    }

    // The newest page takes the screen; the one before goes.
    void ShowPage()
    {
        showTimer_->stop();
        if (!page_ || page_ == shown_)
            return;
        const bool hadKeys = QApplication::focusWidget() && isAncestorOf(QApplication::focusWidget());
        StationPage* before = std::exchange(shown_, page_);
        auto* view = static_cast<QWebEngineView*>(page_->parent());
        if (view != Front()) {
            view->setEnabled(true);
            stack_->setCurrentWidget(view);
            setFocusProxy(view);
        }
        if (hadKeys)
            view->setFocus(); // before the view beneath is disabled, so that focus never leaves the page
        Back()->setEnabled(false);
        if (before) {
            auto* beforeView = static_cast<QWebEngineView*>(before->parent());
            Drop(before);
            if (beforeView != view)
                beforeView->setPage(nullptr);
        }
    }

    void Drop(StationPage* page)
    {
        DialogsOf(static_cast<QWebEngineView*>(page->parent()))->DismissAll();
        page->disconnect(this);
        page->deleteLater(); // this may run in one of its signals
    }

    // (QWebEnginePage::triggerAction(Back) does nothing here; the history does.)
    void Go(int step)
    {
        if (!page_)
            return;
        if (step < 0)
            page_->history()->back();
        else
            page_->history()->forward();
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
    QStackedLayout* stack_ = nullptr;
    QWebEngineView* views_[2] = {};
    NoDialogs* noDialogs_[2] = {};
    static constexpr int ShowAnywayMs = 400;
    static constexpr int AskEveryMs = 8;
    QTimer* showTimer_ = nullptr;
    StationPage* page_ = nullptr;  // the newest page the station asked for
    StationPage* shown_ = nullptr; // the page on screen: page_, or for a moment the one before
    QUrl stationUrl_;    // where the station last sent the view
    QByteArray held_;    // the page it gave from memory, if it did
    bool stale_ = false; // the renderer ended under the page
    bool mayReload_ = false;
};

bool StationPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return owner_->MayNavigate(this, url, type, isMainFrame);
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
