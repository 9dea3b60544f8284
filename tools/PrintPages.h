#pragma once
// Renders pages to PDF with the browser engine the station shows them with,
// set up as the station's view is (see toolkit/EnginePages.h) and reading what
// the station's view may read (toolkit/PageRule.h).
#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

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

    // Whether the page rendered last needed scrolling (or was cut) in a view
    // of SmallestQuestionView(), measured before anything was added to it;
    // nothing when it could not be measured.
    std::optional<bool> LastPageScrolls() const { return lastScrolls_; }

    // How long each step may take before the page counts as not showing.
    static constexpr int StepTimeoutMs = 30000;

private:
    std::optional<QByteArray> Render(const std::function<void()>& load, const QString& script, QString* error);
    void NewPage();

    QString station_;
    std::unique_ptr<QObject> owner_; // the profile, its interceptor and the page
    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    // Shows the page at the test window's size, so that it is laid out as a
    // person sees it; never on screen.
    std::unique_ptr<QWebEngineView> view_;
    std::optional<bool> lastScrolls_;
};

// A string as a JavaScript literal.
QString JsString(const QString& text);

} // namespace bank
