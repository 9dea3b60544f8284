#pragma once
// The station's real windows in a benchmark process, created the way start-up
// creates them, over a copy of the demo content in a temporary folder that
// plays the executable's folder and the current directory. The key of the
// copied bank gives 1 as every right answer. Boxes do not wait for a person:
// each is answered at once and counted.
#include "toolkit/Dialogs.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class BenchStation {
public:
    BenchStation(int& argc, char** argv);
    ~BenchStation();
    BenchStation(const BenchStation&) = delete;
    BenchStation& operator=(const BenchStation&) = delete;

    int QuestionPages() const { return pages_; }
    QStringList BoxesShown() const { return boxes_.shown; }

    // Runs the event loop until done() holds, checked at every Wake() and at
    // the start; false when timeoutMs passed first.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    static void Wake();
    // Runs the event loop for a while.
    static void RunFor(int ms);

private:
    // OK to a message; No to a Yes/No question, the answer that keeps the station going.
    struct AnswerAtOnce final : tk::DialogService {
        int Show(const tk::BoxRequest& request) override;
        QStringList shown;
    };

    void CopyContent();

    AnswerAtOnce boxes_;
    QTemporaryDir dir_;
    QString previousDir_;
    int pages_ = 0;
};
