#pragma once
// The application object: title, the window set in creation order, the event
// loop, termination, and the bookkeeping of which of our windows is active.
#include "toolkit/Form.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QWindow;

namespace tk {

class TApplication : public QObject {
    Q_OBJECT
public:
    TApplication();
    ~TApplication() override;

    // The application title: the caption of plain messages and of the error
    // box, and the name the task bar groups the windows under.
    void SetTitle(const QString& title);
    const QString& Title() const { return title_; }

    // Creates a window, stores it in its instance variable, then runs its
    // creation handler. The first window created is the main window.
    template <class T>
    void CreateForm(T*& reference)
    {
        auto* form = new T();
        reference = form;
        Register(form, [&reference] { reference = nullptr; });
        RunHandler([form] { form->FormCreate(); });
    }

    // Shows the main window and runs the event loop until termination.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }

    TForm* MainForm() const;
    TForm* ActiveForm() const { return active_; }
    // Our windows, front first (hidden ones included, at their last place).
    std::vector<TForm*> ZOrder() const;

    // Frees every window still alive (at the end of the process).
    void DestroyForms();

    // Runs a handler inside the error boundary: an escaping error is shown
    // in the error box and the program goes on.
    static void RunHandler(const std::function<void()>& handler);

    // Activation, called by TForm and the box seam.
    void FormShown(TForm* form);
    void FormHidden(TForm* form);
    void FormFreed(TForm* form);
    void BoxOpened();
    void BoxClosed();
    bool BoxOpen() const { return boxDepth_ > 0; }

    // A focus change reported by the window system, or a click inside a form.
    // Only a change that cannot be a late echo of our own Show, Hide or box
    // becomes an activation. Public so that tests can play the window system.
    void WindowSystemFocused(TForm* form);
    void UserClicked(TForm* form);

    // Milliseconds during which focus events are taken as echoes of our own
    // operations. Tests set a clock.
    static constexpr qint64 EchoWindowMs = 1000;
    void SetClock(std::function<qint64()> now) { now_ = std::move(now); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<TForm> form;
        std::function<void()> clearReference;
    };
    void Register(TForm* form, std::function<void()> clearReference);
    void Activate(TForm* form);
    // A visible form other than the active one, with no box open and the process not ending.
    bool MayActivateFromOutside(TForm* form) const;
    void BringToFront(TForm* form);
    void MarkOwnOperation();
    void FocusWindowChanged(QWindow* window);
    TForm* FormOf(QObject* object) const;

    QString title_;
    std::vector<Entry> forms_;
    std::vector<QPointer<TForm>> zorder_;
    QPointer<TForm> active_;
    int boxDepth_ = 0;
    bool terminated_ = false;
    std::function<qint64()> now_;
    qint64 lastOwnOperation_ = 0;
};

// The process's application object; exists from Initialize on.
TApplication* Application();
QString ApplicationTitle();

// Full path of the executable, resolved to its real location; the content
// folders lie beside it. Tests point it elsewhere.
std::string ExeName();
void SetExeNameOverride(const std::string& path); // "": the real one

// The station's folder (ending with '/'), worked out once at start-up and
// handed to everything that reads from it: the windows, and the HTML views
// with their page rule and their engine's module.
void SetStationFolder(const std::string& folder);
const std::string& StationFolder();

// Step 1 of start-up: everything the window system and the HTML view need
// before any window exists, and the application objects. Of the command line
// only the program's name is used; Qt is handed no options of its own.
void Initialize(int& argc, char** argv);

// Frees the windows and the application objects before the process ends.
void Finalize();

// Shows a start-up failure in the error box (or on stderr when no box can be shown).
void ShowException(const std::exception& error);

// Open while a modal box is up: other windows are disabled and no focus
// event may activate one of them.
class BoxScope {
public:
    BoxScope();
    ~BoxScope();
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;
};

} // namespace tk
