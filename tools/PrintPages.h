#pragma once
// Renders pages to PDF with the browser engine the station shows them with,
// set up as the station's view is (see toolkit/engine/Pages.h) and reading what
// the station's view may read (base/PageRule.h).
#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QTimer;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace bank {

// The test window's view on the smallest screen the station is made for
// (96 pixels per inch), in CSS pixels: the station's views draw one device
// pixel per CSS pixel at zoom 1.
QSize SmallestQuestionView();

class PageRenderer {
public:
    // `station` is the folder whose pages may be shown (by the station's own
    // rule: never its answer key).
    explicit PageRenderer(const QString& station);
    ~PageRenderer();
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    // Loads the page, runs `script` in a world of its own (it may add to the
    // page; the page's scripts cannot see it), then prints. On failure
    // returns nothing and says why in `error`.
    std::optional<QByteArray> RenderFile(const QString& path, const QString& script, QString* error);
    // A page of our own making.
    std::optional<QByteArray> RenderHtml(const QString& html, QString* error);

    // Whether the page rendered last (or being finished: read it in `done`)
    // needed scrolling (or was cut) in a view
    // of SmallestQuestionView(), measured before anything was added to it;
    // nothing when it could not be measured.
    std::optional<bool> LastPageScrolls() const { return lastScrolls_; }

    // The same without waiting: `done` is called once, from the event loop,
    // with the PDF or nothing and why. One page at a time per renderer; two
    // renderers print side by side (each profile has its own renderer process).
    using Done = std::function<void(std::optional<QByteArray> pdf, const QString& error)>;
    void StartFile(const QString& path, const QString& script, Done done);
    bool Busy() const { return static_cast<bool>(done_); }

    // How long each step may take before the page counts as not showing.
    static constexpr int StepTimeoutMs = 30000;

private:
    enum class Step { Idle, Loading, Measuring, Scripting, Printing };
    std::optional<QByteArray> Wait(const std::function<void(Done)>& start, QString* error);
    void Start(const std::function<void()>& load, const QString& script, Done done);
    void Enter(Step step);
    void Loaded(bool ok);
    void Measured(const QVariant& result);
    void Print();
    void Finish(std::optional<QByteArray> pdf, const QString& error, bool stuck);
    void NewPage();

    QString station_;
    std::unique_ptr<QObject> owner_; // the profile, its interceptor and the page
    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    // Shows the page at the test window's size, so that it is laid out as a
    // person sees it; never on screen.
    std::unique_ptr<QWebEngineView> view_;
    std::optional<bool> lastScrolls_;
    // The page in hand: its steps, and a count that tells late answers of
    // earlier pages from its own.
    Done done_;
    QString script_;
    Step step_ = Step::Idle;
    unsigned generation_ = 0;
    std::unique_ptr<QTimer> timer_;
};

// A string as a JavaScript literal.
QString JsString(const QString& text);

} // namespace bank
