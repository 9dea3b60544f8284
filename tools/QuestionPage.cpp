#include "tools/QuestionPage.h"

#include "tools/Charset.h"
#include "tools/QuestionLayout.h"

#include <algorithm>

#include "QuestionStyle.h"

namespace bank {
namespace {

// The largest type the question fits the test window's view with (the
// import refuses a question that fits none).
std::string StepClass(const Question& question)
{
    return " class=\"step" + std::to_string(std::max(LayoutStep(question.text, question.choices), 0)) + "\"";
}

} // namespace

std::string EscapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HtmlOf(const Text& text)
{
    if (text.html)
        return text.value;
    std::string out;
    for (const char c : EscapeHtml(text.value))
        out += c == '\n' ? std::string("<br>") : std::string(1, c);
    return out;
}

std::string QuestionPage(const Question& question, const std::string& source)
{
    std::string page = "<!DOCTYPE html>\r\n"
                       "<html lang=\"ru\">\r\n"
                       "<head>\r\n"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
                       "<title>Вопрос теста</title>\r\n";
    if (!source.empty())
        page += std::string("<meta name=\"") + SourceMeta + "\" content=\"" + EscapeHtml(source) + "\">\r\n";
    page += "<style>\r\n";
    // The demo pages' own look, kept inside every page so that a bank needs
    // no other file, and the type sized to the text.
    for (const char c : std::string(DemoQuestionStyle) + LayoutStyle())
        if (c != '\r')
            page += c == '\n' ? std::string("\r\n") : std::string(1, c);
    page += "</style>\r\n"
            "</head>\r\n"
            "<body" + StepClass(question) + ">\r\n"
            "<div class=\"top\">Проверка знаний · вводный инструктаж по охране труда</div>\r\n"
            "<h1>" + HtmlOf(question.text) + "</h1>\r\n"
            "<div class=\"answers\">\r\n";
    for (std::size_t k = 0; k < question.choices.size(); ++k)
        page += "  <div class=\"a\"><span class=\"num\">" + std::to_string(k + 1) + ".</span> <span class=\"text\">"
                + HtmlOf(question.choices[k]) + "</span></div>\r\n";
    page += "</div>\r\n"
            "<div class=\"hint\">Выберите номер правильного ответа внизу окна и нажмите «Ответить !»</div>\r\n"
            "</body>\r\n"
            "</html>\r\n";
    return charset::ToCp1251WithReferences(page);
}

std::string AnswerKeyText(const std::vector<Question>& questions)
{
    std::string key;
    for (const auto& question : questions)
        key += std::to_string(question.right) + "\r\n";
    return key;
}

} // namespace bank
