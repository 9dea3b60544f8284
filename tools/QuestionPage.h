#pragma once
// What the import writes: question pages in the demo content's look and the
// answer key, byte for byte.
#include "tools/ImportedQuestion.h"

#include <string>
#include <string_view>
#include <vector>

namespace bank {

// & < > " ' as character references, so that text shows as typed.
std::string EscapeHtml(std::string_view text);

// The HTML of a text: plain text escaped, its line breaks as <br>; the
// operator's HTML as it is.
std::string HtmlOf(const Text& text);

// The page of one question: the question and its three choices numbered
// "1." "2." "3." as the answer buttons are, readable at the test window's
// size, in windows-1251 with the charset declared and every other character
// as a reference.
// `source` ("вопросы.txt:12") goes into a meta element named SourceMeta,
// for the print to show where the question came from.
std::string QuestionPage(const Question& question, const std::string& source = {});
inline constexpr const char* SourceMeta = "source";

// One line per question, its right choice, each ended with CR LF.
std::string AnswerKeyText(const std::vector<Question>& questions);

} // namespace bank
