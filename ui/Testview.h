#pragma once
// The test window: one question page at a time, three numbered choices, the
// answer button and the count of questions left. Every activation starts a
// new run; every answer is graded and carried out.
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/HtmlView.h"
#include "toolkit/Layout.h"

#include "testing/Random.h"
#include "testing/TestRunState.h"

#include "toolkit/core/HeldFolder.h"

#include <string>
#include <vector>

class TTestForm : public tk::TForm {
    Q_OBJECT
public:
    TTestForm();

    tk::TImage* Image1;
    tk::TPanel* Panel1;
    tk::TBitBtn* Button2;
    tk::TProgressBar* ProgressBar1;
    tk::TCppWebBrowser* CppWebBrowser1;
    tk::TStaticText* StaticText1;
    tk::TStaticText* StaticText2; // questions left
    tk::TGroupBox* GroupBox1;
    tk::TRadioButton* RadioButton1;
    tk::TRadioButton* RadioButton2;
    tk::TRadioButton* RadioButton3;
    tk::TMemo* Memo1; // the hidden trace list
    tk::TMemo* Memo2;
    tk::TStaticText* StaticText3;

    tk::TMemo* DiagnosticLog() const { return Memo1; }

    void FormActivate() override;
    void FormClose(tk::TCloseAction& action) override;
    void Button2Click();
    void ApplyVerdict();

    static const std::vector<tk::ControlDef>& Layout();
    // The client area at 120 pixels per inch.
    static constexpr QSize DesignClient{1006, 723};

private:
    void Trace(const std::string& line);
    // The question of slot QQ, as read at the draw.
    void ShowQuestion();
    // The run ends: at its verdict, on the way back to study, or with the window.
    void EndRun();

    // The bank folder of the run in progress, held from the draw to its end.
    tk::HeldFolder runBank_;
};

extern TTestForm* TestForm;
// The process-wide state of the test runs, and the draw's generator.
extern testrun::TestRunState TestRun;
extern testrun::Lcg RandomGenerator;

// The system's wording for missing tests.
inline constexpr const char* MissingTestsText =
    "Не могу найти тесты! Проверьте наличие папки TESTS в таталоге программы";
