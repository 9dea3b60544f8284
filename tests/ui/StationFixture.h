#pragma once
// The three real windows in a fresh application object, with their content
// in a temporary folder that plays the executable's folder and the current
// directory. Boxes are scripted, views record, the clock is ticked by hand.
#include "RecordingView.h"
#include "ScriptedDialogs.h"
#include "StationFolder.h"

#include "app/WindowSet.h"
#include "ui/Indoor.h"
#include "ui/Main.h"
#include "ui/Testview.h"

#include "toolkit/Application.h"

#include <QDir>
#include <QFile>

#include <memory>
#include <vector>

class StationFixture {
public:
    StationFixture()
    {
        base = folder.Base();
        previousDir = QDir::currentPath();
        QDir::setCurrent(base);
        tk::SetStationFolder(QFile::encodeName(base).toStdString());
        app = std::make_unique<tk::TApplication>();
        station::CreateWindowSet(*app);
    }
    ~StationFixture()
    {
        app.reset();
        TestRun = testrun::TestRunState{};
        study::ProcessClock() = study::StudyClock{};
        InstrPath.clear();
        tk::SetStationFolder("");
        QDir::setCurrent(previousDir);
    }

    // Question pages 1..pages and a key with one line per answer.
    void WriteBank(int pages, const std::vector<int>& answers)
    {
        folder.Questions(pages, "<html><body>question</body></html>").Key(fixture::KeyOf(answers));
    }

    RecordingView* StudyView() const { return Recording(Form1->CppWebBrowser1); }
    RecordingView* TestView() const { return Recording(TestForm->CppWebBrowser1); }

    // Delivers up to n ticks of the study timer, as the event loop would while it is enabled.
    int Tick(int n)
    {
        int delivered = 0;
        while (delivered < n && Form1 && Form1->Timer1->Enabled()) {
            Form1->Timer1->Fire();
            ++delivered;
        }
        return delivered;
    }

    // The right answer of the question on screen, from the key the bank was written with.
    int RightAnswerOnScreen(const std::vector<int>& answers) const
    {
        return answers.at(static_cast<std::size_t>(TestRun.TestNo[TestRun.QQ] - 1));
    }
    void Choose(int answer) const
    {
        tk::TRadioButton* buttons[] = {TestForm->RadioButton1, TestForm->RadioButton2, TestForm->RadioButton3};
        buttons[answer - 1]->click();
    }
    void Answer(int answer) const
    {
        Choose(answer);
        TestForm->Button2->click();
    }

    QStringList Trace() const { return TestForm->DiagnosticLog()->Lines(); }

    ScriptedDialogs boxes; // before the windows: their pictures may report
    fixture::StationFolder folder;
    QString base; // the folder's path, ending with '/'
    QString previousDir;
    std::unique_ptr<tk::TApplication> app;
};
