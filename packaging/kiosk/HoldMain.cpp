// briefing-kiosk-hold --check: tells whether the operator's PIN is set: 0 yes,
// 3 not set, 4 its file cannot be read or holds no hash; the reason in one
// line on standard error.
// briefing-kiosk-hold OUTCOME SECONDS: the same check, and with a PIN the hold
// view for a run that ended with OUTCOME (a word of the station's outcome
// line) at SECONDS since the epoch, until the PIN releases it (exit 0).
// 2 for a wrong call.
#include "Hold.h"
#include "Pin.h"

#include "toolkit/Application.h"

#include <QApplication>
#include <QDateTime>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int NotSet = 3;
constexpr int Unusable = 4;

int Usage(const char* name)
{
    std::fprintf(stderr, "usage: %s --check | %s OUTCOME SECONDS\n", name, name);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 2 && std::strcmp(argv[1], "--check") == 0;
    std::optional<kiosk::HoldOutcome> outcome;
    long long seconds = 0;
    if (!check) {
        if (argc != 3)
            return Usage(argv[0]);
        outcome = kiosk::OutcomeFor(argv[1]);
        const std::string_view text(argv[2]);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        if (!outcome || error != std::errc() || end != text.data() + text.size() || text.empty())
            return Usage(argv[0]);
    }
    const std::string path = kiosk::PinFilePath();
    const kiosk::StoredPin stored = kiosk::ReadPin(path);
    if (stored.state != kiosk::PinState::Set) {
        std::fprintf(stderr, "briefing-kiosk: %s\n", stored.reason.c_str());
        return stored.state == kiosk::PinState::NotSet ? NotSet : Unusable;
    }
    if (check)
        return 0;

    tk::Initialize(argc, argv);
    // A steady cursor: nothing on the view changes but for what the operator does.
    QApplication::setCursorFlashTime(0);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString when = QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm, dd.MM.yyyy"));
    auto* view = new kiosk::HoldView(*outcome, when, path);
    QObject::connect(view, &kiosk::HoldView::Released, [] { QApplication::exit(0); });
    view->showFullScreen();
    view->activateWindow();
    view->setFocus();
    const int status = QApplication::exec();
    delete view;
    tk::Finalize();
    return status;
}
