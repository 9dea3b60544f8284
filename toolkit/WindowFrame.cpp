#include "toolkit/WindowFrame.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#ifdef STATION_XCB
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace tk {

QRect CentredClientRect(const QRect& desktop, QSize client, const QMargins& frame)
{
    const QSize framed = client.grownBy(frame);
    const QPoint frameCorner(desktop.x() + (desktop.width() - framed.width()) / 2,
                             desktop.y() + (desktop.height() - framed.height()) / 2);
    return {frameCorner + QPoint(frame.left(), frame.top()), client};
}

#ifdef STATION_XCB
namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t ExistingAtom(xcb_connection_t* connection, const char* name)
{
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool WindowManagerAnswers(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t request)
{
    const xcb_atom_t supported = ExistingAtom(connection, "_NET_SUPPORTED");
    if (supported == XCB_ATOM_NONE)
        return false;
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i)
        if (atoms[i] == request)
            return true;
    return false;
}

std::optional<QMargins> FrameExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents)
{
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    // left, right, top, bottom
    const auto* value = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return QMargins(int(value[0]), int(value[2]), int(value[1]), int(value[3]));
}

} // namespace
#endif

std::optional<QMargins> AskFrameMargins(QWidget* window)
{
#ifdef STATION_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    const xcb_atom_t request = ExistingAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = ExistingAtom(connection, "_NET_FRAME_EXTENTS");
    if (!geometry || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        !WindowManagerAnswers(connection, geometry->root, request))
        return std::nullopt;
    if (auto known = FrameExtents(connection, id, extents))
        return known;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, geometry->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    // The window manager answers at once when it is idle; a busy one is not
    // waited for long, the window is centred again once it is framed.
    QElapsedTimer waited;
    waited.start();
    do {
        if (auto answer = FrameExtents(connection, id, extents))
            return answer;
        QThread::msleep(2);
    } while (waited.elapsed() < 100);
#else
    (void)window;
#endif
    return std::nullopt;
}

} // namespace tk
