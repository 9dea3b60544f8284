#include "tools/ImportedQuestion.h"

#include "tools/QuestionLayout.h"

#include <utility>

namespace bank {
namespace {

std::string Count(std::size_t n) { return std::to_string(n); }

} // namespace

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
    question.right = draft.right.front() + station::FirstChoice;
    parsed.questions.push_back(std::move(question));
}

} // namespace bank
