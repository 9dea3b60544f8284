#include "tools/QuestionFormats.h"

#include "tools/Charset.h"
#include "tools/Text.h"

#include <algorithm>
#include <optional>

namespace bank {
namespace {

bool IsLatin(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsCyrillic(unsigned c) { return (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451; }

unsigned Upper(unsigned c)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    return c == 0x451 ? 0x401 : c;
}

std::string Utf8(unsigned c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// "ANSWER:" or "ОТВЕТ:" in any letter case, blanks allowed before the colon;
// the rest of the line after it.
std::optional<std::string_view> AnswerRest(std::string_view line)
{
    for (const std::string_view word : {"ANSWER", "ОТВЕТ"}) {
        std::size_t at = 0;
        bool same = true;
        for (std::size_t w = 0; w < word.size() && same;) {
            if (at >= line.size())
                return std::nullopt;
            const auto mine = charset::DecodeUtf8(line, at);
            const auto want = charset::DecodeUtf8(word, w);
            same = mine.length > 0 && Upper(mine.value) == want.value;
            at += std::max<std::size_t>(mine.length, 1);
            w += want.length;
        }
        if (!same)
            continue;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        if (at < line.size() && line[at] == ':')
            return line.substr(at + 1);
    }
    return std::nullopt;
}

struct ChoiceLine {
    unsigned letter = 0; // upper case
    std::string_view text;
};

// A letter, ')' or '.', then a blank (or nothing: an empty choice). After
// ')' the blank may be missing, as Moodle reads it; after '.' it may not
// ("Т.е." starts a sentence).
std::optional<ChoiceLine> AsChoice(std::string_view line)
{
    if (line.empty())
        return std::nullopt;
    const auto first = charset::DecodeUtf8(line, 0);
    if (first.length == 0 || !(IsLatin(first.value) || IsCyrillic(first.value)))
        return std::nullopt;
    const std::size_t mark = first.length;
    if (mark >= line.size() || (line[mark] != ')' && line[mark] != '.'))
        return std::nullopt;
    if (line[mark] == '.' && mark + 1 < line.size() && line[mark + 1] != ' ' && line[mark + 1] != '\t')
        return std::nullopt;
    return ChoiceLine{Upper(first.value), line.substr(std::min(line.size(), mark + 1))};
}

const char* AlphabetOf(unsigned letter) { return IsCyrillic(letter) ? "русская" : "латинская"; }

class AikenParser {
public:
    ParsedQuestions Run(std::string_view text)
    {
        const auto lines = tools::SplitLines(text);
        for (std::size_t k = 0; k < lines.size(); ++k)
            Line(static_cast<int>(k + 1), tools::TrimSpaces(lines[k]));
        if (open_)
            Unanswered(0);
        return std::move(parsed_);
    }

private:
    void Line(int number, std::string_view line)
    {
        if (line.empty())
            return;
        if (const auto rest = AnswerRest(line)) {
            Answer(number, std::string(tools::TrimSpaces(*rest)));
        } else if (const auto choice = AsChoice(line)) {
            Choice(number, *choice);
        } else {
            orphan_ = false; // a new question after choices that had none
            if (open_ && !draft_.choices.empty())
                Unanswered(number);
            if (!open_) {
                Start(number);
                draft_.text.value = line;
            } else {
                draft_.text.value.append("\n").append(line);
            }
        }
    }

    void Start(int number)
    {
        draft_ = Draft{};
        draft_.line = number;
        draft_.text.line = number;
        letters_.clear();
        flawed_ = false;
        open_ = true;
    }

    void Choice(int number, const ChoiceLine& choice)
    {
        if (!open_) {
            if (!orphan_)
                Problem(number, "вариант ответа без вопроса: перед вариантами должна стоять строка с вопросом");
            orphan_ = true;
            return;
        }
        const auto same = std::find(letters_.begin(), letters_.end(), choice.letter);
        if (same != letters_.end()) {
            flawed_ = true;
            Problem(number, "буква " + Utf8(choice.letter) + " уже была у варианта в строке "
                                + std::to_string(draft_.choices[static_cast<std::size_t>(same - letters_.begin())].line));
        }
        letters_.push_back(choice.letter);
        draft_.choices.push_back({std::string(tools::TrimSpaces(choice.text)), false, number});
    }

    void Answer(int number, const std::string& rest)
    {
        if (orphan_) {
            orphan_ = false;
            return;
        }
        if (!open_ || draft_.choices.empty()) {
            Problem(number, open_ ? "у вопроса нет вариантов ответа: варианты пишутся по одному в строке, "
                                    "с буквой и скобкой или точкой (A) … или А) …)"
                                  : "строка ответа без вопроса и вариантов перед ней");
            open_ = false;
            return;
        }
        open_ = false;
        std::string_view letterText = rest;
        if (!letterText.empty() && (letterText.back() == ')' || letterText.back() == '.'))
            letterText.remove_suffix(1);
        const auto letter = letterText.empty() ? charset::CodePoint{} : charset::DecodeUtf8(letterText, 0);
        if (letter.length == 0 || letter.length != letterText.size()
            || !(IsLatin(letter.value) || IsCyrillic(letter.value))) {
            Problem(number, rest.empty() ? "в строке ответа нет буквы верного варианта"
                                         : "в строке ответа «" + rest + "» должна быть одна буква верного варианта");
            return;
        }
        const unsigned want = Upper(letter.value);
        const auto found = std::find(letters_.begin(), letters_.end(), want);
        if (found == letters_.end()) {
            std::string known;
            for (const unsigned c : letters_)
                known += (known.empty() ? "" : ", ") + Utf8(c);
            std::string text = "в ответе буква " + Utf8(want) + ", а варианта с такой буквой нет (есть " + known + ")";
            if (IsCyrillic(want) != IsCyrillic(letters_.front()))
                text += std::string(": буква ответа ") + AlphabetOf(want) + ", а варианты помечены буквами — "
                        + (IsCyrillic(letters_.front()) ? "русскими" : "латинскими");
            Problem(number, text);
            return;
        }
        draft_.right = {static_cast<int>(found - letters_.begin())};
        if (!flawed_)
            Accept(std::move(draft_), parsed_);
    }

    // The open question ended without its answer line.
    void Unanswered(int next)
    {
        open_ = false;
        if (draft_.choices.empty()) {
            Problem(draft_.line, "у вопроса нет вариантов ответа и строки ANSWER: (ОТВЕТ:)");
            return;
        }
        Problem(draft_.line, "у вопроса нет строки ANSWER: (ОТВЕТ:) с буквой верного варианта"
                                 + (next ? " — после вариантов идёт строка " + std::to_string(next)
                                               + ", которая не вариант и не ответ"
                                         : std::string(" — файл кончился")));
    }

    void Problem(int line, std::string text) { parsed_.problems.push_back({line, std::move(text)}); }

    ParsedQuestions parsed_;
    Draft draft_;
    std::vector<unsigned> letters_;
    bool open_ = false;   // a question has begun and has no answer line yet
    bool orphan_ = false; // choices without a question: skipped up to their answer line
    bool flawed_ = false; // the open question has a fault already reported
};

} // namespace

ParsedQuestions ParseAiken(std::string_view text) { return AikenParser().Run(text); }

bool HasAikenAnswerLine(std::string_view text)
{
    for (const auto line : tools::SplitLines(text))
        if (AnswerRest(tools::TrimSpaces(line)))
            return true;
    return false;
}

} // namespace bank
