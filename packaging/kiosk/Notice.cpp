#include "Notice.h"

#include "toolkit/Dialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <charconv>

namespace kiosk {

std::optional<int> ParseSeconds(std::string_view text)
{
    int seconds = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || seconds < 1 || seconds > MaxSeconds)
        return std::nullopt;
    return seconds;
}

int ShowUntil(const QString& text, std::chrono::milliseconds span)
{
    const QDeadlineTimer deadline(span, Qt::PreciseTimer);
    QTimer closer;
    closer.setSingleShot(true);
    // A coarse timer may fire a little early, and the box would come back for a moment.
    closer.setTimerType(Qt::PreciseTimer);
    bool timeUp = false;
    QObject::connect(&closer, &QTimer::timeout, [&timeUp] {
        timeUp = true;
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    int shown = 0;
    while (!timeUp && !deadline.hasExpired()) {
        closer.start(std::chrono::milliseconds(deadline.remainingTime()));
        tk::ShowMessage(text);
        ++shown;
    }
    return shown;
}

} // namespace kiosk
