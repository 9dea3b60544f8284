#include "ui/Indoor.h"

#include "ui/Main.h"
#include "ui/Notice.h"
#include "ui/Pictures.h"

#include "toolkit/Outcome.h"

TForm2* Form2 = nullptr;

const std::vector<tk::ControlDef>& TForm2::Layout()
{
    using tk::Kind;
    static const std::vector<tk::ControlDef> layout = {
        {.name = "Label1", .kind = Kind::Label, .left = 8, .top = 88, .width = 314, .height = 37,
         .caption = "Вводный инструктаж", .font = {.height = 32, .bold = true, .color = tk::clGray}},
        {.name = "Image2", .kind = Kind::Image, .left = 8, .top = 0, .width = 321, .height = 81,
         .picture = pictures::Logo},
        {.name = "Memo1", .kind = Kind::Memo, .left = 8, .top = 128, .width = 321, .height = 201, .tabOrder = 0,
         .lines = {"Инструктаж состоит из 2 частей:",
                   "",
                   "Часть 1 - Внимательно ознакомьтесь с ",
                   "теоретическим материалом. На это дается 10 ",
                   "минут.",
                   "Часть 2 - Пройдите тест, состоящий из 5 ",
                   "вопросов.",
                   "",
                   "Отсчет времени пойдет с момента нажатия на ",
                   "кнопку \"Начать инструктаж\".",
                   "",
                   "Желаем удачи!"},
         .border = false, .readOnly = true},
        {.name = "Button1", .kind = Kind::BitBtn, .left = 9, .top = 336, .width = 320, .height = 41,
         .caption = "Начать инструктаж", .tabOrder = 1, .picture = pictures::StartButton,
         .transparentPicture = true},
        {.name = "StaticText2", .kind = Kind::StaticText, .left = 205, .top = 312, .width = 125, .height = 20,
         .caption = NoticeText, .tabOrder = 2},
    };
    return layout;
}

TForm2::TForm2() : TForm(QStringLiteral("Инструктаж [Демо] - Вход"), DesignClient)
{
    const tk::Controls c = tk::BuildLayout(this, Layout());
    Label1 = c.Get<tk::TLabel>("Label1");
    Image2 = c.Get<tk::TImage>("Image2");
    Memo1 = c.Get<tk::TMemo>("Memo1");
    Button1 = c.Get<tk::TBitBtn>("Button1");
    StaticText2 = c.Get<tk::TStaticText>("StaticText2");
    Button1->OnClick = [this] { Button1Click(); };
    SetIcon(pictures::EntryIcon);
}

void TForm2::Button1Click()
{
    tk::TellOutcome(tk::Outcome::Started);
    Form1->Show();
    Form2->Hide();
}

void TForm2::FormClose(tk::TCloseAction& action)
{
    (void)action;
    // Still on screen: the person closed it before starting. The other roads
    // close it hidden, after the start.
    if (Visible())
        tk::TellOutcome(tk::Outcome::Closed);
}
