#pragma once
// Tests of the real browser-engine view: a station folder of the test's own
// pages, a view in a window, and the person's gestures. Waits are bounded;
// every helper that waits returns false when its time ran out.
#include "toolkit/HtmlView.h"

#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>

class QWebEnginePage;

namespace engine {

// A temporary folder that plays the station's folder (the executable's).
class StationFolder {
public:
    StationFolder();
    ~StationFolder();
    StationFolder(const StationFolder&) = delete;
    StationFolder& operator=(const StationFolder&) = delete;

    // The folder, ending with '/'; a folder beside it holds what lies outside.
    QString Base() const { return base_; }
    QString Outside() const { return outside_; }
    QString Path(const QString& relative) const { return base_ + relative; }
    // A page with this title and body, in UTF-8; relative to the folder.
    void Page(const QString& relative, const QString& title, const QString& body = {});
    void File(const QString& path, const QByteArray& data); // an absolute path

private:
    QTemporaryDir dir_;
    QString base_;
    QString outside_;
};

// The views made from now on use the engine's module of this build.
void UseBuiltEngine();

// The engine's page inside a view (none until the engine has started) and
// the engine's own widget, which takes the keys and the mouse.
QWebEnginePage* PageOf(tk::TCppWebBrowser* view);
QWidget* InputOf(tk::TCppWebBrowser* view);

// Runs the event loop until the condition holds (true) or the time is up
// (false). QTest's own waits sleep between rounds, which slows the engine,
// whose every step runs through this thread's event loop, down to a crawl.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs);
void Wait(int ms);

// The station's navigation: true once that page has loaded and is the one on screen.
bool Navigate(tk::TCppWebBrowser* view, const QString& path);
// Runs a script in the page on screen and waits for its result.
QVariant Evaluate(tk::TCppWebBrowser* view, const QString& script);
QString Title(tk::TCppWebBrowser* view);
// Waits until the page on screen has this title and has loaded.
bool Shows(tk::TCppWebBrowser* view, const QString& title, int timeoutMs = 30000);
// Gives the view time to go anywhere, then tells whether it still shows this
// page and loaded nothing new in the meantime.
bool StaysOn(tk::TCppWebBrowser* view, const QString& title, int ms = 1500);

enum class Gesture { AltLeft, AltRight, Backspace, MouseBack, MouseForward, ScriptBack, ScriptGoBack };
void Perform(tk::TCppWebBrowser* view, Gesture gesture);

// A shown window of the view's design size with a real view filling it.
struct ViewWindow {
    ViewWindow();
    std::unique_ptr<QWidget> window;
    tk::TCppWebBrowser* view = nullptr;
};

} // namespace engine
