#pragma once
// Watches the X server for a top-level window with a given title becoming
// viewable: mapped, and, under a window manager, inside a mapped frame. The
// watch reacts to the server's own notifications, so its resolution is the
// delivery of one event to this process, well under a millisecond; a window
// whose notifications were lost to a race is still found within 50 ms.
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>

struct _XDisplay;

namespace bench {

using Clock = std::chrono::steady_clock;

struct SeenWindow {
    unsigned long id = 0;
    int width = 0; // client area
    int height = 0;
    Clock::time_point at; // when the event that made it viewable was read
};

class WindowWatch {
public:
    // Opens $DISPLAY; throws std::runtime_error when there is none.
    WindowWatch();
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // From now on only windows created after this call are considered.
    void Forget();

    // Waits until a window titled `title` is viewable; nothing when it was not
    // within the timeout. `every` runs about every `period` while waiting (it
    // delays the reading of events while it runs).
    std::optional<SeenWindow> WaitViewable(const std::string& title, Clock::duration timeout,
                                           const std::function<void()>& every = {},
                                           Clock::duration period = std::chrono::milliseconds(100));

    // The process that owns the window, as it states in _NET_WM_PID.
    std::optional<int> Pid(unsigned long window) const;
    // Asks the window manager to close the window, as its close button does.
    void RequestClose(unsigned long window);

private:
    void Track(unsigned long window);
    std::string Title(unsigned long window) const;
    std::optional<SeenWindow> FindViewable(const std::string& title) const;

    _XDisplay* display_ = nullptr;
    unsigned long root_ = 0;
    unsigned long utf8_ = 0;
    unsigned long netWmName_ = 0;
    std::set<unsigned long> candidates_;
};

} // namespace bench
