#include "tools/QuestionPage.h"

#include "tools/Charset.h"

namespace bank {
namespace {

// The look of the demo question pages, kept inside every page so that a bank
// needs no other file. Longer texts get smaller type so that the question
// still fits the test window (985 x 577) without scrolling.
constexpr const char* Style = R"(html { overflow-x: hidden; }
body {
  margin: 0;
  padding: 20px 40px;
  background: #ffffff;
  color: #1c2633;
  font-family: "Liberation Sans", "DejaVu Sans", Arial, Helvetica, sans-serif;
  overflow-wrap: break-word;
}
.top {
  padding-bottom: 8px;
  border-bottom: 3px solid #d7e2f3;
  color: #56606b;
  font-size: 15px;
  letter-spacing: 0.5px;
}
.q {
  margin: 22px 0 24px 0;
  color: #0b2d6b;
  font-size: 32px;
  font-weight: bold;
  line-height: 1.25;
}
.a {
  display: flex;
  align-items: baseline;
  margin: 0 0 14px 0;
  padding: 14px 20px;
  border: 2px solid #c9d6e8;
  border-radius: 10px;
  background: #f4f7fb;
  font-size: 26px;
  line-height: 1.3;
}
.num {
  flex: none;
  min-width: 44px;
  color: #1f5fbf;
  font-weight: bold;
}
.text { flex: 1; }
.hint {
  margin-top: 22px;
  color: #56606b;
  font-size: 17px;
}
body.long .q { margin: 14px 0 16px 0; font-size: 23px; }
body.long .a { margin-bottom: 10px; padding: 9px 16px; font-size: 19px; }
body.long .hint { margin-top: 12px; font-size: 15px; }
body.longer .q { font-size: 18px; }
body.longer .a { padding: 6px 14px; font-size: 16px; }
)";

std::string SizeClass(const Question& question)
{
    const auto text = charset::CountCharacters(question.text.value);
    std::size_t choices = 0;
    for (const auto& choice : question.choices)
        choices += charset::CountCharacters(choice.value);
    if (text > 500 || choices > 600)
        return " class=\"long longer\"";
    if (text > 160 || choices > 240)
        return " class=\"long\"";
    return {};
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

std::string QuestionPage(const Question& question)
{
    std::string page = "<!DOCTYPE html>\r\n"
                       "<html lang=\"ru\">\r\n"
                       "<head>\r\n"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
                       "<title>Вопрос теста</title>\r\n"
                       "<style>\r\n";
    for (const char c : std::string_view(Style))
        page += c == '\n' ? std::string("\r\n") : std::string(1, c);
    page += "</style>\r\n"
            "</head>\r\n"
            "<body" + SizeClass(question) + ">\r\n"
            "<div class=\"top\">Проверка знаний · вводный инструктаж по охране труда</div>\r\n"
            "<div class=\"q\">" + HtmlOf(question.text) + "</div>\r\n"
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
