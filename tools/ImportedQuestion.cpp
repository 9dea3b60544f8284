#include "tools/ImportedQuestion.h"

#include "tools/QuestionLayout.h"

#include <utility>

namespace bank {
namespace {

constexpr std::string_view NoBreakSpace = "\xC2\xA0";

bool StartsBlank(std::string_view text)
{
    return !text.empty() && (text.find_first_of(" \t\r\n\f\v") == 0 || text.substr(0, 2) == NoBreakSpace);
}

bool EndsBlank(std::string_view text)
{
    return !text.empty()
           && (std::string_view(" \t\r\n\f\v").find(text.back()) != std::string_view::npos
               || (text.size() >= 2 && text.substr(text.size() - 2) == NoBreakSpace));
}

std::string Count(std::size_t n) { return std::to_string(n); }

} // namespace

std::string Trimmed(std::string_view text)
{
    while (StartsBlank(text))
        text.remove_prefix(text.substr(0, 2) == NoBreakSpace ? 2 : 1);
    while (EndsBlank(text))
        text.remove_suffix(text.size() >= 2 && text.substr(text.size() - 2) == NoBreakSpace ? 2 : 1);
    return std::string(text);
}

void Accept(Draft draft, ParsedQuestions& parsed)
{
    bool fits = true;
    const auto problem = [&](int line, std::string text) {
        parsed.problems.push_back({line, std::move(text)});
        fits = false;
    };
    if (draft.text.value.empty())
        problem(draft.line, "вопрос без текста");
    if (const auto length = ShownCharacters(draft.text); length > MaxQuestionCharacters)
        problem(draft.line, "вопрос длиннее " + Count(MaxQuestionCharacters) + " знаков (" + Count(length)
                                + "): на экране теста он не поместится");
    const auto choices = draft.choices.size();
    if (choices != ChoicesPerQuestion)
        problem(draft.line, "вариантов ответа " + Count(choices) + ", а на станции их ровно три");
    if (draft.right.empty())
        problem(draft.line, "не указан верный ответ");
    else if (draft.right.size() > 1)
        problem(draft.line, "верных ответов " + Count(draft.right.size()) + ", а нужен ровно один");
    for (std::size_t k = 0; k < choices; ++k) {
        const Text& choice = draft.choices[k];
        if (choice.value.empty())
            problem(choice.line, "вариант " + Count(k + 1) + " без текста");
        else if (const auto length = ShownCharacters(choice); length > MaxChoiceCharacters)
            problem(choice.line, "вариант " + Count(k + 1) + " длиннее " + Count(MaxChoiceCharacters) + " знаков ("
                                     + Count(length) + "): на экране теста он не поместится");
    }
    if (!fits)
        return;
    Question question;
    question.line = draft.line;
    question.text = std::move(draft.text);
    for (std::size_t k = 0; k < ChoicesPerQuestion; ++k)
        question.choices[k] = std::move(draft.choices[k]);
    if (LayoutStep(question.text, question.choices) < 0) {
        problem(question.line, "вопрос с вариантами ответа не поместится на экране теста без прокрутки даже мелким "
                               "шрифтом (много строк или широких букв): сократите текст");
        return;
    }
    question.right = draft.right.front() + 1;
    parsed.questions.push_back(std::move(question));
}

} // namespace bank
