#include "WindowWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <algorithm>
#include <stdexcept>

namespace bench {

namespace {

// Windows come and go between an event and our query about them; Xlib's
// default handler would end the process on the first BadWindow.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// How long a quiet wait lasts before the candidates are looked at again.
constexpr auto Recheck = std::chrono::milliseconds(50);

} // namespace

WindowWatch::WindowWatch()
{
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        throw std::runtime_error("cannot open the X display (DISPLAY not set?)");
    XSetErrorHandler(IgnoreErrors);
    root_ = DefaultRootWindow(display_);
    utf8_ = XInternAtom(display_, "UTF8_STRING", False);
    netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
    XSelectInput(display_, root_, SubstructureNotifyMask);
    XSync(display_, False);
}

WindowWatch::~WindowWatch()
{
    XCloseDisplay(display_);
}

void WindowWatch::Forget()
{
    // Every event about older windows is in the queue after the round trip.
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
    }
    candidates_.clear();
}

void WindowWatch::Track(unsigned long window)
{
    XSelectInput(display_, window, StructureNotifyMask | PropertyChangeMask);
    candidates_.insert(window);
}

std::string WindowWatch::Title(unsigned long window) const
{
    std::string title;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, netWmName_, 0, 1024, False, utf8_, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        if (type == utf8_ && format == 8)
            title.assign(reinterpret_cast<const char*>(data), items);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display_, window, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

std::optional<SeenWindow> WindowWatch::FindViewable(const std::string& title) const
{
    for (unsigned long window : candidates_) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable)
            continue;
        if (Title(window) == title)
            return SeenWindow{window, attributes.width, attributes.height, {}};
    }
    return std::nullopt;
}

std::optional<SeenWindow> WindowWatch::WaitViewable(const std::string& title, Clock::duration timeout,
                                                    const std::function<void()>& every, Clock::duration period)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    Clock::time_point nextTick = Clock::now() + period;
    bool changed = true;
    Clock::time_point readAt = Clock::now();
    for (;;) {
        while (XPending(display_)) {
            if (!changed)
                readAt = Clock::now();
            XEvent event;
            XNextEvent(display_, &event);
            switch (event.type) {
            case CreateNotify:
                // It may be mapped before our selection reaches the server: look at once.
                if (event.xcreatewindow.parent == root_) {
                    Track(event.xcreatewindow.window);
                    changed = true;
                }
                break;
            case DestroyNotify:
                candidates_.erase(event.xdestroywindow.window);
                break;
            case MapNotify:
            case ReparentNotify:
            case PropertyNotify:
                changed = true;
                break;
            default:
                break;
            }
        }
        if (changed) {
            changed = false;
            if (auto found = FindViewable(title)) {
                // Seen after the limit is not seen within it.
                if (readAt > deadline)
                    return std::nullopt;
                found->at = readAt;
                return found;
            }
            // The round trips of that look may have read new events into
            // Xlib's queue, where poll() below would never see them.
            if (XQLength(display_) > 0)
                continue;
        }
        Clock::time_point now = Clock::now();
        if (now >= deadline)
            return std::nullopt;
        if (every && now >= nextTick) {
            every();
            nextTick = std::max(nextTick + period, Clock::now());
            continue;
        }
        const Clock::time_point wake = std::min(every ? std::min(deadline, nextTick) : deadline, now + Recheck);
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        pollfd fd{ConnectionNumber(display_), POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(std::max<long long>(ms, 0))) == 0 && Clock::now() >= now + Recheck) {
            // A window that mapped before our selection on it reached the server
            // sends us nothing more: look again now and then.
            changed = true;
            readAt = Clock::now();
        }
    }
}

std::optional<int> WindowWatch::Pid(unsigned long window) const
{
    std::optional<int> pid;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom netWmPid = XInternAtom(display_, "_NET_WM_PID", False);
    if (XGetWindowProperty(display_, window, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && items == 1)
            pid = static_cast<int>(*reinterpret_cast<const unsigned long*>(data));
        XFree(data);
    }
    return pid;
}

void WindowWatch::RequestClose(unsigned long window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = 2; // source: a pager or similar, acting for the person
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display_);
}

} // namespace bench
