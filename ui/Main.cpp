#include "ui/Main.h"

#include "ui/Indoor.h"
#include "ui/Notice.h"
#include "ui/Pictures.h"
#include "ui/Testview.h"

#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include "toolkit/core/FilePath.h"

#include "base/ContentFolders.h"

TForm1* Form1 = nullptr;
std::string InstrPath;

const std::vector<tk::ControlDef>& TForm1::Layout()
{
    using tk::Kind;
    static const std::vector<tk::ControlDef> layout = {
        {.name = "Image1", .kind = Kind::Image, .left = 0, .top = 0, .width = 311, .height = 69,
         .picture = pictures::OrganisationLogo},
        {.name = "Image2", .kind = Kind::Image, .left = 0, .top = 0, .width = 321, .height = 73,
         .picture = pictures::Logo},
        {.name = "ProgressBar1", .kind = Kind::ProgressBar, .left = 320, .top = 0, .width = 683, .height = 69,
         .min = 0, .max = 600, .vertical = true, .smooth = true, .borderWidth = 1},
        {.name = "Panel2", .kind = Kind::Panel, .left = 0, .top = 72, .width = 1001, .height = 651,
         .caption = "Panel2", .color = tk::clActiveBorder},
        {.name = "CppWebBrowser1", .kind = Kind::HtmlView, .left = 8, .top = 80, .width = 985, .height = 633,
         .tabOrder = 0},
        {.name = "StaticText1", .kind = Kind::StaticText, .left = 656, .top = 20, .width = 41, .height = 28,
         .caption = "9:59", .font = {.height = 17, .bold = true, .color = tk::clRed}, .color = tk::clHighlight},
        {.name = "Button2", .kind = Kind::BitBtn, .left = 776, .top = 685, .width = 218, .height = 27,
         .caption = "Начать тестирование", .tabOrder = 1, .picture = pictures::PencilButton,
         .transparentPicture = true},
        {.name = "Panel1", .kind = Kind::Panel, .left = 0, .top = 72, .width = 1001, .height = 649,
         .color = tk::clScrollBar, .visible = false},
        {.name = "Label1", .kind = Kind::Label, .parent = "Panel1", .left = 436, .top = 16, .width = 155,
         .height = 37, .caption = "Результат", .font = {.height = 32, .bold = true, .color = tk::clWhite},
         .autoSize = true},
        {.name = "Label2", .kind = Kind::Label, .parent = "Panel1", .left = 320, .top = 64, .width = 386,
         .height = 37, .caption = "Обратитесь к оператору!", .font = {.height = 32, .bold = true, .color = tk::clWhite}},
        {.name = "StaticText2", .kind = Kind::StaticText, .left = 872, .top = 8, .width = 125, .height = 20,
         .caption = NoticeText},
        {.name = "Timer1", .kind = Kind::Timer, .interval = 1000, .enabled = false},
    };
    return layout;
}

TForm1::TForm1() : TForm(QStringLiteral("Инструктаж [Демо] - Простосмотр слайдов"), DesignClient)
{
    const tk::Controls c = tk::BuildLayout(this, Layout());
    Image1 = c.Get<tk::TImage>("Image1");
    Image2 = c.Get<tk::TImage>("Image2");
    ProgressBar1 = c.Get<tk::TProgressBar>("ProgressBar1");
    Panel2 = c.Get<tk::TPanel>("Panel2");
    CppWebBrowser1 = c.Get<tk::TCppWebBrowser>("CppWebBrowser1");
    StaticText1 = c.Get<tk::TStaticText>("StaticText1");
    Button2 = c.Get<tk::TBitBtn>("Button2");
    Panel1 = c.Get<tk::TPanel>("Panel1");
    Label1 = c.Get<tk::TLabel>("Label1");
    Label2 = c.Get<tk::TLabel>("Label2");
    StaticText2 = c.Get<tk::TStaticText>("StaticText2");
    Timer1 = c.Get<tk::TTimer>("Timer1");
    // The course logo covers the organisation's logo completely. On a screen of
    // another density the two pictures fit their areas differently (at 96
    // pixels per inch the bitmap would come out two pixels wider), so the
    // bitmap is kept within the course logo as drawn.
    if (!Image2->Picture().isNull())
        Image1->resize(Image1->size().boundedTo(Image2->DrawnSize()));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Button2->OnClick = [this] { Button2Click(); };
    Timer1->OnTimer = [this] { Timer1Timer(); };
    SetIcon(pictures::StudyIcon);
}

void TForm1::FormCreate()
{
    InstrPath = tk::StationFolder() + station::StudyPage;
    CppWebBrowser1->Navigate(QString::fromStdString(InstrPath));
    ProgressBar1->SetPosition(600);
}

void TForm1::FormActivate()
{
    Timer1->SetEnabled(true);
    study::ProcessClock().Reset();
}

void TForm1::Timer1Timer()
{
    study::ProcessClock().Tick(Timer1->Interval(), *this);
}

void TForm1::Button2Click()
{
    Close();
}

void TForm1::FormClose(tk::TCloseAction& action)
{
    if (!Panel1->isHidden()) {
        tk::ShowMessage(QStringLiteral("Тестирование завершено"));
        action = tk::caFree;
        ModalResult = 1;
        Form2->Close();
        return;
    }
    if (tk::MessageBox(QStringLiteral("Перейти к тестированию?"), QStringLiteral("ВНИМАНИЕ!"), tk::MB_OK) == tk::IDOK) {
        StaticText1->SetCaption(QStringLiteral("0.0"));
        Timer1->SetEnabled(false);
        TestForm->Show();
    }
}

void TForm1::SetCaption(const std::string& text)
{
    StaticText1->SetCaption(QString::fromStdString(text));
}

void TForm1::StepProgressDown()
{
    ProgressBar1->SetPosition(ProgressBar1->Position() - 1);
}

void TForm1::ShowTimerFailed(const std::string& text)
{
    tk::ShowMessage(QString::fromStdString(text));
}

void TForm1::DisableTimer()
{
    Timer1->SetEnabled(false);
}

void TForm1::CloseStudyWindow()
{
    Close();
}

void TForm1::ShowTestWindow()
{
    TestForm->Show();
}
