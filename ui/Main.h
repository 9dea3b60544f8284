#pragma once
// The study window: the study page for ten minutes with the countdown and the
// draining bar, then the hand-over to the test window. It also carries the
// result panel on which the verdict is shown.
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/HtmlView.h"
#include "toolkit/Layout.h"

#include "study/StudyClock.h"

#include <string>
#include <vector>

class TForm1 : public tk::TForm, private study::TickTarget {
    Q_OBJECT
public:
    TForm1();

    tk::TImage* Image1;
    tk::TImage* Image2;
    tk::TProgressBar* ProgressBar1;
    tk::TPanel* Panel2;
    tk::TCppWebBrowser* CppWebBrowser1;
    tk::TStaticText* StaticText1;
    tk::TBitBtn* Button2;
    tk::TPanel* Panel1; // the result panel
    tk::TLabel* Label1;
    tk::TLabel* Label2;
    tk::TStaticText* StaticText2;
    tk::TTimer* Timer1;

    void FormCreate() override;
    void FormActivate() override;
    void FormClose(tk::TCloseAction& action) override;
    void Timer1Timer();
    void Button2Click();

    static const std::vector<tk::ControlDef>& Layout();
    // The client area at 120 pixels per inch.
    static constexpr QSize DesignClient{1006, 723};

private:
    void SetCaption(const std::string& text) override;
    void StepProgressDown() override;
    void ShowTimerFailed(const std::string& text) override;
    void DisableTimer() override;
    void CloseStudyWindow() override;
    void ShowTestWindow() override;
};

extern TForm1* Form1;
// Full path of the study page, set once when the window is created.
extern std::string InstrPath;
