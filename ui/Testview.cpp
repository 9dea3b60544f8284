#include "ui/Testview.h"

#include "ui/Indoor.h"
#include "ui/Main.h"
#include "ui/Notice.h"
#include "ui/Pictures.h"

#include "base/ContentFolders.h"
#include "base/Questions.h"
#include "base/Verdict.h"

#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Outcome.h"

#include "testing/AnswerKey.h"
#include "testing/Draw.h"
#include "testing/Grading.h"
#include "testing/QuestionBank.h"
#include "testing/RunBank.h"
#include "testing/TestPaths.h"

#include "toolkit/core/FilePath.h"
#include "toolkit/core/StrToInt.h"

#include <ctime>

TTestForm* TestForm = nullptr;
testrun::TestRunState TestRun;
testrun::Lcg RandomGenerator;

const std::vector<tk::ControlDef>& TTestForm::Layout()
{
    using tk::Kind;
    static const tk::FontDef countFont{.height = 17, .bold = true, .color = tk::clRed};
    static const tk::FontDef choiceFont{.height = 17, .color = tk::clWindowText};
    static const std::vector<tk::ControlDef> layout = {
        {.name = "Image1", .kind = Kind::Image, .left = 8, .top = 0, .width = 305, .height = 73,
         .picture = pictures::Logo},
        {.name = "Panel1", .kind = Kind::Panel, .left = 0, .top = 72, .width = 1001, .height = 649,
         .caption = "Panel1", .color = tk::clScrollBar, .tabOrder = 5},
        {.name = "Button2", .kind = Kind::BitBtn, .parent = "Panel1", .left = 584, .top = 592, .width = 201,
         .height = 49, .caption = "Ответить !", .hint = "Подтвердите выбранный ответ", .tabOrder = 0,
         .picture = pictures::AnswerButton, .transparentPicture = true},
        {.name = "ProgressBar1", .kind = Kind::ProgressBar, .left = 320, .top = 0, .width = 681, .height = 69,
         .hint = "Вам осталось еще несколько вопросов", .tabOrder = 0, .min = 0, .max = 50},
        {.name = "CppWebBrowser1", .kind = Kind::HtmlView, .left = 8, .top = 80,
         .width = station::QuestionViewWidth, .height = station::QuestionViewHeight,
         .hint = "Внимательно прочитайте вопрос и варианты ответов", .tabOrder = 1},
        {.name = "StaticText1", .kind = Kind::StaticText, .left = 576, .top = 20, .width = 177, .height = 28,
         .caption = "Осталось вопросов:", .font = countFont, .color = tk::clHotLight, .tabOrder = 2},
        {.name = "StaticText2", .kind = Kind::StaticText, .left = 748, .top = 20, .width = 17, .height = 28,
         .caption = "5", .font = countFont, .color = tk::clHotLight, .tabOrder = 3},
        {.name = "GroupBox1", .kind = Kind::GroupBox, .left = 8, .top = 664, .width = 569, .height = 49,
         .caption = "Варианты ответов", .hint = "Выбирите правильный ответ", .tabOrder = 4},
        {.name = "RadioButton1", .kind = Kind::RadioButton, .parent = "GroupBox1", .left = 8, .top = 24,
         .width = 150, .height = 17, .caption = "Ответ 1", .font = choiceFont, .tabOrder = 0},
        {.name = "RadioButton2", .kind = Kind::RadioButton, .parent = "GroupBox1", .left = 208, .top = 24,
         .width = 150, .height = 17, .caption = "Ответ 2", .font = choiceFont, .tabOrder = 1},
        {.name = "RadioButton3", .kind = Kind::RadioButton, .parent = "GroupBox1", .left = 408, .top = 24,
         .width = 150, .height = 17, .caption = "Ответ 3", .font = choiceFont, .tabOrder = 2},
        {.name = "Memo1", .kind = Kind::Memo, .left = 704, .top = 80, .width = 289, .height = 81, .tabOrder = 6,
         .visible = false, .lines = {"Memo1"}},
        {.name = "Memo2", .kind = Kind::Memo, .left = 792, .top = 664, .width = 201, .height = 49,
         .font = {.height = 13, .color = tk::clSilver}, .hint = "Инструкция к тесту", .tabOrder = 7,
         .lines = {"Чтобы пройти тест нужно:",
                   "1. Внимательно прочитать ",
                   "вопрос",
                   "2. Ознакомиться с ",
                   "вариантами ответа",
                   "3. Выбрать правильный и ",
                   "отметить его номер",
                   "4. Подтвердить свой ",
                   "ответ, ",
                   "нажав кнопку \"Ответить\".",
                   "5. Если Вы выбрали ",
                   "правильный ответ - ",
                   "появится новый вопрос.",
                   "6. Ответив успешно на 5 ",
                   "вопросов, Вы пройдете ",
                   "тест.",
                   "",
                   "Внимание!",
                   "После первого ",
                   "неправильного откроется ",
                   "окно повторного ",
                   "инструктажа. После этого ",
                   "вы сможете пройти тест ",
                   "еще раз.",
                   "После второй ошибки тест ",
                   "будет завершен с ",
                   "отрицательным ",
                   "результатом."},
         .readOnly = true, .verticalScrollBar = true},
        {.name = "StaticText3", .kind = Kind::StaticText, .left = 872, .top = 8, .width = 125, .height = 20,
         .caption = NoticeText, .tabOrder = 8},
    };
    return layout;
}

