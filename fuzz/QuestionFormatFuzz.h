#pragma once
// What every question-format target checks: the input is read as the
// operator's file, parsed, and every question that passes is written as its
// page and key line. Problems name lines of the file; a question the station
// accepts has three choices and one right answer within the limits; its page
// is windows-1251 and shows, read by an HTML parser, exactly the text
// imported; its key line reads back as its answer.
#include "Reference.h"

#include "tools/Charset.h"
#include "tools/QuestionFormats.h"
#include "tools/QuestionLayout.h"
#include "tools/QuestionPage.h"
#include "tools/SourceText.h"
#include "tools/Text.h"

#include "tests/tools/ShownText.h"

#include <algorithm>

namespace fuzzformat {

using fuzzref::Expect;

inline void Check(bank::Format format, const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<bank::Finding> problems;
    const auto source = bank::DecodeSource(bytes, problems);
    Expect(source.has_value() == problems.empty(), "a decoded file with problems, or no file and none");
    if (!source) {
        Expect(problems.size() == 1 && problems[0].line >= 0, "one problem of the file");
        return;
    }
    Expect(charset::IsUtf8(source->text), "decoded text is not UTF-8");
    const int lines = static_cast<int>(tools::SplitLines(source->text).size());

    const auto parsed = bank::Parse(format, source->text);
    for (std::size_t k = 0; k < parsed.problems.size(); ++k) {
        const auto& problem = parsed.problems[k];
        Expect(problem.line >= 0 && problem.line <= lines, "problem line " + std::to_string(problem.line));
        Expect(!problem.text.empty() && charset::IsUtf8(problem.text), "problem text");
        Expect(k == 0 || parsed.problems[k - 1].line <= problem.line, "problems out of order");
    }
    std::vector<bank::Question> accepted;
    for (const auto& question : parsed.questions) {
        Expect(question.line >= 1 && question.line <= lines, "question line");
        Expect(question.right >= 1 && question.right <= 3, "right answer");
        Expect(!question.text.value.empty(), "question without text");
        Expect(bank::ShownCharacters(question.text) <= bank::MaxQuestionCharacters, "question too long");
        for (const auto& choice : question.choices) {
            Expect(!choice.value.empty(), "empty choice");
            Expect(bank::ShownCharacters(choice) <= bank::MaxChoiceCharacters, "choice too long");
        }

        const std::string page = bank::QuestionPage(question);
        const auto utf8 = charset::ToUtf8(page, "WINDOWS-1251");
        Expect(utf8.has_value(), "the page is not windows-1251");
        const bool html = question.text.html
                          || std::any_of(question.choices.begin(), question.choices.end(),
                                         [](const bank::Text& text) { return text.html; });
        if (!html) {
            const auto shown = shown::QuestionAndChoices(*utf8);
            Expect(shown.size() == 4, "the page does not show a question and three choices");
            Expect(shown[0] == question.text.value, "the page shows another question: [" + shown[0] + "] for [" + question.text.value + "]");
            for (std::size_t k = 0; k < 3; ++k)
                Expect(shown[k + 1] == question.choices[k].value, "the page shows another choice: " + shown[k + 1]);
        }
        accepted.push_back(question);
    }

    const auto key = fuzzref::SplitLines(bank::AnswerKeyText(accepted));
    Expect(key.size() == accepted.size(), "key lines");
    for (std::size_t k = 0; k < key.size(); ++k)
        Expect(fuzzref::StrToInt(key[k]) == accepted[k].right, "key line " + key[k]);
}

} // namespace fuzzformat
