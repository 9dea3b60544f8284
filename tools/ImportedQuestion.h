#pragma once
// A question as the formats deliver it, and the one rule every format shares:
// the station shows a question and exactly three numbered choices, one of
// them right, on a screen of fixed size.
#include "tools/SourceText.h"

#include "base/Questions.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace bank {

using station::ChoicesPerQuestion;
// What the test window shows without scrolling on the smallest screen, in
// characters as shown (see QuestionLayout.h: line breaks and wide letters
// may make a shorter question too tall all the same).
inline constexpr std::size_t MaxQuestionCharacters = 400;
inline constexpr std::size_t MaxChoiceCharacters = 150;

struct Text {
    std::string value; // UTF-8; '\n' breaks the line in plain text
    bool html = false; // the operator's own HTML (GIFT [html]); otherwise shown as typed
    int line = 0;      // where it starts in the file
};

struct Question {
    int line = 0; // where it starts in the file
    Text text;
    std::array<Text, ChoicesPerQuestion> choices;
    int right = 0; // FirstChoice..LastChoice
};

// What a format found before the station's rule is applied.
struct Draft {
    int line = 0;
    Text text;
    std::vector<Text> choices;
    std::vector<int> right; // 0-based indexes of the choices marked right
};

struct ParsedQuestions {
    std::vector<Question> questions;
    std::vector<Finding> problems; // in the order of the file
    std::vector<Finding> notes;    // worth telling, no fault
};

// Adds the draft as a question when the station can ask it; otherwise adds
// one problem per reason.
void Accept(Draft draft, ParsedQuestions& parsed);

} // namespace bank
