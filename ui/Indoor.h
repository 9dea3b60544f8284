#pragma once
// The entry window: the briefing's name, its two parts, and the start button.
// It is the main window: closing it ends the process.
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Layout.h"

#include <vector>

class TForm2 : public tk::TForm {
    Q_OBJECT
public:
    TForm2();

    tk::TLabel* Label1;
    tk::TImage* Image2;
    tk::TMemo* Memo1;
    tk::TBitBtn* Button1;
    tk::TStaticText* StaticText2;

    void Button1Click();
    void FormClose(tk::TCloseAction& action) override;

    static const std::vector<tk::ControlDef>& Layout();
    // The client area at 120 pixels per inch.
    static constexpr QSize DesignClient{338, 381};
};

extern TForm2* Form2;
