#pragma once
// Tests of the real browser-engine view: a station folder of the test's own
// pages, a view in a window, and the person's gestures. Waits are bounded;
// every helper that waits returns false when its time ran out.
#include "StationFolder.h"

#include "toolkit/HtmlView.h"

#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>

class QWebEnginePage;

namespace engine {

// A station folder of the test's own, the station's folder (the executable's)
// for the views and for a start-up while it lives.
class StationFolder : public fixture::StationFolder {
public:
    StationFolder();
    ~StationFolder();
    StationFolder(const StationFolder&) = delete;
    StationFolder& operator=(const StationFolder&) = delete;
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
