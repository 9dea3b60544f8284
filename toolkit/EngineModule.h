#pragma once
// The browser engine lives in a module of its own, loaded only when the
// views start. Linked into the program, the engine's libraries would load
// before main() and set up OpenGL inside the application object's
// constructor, all before the first window could be put on screen.
// This is what the toolkit's HTML view and the module tell each other; the
// module uses nothing of the toolkit, so that no state exists twice.
#include <QByteArray>
#include <QUrl>
#include <QWidget>

#include <functional>

namespace tk::engine {

// What one view's engine reports, and the rule it keeps.
struct Callbacks {
    // May a page be shown, or a file read, from this address (see base/PageRule.h)?
    std::function<bool(const QUrl&)> mayShow;
    std::function<void(bool ok)> loaded;
    std::function<void(const QUrl&)> refused;
};

// One view's engine: a widget that fills the toolkit's view.
class View : public QWidget {
public:
    using QWidget::QWidget;
    // The station's own navigation.
    virtual void Navigate(const QUrl& page) = 0;
    // The station's own page from memory, shown as the page at that address.
    virtual void Show(const QUrl& page, const QByteArray& bytes) = 0;
};

// The module's one entry point, and where it is found: beside the program.
using CreateView = View* (*)(QWidget* parent, const Callbacks& callbacks);
inline constexpr const char* CreateViewSymbol = "StationCreateEngineView";
inline constexpr const char* ModuleFile = "libbriefing-station-engine.so";

} // namespace tk::engine
