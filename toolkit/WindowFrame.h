#pragma once
// The frame the window manager puts around a window. The station's windows are
// centred with their frames, as the person sees them, but only the window
// manager knows how large a frame is.
#include <QMargins>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace tk {

// The client area of this size whose frame, of these margins, is centred on
// the desktop.
QRect CentredClientRect(const QRect& desktop, QSize client, const QMargins& frame);

// Asks the window manager, before the window is first shown, how it will frame
// it. Empty when there is no window manager to ask (the offscreen platform,
// one that does not answer such a question) or no answer comes in time.
std::optional<QMargins> AskFrameMargins(QWidget* window);

} // namespace tk
