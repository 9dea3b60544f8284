#include "tools/QuestionLayout.h"

#include "tools/Charset.h"
#include "tools/Text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string_view>
#include <vector>

namespace bank {
namespace {

// One step of type size, in view units (design pixels at 985 wide).
struct Step {
    double padTop, padSide;         // of the page
    double topFont, topPad;         // the line above the question, its gap to the rule below it
    double questionFont, questionAbove, questionBelow;
    double choiceFont, choicePadTop, choicePadSide, choiceGap, numberWidth;
    double hintFont, hintAbove;
};

// Step 0 is the demo pages' look (content/TESTS/style.css).
constexpr std::array<Step, LayoutSteps> Steps{{
    {20, 40, 15, 8, 32, 22, 24, 26, 14, 20, 14, 44, 17, 22},
    {16, 36, 14, 7, 26, 16, 18, 22, 10, 18, 11, 38, 15, 16},
    {12, 28, 13, 6, 21, 12, 14, 19, 7, 14, 8, 32, 14, 12},
    {10, 20, 12, 5, 17, 8, 9, 16, 4, 10, 6, 27, 12, 8},
}};
constexpr double ViewWidth = 985;
constexpr double TopRule = 3, ChoiceBorder = 2;
constexpr double QuestionLine = 1.25, ChoiceLine = 1.3, SmallLine = 1.2;
// Room kept free for rounding at other screen densities.
constexpr double Slack = 8;

using Line = std::u32string;

// Advance widths of Liberation Sans, the station's font, in hundredths of an
// em, the larger of its regular and bold faces, rounded up: ' ' to '~', then
// Ё, А to я, ё.
constexpr std::array<unsigned char, 161> Widths{
    28, 34, 48, 56, 56, 89, 73, 24, 34, 34, 39, 59, 28, 34, 28, 28, 56, 56, 56, 56, 56, 56, 56, 56, 56, 56, 34,
    34, 59, 59, 59, 62, 102, 73, 73, 73, 73, 67, 62, 78, 73, 28, 56, 73, 62, 84, 73, 78, 67, 78, 73, 67, 62, 73,
    67, 95, 67, 67, 62, 34, 28, 34, 59, 56, 34, 56, 62, 56, 62, 56, 34, 62, 62, 28, 28, 56, 28, 89, 62, 62, 62,
    62, 39, 56, 34, 62, 56, 78, 56, 56, 50, 39, 28, 39, 59, 67, 73, 72, 73, 57, 72, 67, 93, 63, 72, 72, 62, 71,
    84, 73, 78, 72, 67, 73, 62, 64, 86, 67, 74, 71, 101, 102, 87, 98, 72, 72, 104, 73, 56, 62, 62, 42, 64, 56,
    71, 50, 62, 62, 51, 64, 74, 61, 62, 61, 62, 56, 49, 56, 88, 56, 62, 59, 84, 85, 73, 86, 62, 56, 86, 59, 56};
// Room for the rounding of advances to whole pixels at small sizes.
constexpr double Rounding = 1.05;

// Width of a character in ems, never less than the font gives it.
double Em(char32_t c)
{
    double em = 1.3; // other scripts, symbols, pictographs
    if (c >= 0x20 && c <= 0x7E)
        em = Widths[c - 0x20] / 100.0;
    else if (c == 0x401)
        em = Widths[95] / 100.0;
    else if (c >= 0x410 && c <= 0x44F)
        em = Widths[96 + (c - 0x410)] / 100.0;
    else if (c == 0x451)
        em = Widths[160] / 100.0;
    else if (c == 0xAB || c == 0xBB || c == 0x2013)
        em = 0.56; // « » –
    else if (c == 0x2014 || c == 0x2026)
        em = 1.0; // — …
    return em * Rounding;
}

// The lines a text starts as the browser shows it: plain text breaks at its
// line breaks; HTML at <br> and around blocks, its tags unseen, its blanks
// collapsed, each character reference one character.
std::vector<Line> ShownLines(const Text& text)
{
    std::vector<Line> lines(1);
    const std::string_view value = text.value;
    const auto newLine = [&](bool always) {
        if (always || !lines.back().empty())
            lines.emplace_back();
    };
    for (std::size_t at = 0; at < value.size();) {
        const char c = value[at];
        if (text.html && c == '<') {
            const auto end = value.find('>', at);
            if (end == std::string_view::npos)
                break;
            std::size_t stop = at + 1;
            while (stop < end && (std::isalnum(static_cast<unsigned char>(value[stop])) || value[stop] == '/'))
                ++stop;
            std::string name = tools::LowerAscii(value.substr(at + 1, stop - at - 1));
            if (!name.empty() && name[0] == '/')
                name.erase(0, 1);
            constexpr std::array<std::string_view, 16> Blocks{"p", "div", "li", "ul", "ol", "tr", "table", "h1", "h2",
                                                              "h3", "h4", "h5", "h6", "hr", "blockquote", "pre"};
            if (name == "br")
                newLine(true);
            else if (std::find(Blocks.begin(), Blocks.end(), name) != Blocks.end())
                newLine(false);
            at = end + 1;
            continue;
        }
        if (text.html && c == '&') {
            const auto end = value.find(';', at);
            if (end != std::string_view::npos && end - at <= 10) {
                lines.back() += U'W';
                at = end + 1;
                continue;
            }
        }
        if (c == '\n' && !text.html) {
            newLine(true);
            ++at;
            continue;
        }
        const auto point = charset::DecodeUtf8(value, at);
        const std::size_t length = point.length ? point.length : 1;
        char32_t shown = point.length ? point.value : U'W';
        if (shown == U'\t' || shown == U'\r' || shown == U'\n' || shown == 0xA0)
            shown = U' ';
        if (!(text.html && shown == U' ' && (lines.back().empty() || lines.back().back() == U' ')))
            lines.back() += shown;
        at += length;
    }
    while (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

// Rows a text takes in a box `width` ems wide, wrapped as the browser wraps
// it: at blanks, and inside a word only when the word is wider than the box.
int Rows(const Text& text, double width)
{
    int rows = 0;
    for (const Line& line : ShownLines(text)) {
        int lineRows = 1;
        double used = 0;
        std::size_t at = 0;
        while (at <= line.size()) {
            const std::size_t end = std::min(line.find(U' ', at), line.size());
            double word = 0;
            for (std::size_t k = at; k < end; ++k)
                word += Em(line[k]);
            const double space = used > 0 ? Em(U' ') : 0;
            if (used + space + word <= width) {
                used += space + word;
            } else if (word <= width) {
                ++lineRows;
                used = word;
            } else {
                // Broken letter by letter: full rows, the rest on the last.
                if (used > 0)
                    ++lineRows;
                used = 0;
                for (std::size_t k = at; k < end; ++k) {
                    const double letter = Em(line[k]);
                    if (used + letter > width) {
                        ++lineRows;
                        used = 0;
                    }
                    used += letter;
                }
            }
            at = end + 1;
        }
        rows += lineRows;
    }
    return rows;
}

std::string Number(double value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace

double EstimatedHeight(const Text& question, const std::array<Text, ChoicesPerQuestion>& choices, int step)
{
    const Step& s = Steps[static_cast<std::size_t>(step)];
    const double inner = ViewWidth - 2 * s.padSide;
    double height = 2 * s.padTop + s.topFont * SmallLine + s.topPad + TopRule + s.questionAbove
                    + Rows(question, inner / s.questionFont) * s.questionFont * QuestionLine + s.questionBelow
                    + s.hintAbove + s.hintFont * SmallLine;
    const double choiceWidth = (inner - 2 * s.choicePadSide - 2 * ChoiceBorder - s.numberWidth) / s.choiceFont;
    for (const Text& choice : choices)
        height += 2 * (s.choicePadTop + ChoiceBorder) + s.choiceGap
                  + Rows(choice, choiceWidth) * s.choiceFont * ChoiceLine;
    return height;
}

int LayoutStep(const Text& question, const std::array<Text, ChoicesPerQuestion>& choices)
{
    for (int step = 0; step < LayoutSteps; ++step)
        if (EstimatedHeight(question, choices, step) <= ViewHeightUnits - Slack)
            return step;
    return -1;
}

std::string LayoutStyle()
{
    // The unit --u (a 985th of the view) comes from the demo pages' style.
    std::string css = "h1 p, .text p { margin: 0; }\n"
                      ".top, .hint { line-height: 1.2; }\n";
    const auto u = [](double value) { return "calc(" + Number(value) + " * var(--u))"; };
    for (std::size_t n = 0; n < Steps.size(); ++n) {
        const Step& s = Steps[n];
        const std::string body = "body.step" + std::to_string(n);
        css += body + " { padding: " + u(s.padTop) + " " + u(s.padSide) + "; }\n"
               + body + " .top { padding-bottom: " + u(s.topPad) + "; border-bottom-width: " + u(TopRule)
               + "; font-size: " + u(s.topFont) + "; }\n"
               + body + " h1 { margin: " + u(s.questionAbove) + " 0 " + u(s.questionBelow) + " 0; font-size: "
               + u(s.questionFont) + "; line-height: " + Number(QuestionLine) + "; }\n"
               + body + " .a { margin: 0 0 " + u(s.choiceGap) + " 0; padding: " + u(s.choicePadTop) + " "
               + u(s.choicePadSide) + "; border-width: " + u(ChoiceBorder) + "; font-size: " + u(s.choiceFont)
               + "; line-height: " + Number(ChoiceLine) + "; }\n"
               + body + " .num { min-width: " + u(s.numberWidth) + "; }\n"
               + body + " .hint { margin-top: " + u(s.hintAbove) + "; font-size: " + u(s.hintFont) + "; }\n";
    }
    return css;
}

std::size_t ShownCharacters(const Text& text)
{
    if (!text.html)
        return charset::CountCharacters(text.value);
    std::size_t count = 0;
    for (const Line& line : ShownLines(text))
        count += line.size();
    return count;
}

} // namespace bank