TTestForm::TTestForm() : TForm(QStringLiteral("Инструктаж [Демо] - Пройти тест"), DesignClient)
{
    const tk::Controls c = tk::BuildLayout(this, Layout());
    Image1 = c.Get<tk::TImage>("Image1");
    Panel1 = c.Get<tk::TPanel>("Panel1");
    Button2 = c.Get<tk::TBitBtn>("Button2");
    ProgressBar1 = c.Get<tk::TProgressBar>("ProgressBar1");
    CppWebBrowser1 = c.Get<tk::TCppWebBrowser>("CppWebBrowser1");
    StaticText1 = c.Get<tk::TStaticText>("StaticText1");
    StaticText2 = c.Get<tk::TStaticText>("StaticText2");
    GroupBox1 = c.Get<tk::TGroupBox>("GroupBox1");
    RadioButton1 = c.Get<tk::TRadioButton>("RadioButton1");
    RadioButton2 = c.Get<tk::TRadioButton>("RadioButton2");
    RadioButton3 = c.Get<tk::TRadioButton>("RadioButton3");
    Memo1 = c.Get<tk::TMemo>("Memo1");
    Memo2 = c.Get<tk::TMemo>("Memo2");
    StaticText3 = c.Get<tk::TStaticText>("StaticText3");
    Button2->OnClick = [this] { Button2Click(); };
    SetIcon(pictures::TestIcon);
}

void TTestForm::Trace(const std::string& line)
{
    Memo1->Add(QString::fromStdString(line));
}

void TTestForm::FormActivate()
{
    const testrun::LineSink trace = [this](const std::string& line) { Trace(line); };
    testrun::Reset(TestRun);
    ProgressBar1->SetPosition(0);
    StaticText2->SetCaption(QString::fromStdString(tk::IntToStr(testrun::QuestionsPerRun)));
    Memo1->Clear();

    // The bank is taken before it is counted: a bank swapped in meanwhile
    // cannot lend the run its count, pages or key.
    runBank_.Open(tk::StationFolder() + station::BankFolder);
    bool counted = false;
    try {
        TestRun.TestCount = testrun::CountTests(TestRun);
        Trace("Найдено " + tk::IntToStr(TestRun.TestCount) + " тестов");
        counted = true;
    } catch (...) {
    }
    // With fewer than five pages no draw can end: no run is started.
    if (!counted || !testrun::HasEnoughPages(TestRun)) {
        EndRun();
        tk::ShowMessage(QString::fromUtf8(MissingTestsText));
        Close();
        return;
    }
    Trace(tk::IntToStr(TestRun.TestCount));
    RandomGenerator.Seed(static_cast<std::uint32_t>(std::time(nullptr)));
    testrun::DrawQuestions(TestRun, RandomGenerator, trace);
    Trace(tk::IntToStr(TestRun.TestNo[testrun::QuestionsPerRun - 1]));
    testrun::BuildTestPaths(TestRun, tk::StationFolder(), trace);
    testrun::HoldRunBank(TestRun, runBank_);
    ShowQuestion();
    testrun::LoadAnswerKey(TestRun, trace);
}

