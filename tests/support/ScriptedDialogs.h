#pragma once
// Answers the station's modal boxes from a queue and records what was shown.
// A box that was not expected, or one with other text, is a failure that the
// test sees in Failures().
#include "toolkit/Dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

class ScriptedDialogs final : public tk::DialogService {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // The next box must show `text`; it answers `answer`. whileOpen runs while
    // the box is open, as the event loop would run timers behind it.
    ScriptedDialogs& Expect(const QString& text, int answer = tk::IDOK, std::function<void()> whileOpen = {});

    // The same for a box whose text only begins with `prefix`.
    ScriptedDialogs& ExpectStartingWith(const QString& prefix, int answer = tk::IDOK);

    int Show(const tk::BoxRequest& request) override;

    const std::vector<tk::BoxRequest>& Shown() const { return shown_; }
    QStringList ShownTexts() const;
    // Unexpected boxes and expectations never met.
    QStringList Failures() const;
    int Pending() const { return static_cast<int>(queue_.size()); }
    void Clear();

private:
    struct Answer {
        QString text;
        int code;
        std::function<void()> whileOpen;
        bool prefix = false;
    };
    std::deque<Answer> queue_;
    std::vector<tk::BoxRequest> shown_;
    QStringList failures_;
};
