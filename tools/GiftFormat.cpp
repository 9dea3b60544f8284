#include "tools/QuestionFormats.h"

#include "tools/Text.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace bank {
namespace {

using tools::Blanks;
using tools::Trim;
const std::string Supported = " — такие вопросы станция не задаёт; нужен выбор одного из трёх: {=верный ~неверный ~неверный}";

// Where one of `wanted` stands unescaped (not after a backslash) in text[from..).
std::size_t FindUnescaped(std::string_view text, std::size_t from, std::string_view wanted)
{
    for (std::size_t at = from; at < text.size(); ++at) {
        if (text[at] == '\\')
            ++at;
        else if (wanted.find(text[at]) != std::string_view::npos)
            return at;
    }
    return std::string_view::npos;
}

// Where `pair` (two characters) stands unescaped.
std::size_t FindUnescapedPair(std::string_view text, std::size_t from, std::string_view pair)
{
    for (std::size_t at = FindUnescaped(text, from, pair.substr(0, 1)); at != std::string_view::npos;
         at = FindUnescaped(text, at + 1, pair.substr(0, 1))) {
        if (at + 1 < text.size() && text[at + 1] == pair[1])
            return at;
    }
    return std::string_view::npos;
}

// "[html]", "[plain]", "[markdown]" or "[moodle]" before a text: whether it
// is HTML (nothing without a marker), and the text after the marker.
// Markdown is shown as typed.
std::optional<bool> TakeFormatMarker(std::string_view& text)
{
    text = Trim(text);
    for (const auto& [marker, isHtml] : {std::pair<std::string_view, bool>{"[html]", true}, {"[moodle]", true},
                                          {"[plain]", false}, {"[markdown]", false}}) {
        if (text.substr(0, marker.size()) == marker) {
            text = Trim(text.substr(marker.size()));
            return isHtml;
        }
    }
    return std::nullopt;
}

// GIFT's escapes undone; in plain text the file's own line breaks are spaces
// and "\n" breaks the line.
std::string Unescaped(std::string_view raw, bool html)
{
    std::string out;
    for (std::size_t at = 0; at < raw.size(); ++at) {
        const char c = raw[at];
        if (c == '\\' && at + 1 < raw.size()) {
            const char next = raw[++at];
            if (next == 'n')
                out += '\n';
            else if (std::string_view("~=#{}:\\").find(next) != std::string_view::npos)
                out += next;
            else
                out += {'\\', next};
        } else if (!html && (c == '\n' || c == '\t')) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return std::string(tools::TrimSpaces(out));
}

// One question: the lines between blank lines, joined with '\n'.
class Block {
public:
    void Add(int line, std::string_view text)
    {
        if (!text_.empty())
            text_ += '\n';
        starts_.push_back({text_.size(), line});
        text_ += text;
    }
    bool Empty() const { return starts_.empty(); }
    const std::string& Text() const { return text_; }
    int FirstLine() const { return starts_.front().second; }
    int LineAt(std::size_t offset) const
    {
        auto after = std::upper_bound(starts_.begin(), starts_.end(), offset,
                                      [](std::size_t o, const auto& start) { return o < start.first; });
        return std::prev(after)->second;
    }

private:
    std::string text_;
    std::vector<std::pair<std::size_t, int>> starts_; // offset of each line in text_, its line number
};

class GiftParser {
public:
    ParsedQuestions Run(std::string_view text)
    {
        const auto lines = tools::SplitLines(text);
        Block block;
        for (std::size_t k = 0; k <= lines.size(); ++k) {
            const std::string_view line = k < lines.size() ? Trim(lines[k]) : std::string_view();
            if (line.substr(0, 2) == "//")
                continue; // a comment
            if (line.substr(0, 10) == "$CATEGORY:") {
                // Categories mean nothing to the station, but one ends the
                // question before it, blank line or not.
                if (!block.Empty())
                    Question(block);
                block = Block();
                continue;
            }
            if (!line.empty()) {
                block.Add(static_cast<int>(k + 1), lines[k]);
                continue;
            }
            if (!block.Empty())
                Question(block);
            block = Block();
        }
        return std::move(parsed_);
    }

private:
    void Question(const Block& block)
    {
        const std::string_view s = block.Text();
        const auto problem = [&](std::size_t offset, std::string text) {
            parsed_.problems.push_back({block.LineAt(std::min(offset, s.size() - 1)), std::move(text)});
        };
        std::size_t pos = s.find_first_not_of(Blanks);
        if (s.substr(pos, 2) == "::") {
            const auto end = FindUnescapedPair(s, pos + 2, "::");
            if (end == std::string_view::npos)
                return problem(pos, "название вопроса ::… не закрыто вторым ::");
            pos = end + 2;
            const auto rest = s.find_first_not_of(Blanks, pos);
            if (rest != std::string_view::npos && s.substr(rest, 2) == "::")
                return problem(rest, "после названия ::…:: ещё одно «::»: название пишется один раз, "
                                     "::название:: текст вопроса {…}");
        }
        const auto open = FindUnescaped(s, pos, "{}");
        if (open == std::string_view::npos)
            return problem(pos, "текст без блока ответов {…} — это описание, а не вопрос" + Supported);
        if (s[open] == '}')
            return problem(open, "закрывающая скобка } без открывающей; знак } в тексте пишется как \\}");
        const auto close = FindUnescaped(s, open + 1, "{}");
        if (close == std::string_view::npos)
            return problem(open, "фигурная скобка { не закрыта: ответы вопроса должны кончаться скобкой } до пустой строки");
        if (s[close] == '{')
            return problem(close, "внутри блока ответов ещё одна скобка {; знак { в тексте пишется как \\{");
        const std::string_view after = Trim(s.substr(close + 1));
        if (FindUnescaped(after, 0, "{}") != std::string_view::npos)
            return problem(close + 1, "у вопроса второй блок ответов {…}" + Supported);

        Draft draft;
        draft.line = block.FirstLine();
        std::string_view before = s.substr(pos, open - pos);
        const auto format = TakeFormatMarker(before);
        const bool html = format.value_or(false);
        std::string question = Unescaped(before, html);
        if (!after.empty()) // a blank to fill in the middle of the sentence
            question += (question.empty() ? "" : " ") + std::string("_____ ") + Unescaped(after, html);
        draft.text = {std::string(tools::TrimSpaces(question)), html, block.LineAt(pos)};
        if (!format)
            NoteTags(draft.text);
        if (Answers(block, open, close, html, draft))
            Accept(std::move(draft), parsed_);
    }

    // Reads the answers between the braces into the draft; false (with the
    // problem added) when they are not a single-answer choice.
    bool Answers(const Block& block, std::size_t open, std::size_t close, bool html, Draft& draft)
    {
        const std::string_view s = block.Text();
        const auto problem = [&](std::size_t offset, std::string text) {
            parsed_.problems.push_back({block.LineAt(offset), std::move(text)});
            return false;
        };
        std::string_view body = s.substr(open + 1, close - open - 1);
        if (const auto general = FindUnescaped(body, 0, "#");
            general != std::string_view::npos && body.substr(general, 4) == "####")
            body = body.substr(0, general); // feedback on the whole question
        const std::string_view bare = Trim(body);
        if (bare.empty())
            return problem(open, "вопрос-эссе {}" + Supported);
        if (bare.front() == '#')
            return problem(open, "числовой вопрос {#…}" + Supported);
        const std::string word = tools::LowerAscii(Trim(bare.substr(0, FindUnescaped(bare, 0, "#"))));
        if (word == "t" || word == "f" || word == "true" || word == "false")
            return problem(open, "вопрос «верно или неверно» {T}/{F}" + Supported);

        const std::size_t bodyStart = open + 1;
        std::size_t at = FindUnescaped(body, 0, "=~");
        if (at == std::string_view::npos || !Trim(body.substr(0, at)).empty())
            return problem(open, "в блоке ответов текст перед первым = или ~: каждый вариант начинается со знака = "
                                 "(верный) или ~ (неверный)");
        if (FindUnescapedPair(body, 0, "->") != std::string_view::npos)
            return problem(open, "вопрос на соответствие (->)" + Supported);
        if (FindUnescaped(body, 0, "~") == std::string_view::npos)
            return problem(open, "вопрос с вводом ответа (варианты только с =, без ~)" + Supported);
        while (at != std::string_view::npos) {
            const char marker = body[at];
            const std::size_t next = FindUnescaped(body, at + 1, "=~");
            std::string_view answer = body.substr(at + 1, (next == std::string_view::npos ? body.size() : next) - at - 1);
            const std::size_t offset = bodyStart + at;
            bool right = marker == '=';
            if (Trim(answer).substr(0, 1) == "%") {
                answer = Trim(answer);
                const auto end = answer.find('%', 1);
                const std::string weight(answer.substr(1, end == std::string_view::npos ? 0 : end - 1));
                if (end == std::string_view::npos || (weight != "100" && weight != "0"))
                    return problem(offset, "вариант с частичной оценкой (%" + weight
                                               + "%): у вопроса станции один верный ответ, пометьте его = , а "
                                                 "остальные ~");
                right = weight == "100";
                answer.remove_prefix(end + 1);
            }
            answer = answer.substr(0, FindUnescaped(answer, 0, "#")); // feedback on this answer
            const auto format = TakeFormatMarker(answer);
            const bool answerHtml = format.value_or(html);
            if (right)
                draft.right.push_back(static_cast<int>(draft.choices.size()));
            draft.choices.push_back({Unescaped(answer, answerHtml), answerHtml, block.LineAt(offset)});
            if (!format)
                NoteTags(draft.choices.back());
            at = next;
        }
        return true;
    }

    // Markup in a text shown as typed is most likely meant as markup.
    void NoteTags(const Text& text)
    {
        if (text.html)
            return;
        const std::string& value = text.value;
        for (auto open = value.find('<'); open != std::string::npos; open = value.find('<', open + 1)) {
            const std::size_t name = open + 1 + (open + 1 < value.size() && value[open + 1] == '/');
            const auto close = value.find('>', name);
            if (name >= value.size() || !std::isalpha(static_cast<unsigned char>(value[name])) || close == std::string::npos
                || value.find('<', name) < close)
                continue;
            parsed_.notes.push_back({text.line, "в тексте разметка HTML «" + value.substr(open, std::min<std::size_t>(close - open + 1, 40))
                                                    + "», а текст без [html]: станция покажет её знаками; если это "
                                                      "разметка, начните текст с [html]",
                                     Severity::Info});
            return;
        }
    }

    ParsedQuestions parsed_;
};

} // namespace

ParsedQuestions ParseGift(std::string_view text) { return GiftParser().Run(text); }

} // namespace bank