void TTestForm::ShowQuestion()
{
    const auto slot = static_cast<std::size_t>(TestRun.QQ);
    const QString path = QString::fromStdString(TestRun.TestPath[slot]);
    // A page missing at the draw shows as a missing file, as it always has.
    if (const auto& page = TestRun.PageBytes[slot])
        CppWebBrowser1->ShowHeld(path, QByteArray::fromStdString(*page));
    else
        CppWebBrowser1->Navigate(path);
}

void TTestForm::EndRun()
{
    runBank_.Close();
}

void TTestForm::Button2Click()
{
    if (TestRun.QQ >= testrun::QuestionsPerRun) {
        tk::ShowMessage(QStringLiteral("Ошибка: QQ > 5"));
        return;
    }
    // No run without enough pages: nothing to grade.
    if (!testrun::HasEnoughPages(TestRun)) {
        tk::ShowMessage(QString::fromUtf8(MissingTestsText));
        return;
    }
    TestRun.Answer = 0;
    if (RadioButton1->Checked())
        TestRun.Answer = 1;
    else if (RadioButton2->Checked())
        TestRun.Answer = 2;
    else if (RadioButton3->Checked())
        TestRun.Answer = 3;
    const std::string chosen = tk::IntToStr(TestRun.Answer);
    const std::string right = tk::IntToStr(TestRun.RightAnswer[TestRun.QQ]);
    Trace("#" + chosen + "1" + "Ответ: " + chosen + "Правильный ответ: " + right);
    if (TestRun.Answer == 0) {
        tk::ShowMessage(QStringLiteral("Нужно выбрать ответ!"));
        return;
    }
    // An answer nobody set in the key is never graded.
    if (!TestRun.AnswerFromKey[TestRun.QQ]) {
        tk::ShowErrorText(QString::fromStdString(TestRun.KeyError));
        return;
    }
    // Nor one to a question the view could not show.
    if (const auto& page = TestRun.PageBytes[static_cast<std::size_t>(TestRun.QQ)];
        page && !tk::HeldPageFits(QByteArray::fromStdString(*page))) {
        tk::ShowErrorText(tk::HeldPageTooLargeText());
        return;
    }
    TestRun.Verdict =
        testrun::CheckAnswer(TestRun.QQ, TestRun.Answer, TestRun.RightAnswer[TestRun.QQ], TestRun.RetryUsed);
    Trace(tk::IntToStr(TestRun.Verdict));
    ApplyVerdict();
}

void TTestForm::ApplyVerdict()
{
    switch (TestRun.Verdict) {
    case testrun::VerdictNext:
        if (TestRun.QQ < testrun::QuestionsPerRun - 1)
            ++TestRun.QQ;
        if (TestRun.QQ <= testrun::QuestionsPerRun - 1) {
            ProgressBar1->SetPosition(ProgressBar1->Position() + 10);
            StaticText2->SetCaption(QString::fromStdString(
                tk::IntToStr(tk::StrToInt(StaticText2->Caption().toStdString()) - 1)));
            ShowQuestion();
        }
        break;
    case testrun::VerdictSecondChance:
        EndRun();
        TestRun.RetryUsed = 1;
        tk::ShowMessage(QStringLiteral("Неправильный ответ! Перейти к повторному тестированию."));
        Form1->Show();
        break;
    case testrun::VerdictPassed:
    case testrun::VerdictFailed: {
        const bool passed = TestRun.Verdict == testrun::VerdictPassed;
        EndRun();
        TestRun.ResultColor = passed ? testrun::ColorGreen : testrun::ColorMaroon;
        Form1->Show();
        Form1->Panel1->SetColor(TestRun.ResultColor);
        Form1->Label1->SetCaption(QString::fromUtf8(passed ? station::PassedText : station::FailedText));
        Form1->Panel1->setVisible(true);
        Form1->Timer1->SetEnabled(false);
        Form1->StaticText1->setVisible(false);
        tk::TellOutcome(passed ? tk::Outcome::Passed : tk::Outcome::Failed);
        break;
    }
    default:
        break;
    }
}

void TTestForm::FormClose(tk::TCloseAction& action)
{
    if (tk::MessageBox(QStringLiteral("Прервать прохождение теста?"), QStringLiteral("ВНИМАНИЕ!"), tk::MB_YESNO) ==
        tk::IDYES) {
        tk::TellOutcome(tk::Outcome::BrokenOff);
        EndRun();
        action = tk::caFree;
        ModalResult = 1;
        Form2->Close();
    } else {
        action = tk::caNone;
    }
}
