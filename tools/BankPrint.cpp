#include "tools/BankPrint.h"

#include "base/ContentFolders.h"
#include "base/Questions.h"
#include "testing/TestRunState.h"
#include "tools/KeyLine.h"
#include "tools/PdfJoin.h"
#include "tools/PrintPages.h"
#include "tools/QuestionPage.h"
#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"
#include "toolkit/core/StringList.h"
#include "toolkit/engine/Process.h"

#include <QApplication>
#include <QDate>
#include <QEventLoop>

#include <unistd.h>

#include <cstdio>
#include <functional>

#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace bank {
namespace {

constexpr const char* Font = "\"Liberation Sans\", \"DejaVu Sans\", Arial, sans-serif";
constexpr std::size_t MaxListedFindings = 200;

std::string Str(std::int64_t n) { return std::to_string(n); }

// The test window's view the pages are measured in, as the operator reads it.
std::string ViewSizeText()
{
    const QSize view = SmallestQuestionView();
    return Str(view.width()) + "×" + Str(view.height()) + " пикселей, экран 96 точек на дюйм";
}

// The right answer of page `number` as the station reads it from the key.
std::string AnswerFromKey(const tk::TStringList* key, int number)
{
    if (!key)
        return std::string("Ключа ") + station::KeyFile + " нет или он не читается: ответа нет";
    if (number > key->Count())
        return "В ключе нет строки " + Str(number) + ": ответа нет";
    const std::string& line = key->Strings(number - 1);
    try {
        const auto value = tk::StrToInt(line);
        if (value < station::FirstChoice || value > station::LastChoice)
            return "В ключе ответ " + Str(value) + " — вне " + Str(station::FirstChoice) + "–" + Str(station::LastChoice)
                   + ": правильно ответить нельзя";
        return "Правильный ответ: " + Str(value);
    } catch (const tk::Exception&) {
        return "Строка " + Str(number) + " ключа не читается как число («" + contentcheck::Shown(line) + "»): ответа нет";
    }
}

std::string Page(const std::string& title, const std::string& style, const std::string& body)
{
    return "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + EscapeHtml(title)
           + "</title>\n<style>\nbody { margin: 0; color: #1c2633; font-family: " + Font + "; font-size: 15px; }\n"
           + "h1 { margin: 0 0 16px 0; color: #0b2d6b; font-size: 26px; line-height: 1.25; }\n"
           + "h2 { margin: 24px 0 8px 0; padding-bottom: 4px; border-bottom: 2px solid #d7e2f3; color: #0b2d6b; "
             "font-size: 18px; }\n"
           + style + "</style>\n</head>\n<body>\n" + body + "</body>\n</html>\n";
}

std::string FindingList(const std::vector<const contentcheck::Finding*>& findings)
{
    std::string list = "<ul>\n";
    for (std::size_t k = 0; k < findings.size() && k < MaxListedFindings; ++k)
        list += "<li>" + EscapeHtml(contentcheck::FormatFinding(*findings[k])) + "</li>\n";
    if (findings.size() > MaxListedFindings)
        list += "<li>… и ещё " + Str(static_cast<std::int64_t>(findings.size() - MaxListedFindings))
                + ": полный список выводит briefing-check</li>\n";
    return list + "</ul>\n";
}

// Above every page: where it comes from; below a question: its answer.
QString AnnotationScript(const PrintItem& item, int questions)
{
    const QString heading = QString::fromStdString(PageHeading(item, questions));
    const QString headingStyle = QStringLiteral(
        "all: initial; display: block; box-sizing: border-box; margin: 0 0 10px 0; padding: 0 0 4px 0; "
        "border-bottom: 1px solid #c9d6e8; color: #56606b; font: 13px %1;").arg(QString::fromUtf8(Font));
    const QString answerStyle = QStringLiteral(
        "all: initial; display: block; box-sizing: border-box; margin: 18px 0 0 0; padding: 10px 16px; "
        "border: 2px solid #1a9a3c; border-radius: 8px; background: #e9f6ec; color: #0b5d1e; "
        "font: bold 20px %1; break-inside: avoid; -webkit-print-color-adjust: exact;").arg(QString::fromUtf8(Font));
    QString script = QStringLiteral("(function () {"
                                    " var root = document.body || document.documentElement;"
                                    " if (!root) return false;"
                                    " var top = document.createElement('div');"
                                    " top.textContent = %1; top.setAttribute('style', %2);"
                                    // Where the import took the question from: the line to fix.
                                    " var source = document.querySelector('meta[name=\"%3\"]');"
                                    " if (source && source.content) top.textContent += ' · из ' + source.content;"
                                    " root.insertBefore(top, root.firstChild);")
                         .arg(JsString(heading), JsString(headingStyle), QString::fromLatin1(SourceMeta));
    if (item.question > 0)
        script += QStringLiteral(" var answer = document.createElement('div');"
                                 " answer.textContent = %1; answer.setAttribute('style', %2);"
                                 " root.appendChild(answer);")
                      .arg(JsString(QString::fromStdString(item.answer)), JsString(answerStyle));
    return script + QStringLiteral(" return true; })()");
}

// The folder the PDF goes to must take it: said before minutes of rendering.
std::string OutputProblem(const fs::path& pdf)
{
    std::error_code ec;
    const fs::path parent = pdf.parent_path().empty() ? fs::path(".") : pdf.parent_path();
    if (fs::is_directory(pdf, ec))
        return "это папка, а не файл";
    if (!fs::is_directory(parent, ec))
        return "папки «" + parent.string() + "» нет";
    if (::access(parent.c_str(), W_OK) != 0)
        return "в папку «" + parent.string() + "» нельзя записать";
    return {};
}

// A question page measured in the test window's view: one that needs
// scrolling is named; one that could not be measured leaves the fit unsaid.
void NoteScrolling(const PrintItem& item, std::optional<bool> scrolls, PrintPlan& plan, std::ostream& err)
{
    if (!scrolls) {
        plan.measured = false;
    } else if (*scrolls) {
        plan.scrolling.push_back(item.file);
        err << item.file << ": страница не помещается в окне теста без прокрутки (" << ViewSizeText()
            << "): человек может не увидеть вопрос или ответ целиком\n";
    }
}

} // namespace

std::string PageHeading(const PrintItem& item, int questions)
{
    if (item.question == 0)
        return "Материал инструктажа · " + item.file;
    return "Вопрос " + Str(item.question) + " из " + Str(questions) + " · " + item.file;
}

PrintPlan PlanPrint(const fs::path& folder)
{
    PrintPlan plan;
    plan.folder = fs::absolute(folder).lexically_normal().string();
    if (plan.folder.size() > 1 && plan.folder.back() == '/')
        plan.folder.pop_back();
    plan.report = contentcheck::CheckStation(folder);
    plan.questions = plan.report.testCount;

    tk::TStringList key;
    bool keyRead = false;
    try {
        key.LoadFromFile((folder / station::KeyFile).string());
        keyRead = true;
    } catch (const tk::Exception&) {
    }
    const fs::path root = plan.folder;
    plan.items.push_back({station::StudyPage, root / station::StudyPage, 0, {}});
    for (int n = 1; n <= plan.questions; ++n)
        plan.items.push_back({station::PageFile(n), root / station::PageFile(n), n, AnswerFromKey(keyRead ? &key : nullptr, n)});
    return plan;
}

std::string TitlePageHtml(const PrintPlan& plan, const std::string& date)
{
    const auto& report = plan.report;
    std::vector<const contentcheck::Finding*> faults, infos;
    for (const auto& finding : report.findings)
        (finding.severity == contentcheck::Severity::Fault ? faults : infos).push_back(&finding);

    std::string body = "<h1>Вводный инструктаж: материал и вопросы теста с ответами</h1>\n<table class=\"facts\">\n"
                       "<tr><td>Папка станции</td><td>" + EscapeHtml(plan.folder) + "</td></tr>\n"
                       "<tr><td>Вопросов в банке</td><td>" + Str(plan.questions) + " (каждый тест задаёт "
                       + Str(testrun::QuestionsPerRun) + " из них)</td></tr>\n"
                       "<tr><td>Дата</td><td>" + EscapeHtml(date) + "</td></tr>\n</table>\n"
                       "<h2>Проверка содержимого</h2>\n";
    if (faults.empty())
        body += "<p class=\"ok\">Ошибок нет: станция проведёт любой тест без сбоев.</p>\n";
    else
        body += "<p class=\"fault\">Найдено ошибок: " + Str(static_cast<std::int64_t>(faults.size()))
                + ". С таким содержимым станция будет работать неправильно:</p>\n" + FindingList(faults);
    if (!infos.empty())
        body += "<p>Замечания:</p>\n" + FindingList(infos);
    if (plan.measured && plan.scrolling.empty() && plan.questions > 0)
        body += "<p class=\"ok\">Каждая страница вопроса видна в окне теста целиком, без прокрутки (" + ViewSizeText()
                + ").</p>\n";
    if (!plan.scrolling.empty()) {
        body += "<p class=\"fault\">Не помещаются в окне теста без прокрутки (" + ViewSizeText() + "), страниц: "
                + Str(static_cast<std::int64_t>(plan.scrolling.size()))
                + ". Человек может не увидеть вопрос или ответ целиком:</p>\n<ul>\n";
        for (const auto& file : plan.scrolling)
            body += "<li>" + EscapeHtml(file) + "</li>\n";
        body += "</ul>\n";
    }
    body += "<h2>Содержание</h2>\n<p>Материал инструктажа (" + std::string(station::StudyPage) + ")";
    if (plan.questions > 0)
        body += ", затем вопросы 1–" + Str(plan.questions) + " (" + station::PageFile(1) + " … "
                + station::PageName(plan.questions) + "); под каждым вопросом — верный ответ из ключа "
                + station::KeyFile;
    body += ".</p>\n";
    return Page("Вводный инструктаж: материал и вопросы", 
                "table.facts td { padding: 4px 16px 4px 0; vertical-align: top; }\n"
                ".ok { color: #0b5d1e; font-weight: bold; }\n.fault { color: #8b1a1a; font-weight: bold; }\n"
                "ul { margin: 6px 0; padding-left: 20px; }\nli { margin: 3px 0; font-size: 12px; }\n",
                body);
}

std::string StandInPageHtml(const PrintItem& item, int questions, const std::string& why)
{
    QString sentence = QString::fromStdString(why);
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    std::string body = "<p class=\"where\">" + EscapeHtml(PageHeading(item, questions)) + "</p>\n<p class=\"why\">"
                       + EscapeHtml(sentence.toStdString()) + "</p>\n";
    if (item.question > 0)
        body += "<p class=\"answer\">" + EscapeHtml(item.answer) + "</p>\n";
    return Page(item.file,
                ".where { color: #56606b; font-size: 13px; border-bottom: 1px solid #c9d6e8; padding-bottom: 4px; }\n"
                ".why { color: #8b1a1a; font-size: 20px; font-weight: bold; }\n"
                ".answer { padding: 10px 16px; border: 2px solid #1a9a3c; border-radius: 8px; background: #e9f6ec; "
                "color: #0b5d1e; font-size: 20px; font-weight: bold; }\n",
                body);
}

int PrintStation(const std::string& folder, const std::string& pdf, std::ostream& out, std::ostream& err)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        err << "briefing-bank: нет папки «" << folder << "»\n";
        return 1;
    }
    if (const auto problem = OutputProblem(pdf); !problem.empty()) {
        err << pdf << ": " << problem << "\n";
        return 1;
    }
    PrintPlan plan = PlanPrint(folder);
    PageRenderer renderer(QString::fromStdString(plan.folder));
    const std::size_t total = plan.items.size() + 1;
    std::vector<std::string> parts;
    QString why;

    // The first page lists what the pages show: it is rendered once they are.
    err << "Печать 1 из " << total << ": первая страница\n";
    parts.emplace_back();
    plan.measured = true;

    // Two pages in print at once, each in a renderer process of its own: both
    // cores work. The pages are told about and joined in their order.
    struct Printed {
        bool done = false;
        std::optional<QByteArray> pdf;
        QString why;
        std::optional<bool> scrolls; // in the test window's view
    };
    std::vector<Printed> printed(plan.items.size());
    std::size_t next = 0, told = 0;
    QEventLoop loop;
    const auto tell = [&] {
        for (; told < printed.size() && printed[told].done; ++told) {
            err << "Печать " << told + 2 << " из " << total << ": " << plan.items[told].file << "\n";
            if (!printed[told].pdf)
                err << plan.items[told].file << ": " << printed[told].why.toStdString()
                    << " — в PDF вместо неё пояснение\n";
            if (plan.items[told].question > 0)
                NoteScrolling(plan.items[told], printed[told].scrolls, plan, err);
        }
        if (told == printed.size())
            loop.quit();
    };
    std::function<void(PageRenderer*)> feed = [&](PageRenderer* renderer) {
        while (next < plan.items.size()) {
            const std::size_t k = next++;
            const PrintItem& item = plan.items[k];
            if (fs::is_regular_file(item.path, ec)) {
                renderer->StartFile(QString::fromStdString(item.path.string()), AnnotationScript(item, plan.questions),
                                   [&, k, renderer](std::optional<QByteArray> pdf, const QString& failure) {
                                       printed[k] = {true, std::move(pdf), failure, renderer->LastPageScrolls()};
                                       tell();
                                       feed(renderer);
                                   });
                return;
            }
            printed[k] = {true, std::nullopt,
                          item.question ? QStringLiteral("страницы нет: станция покажет вместо этого вопроса ошибку")
                                        : QStringLiteral("страницы инструктажа нет: окно инструктажа покажет ошибку"),
                          std::nullopt};
            tell();
        }
    };
    PageRenderer second(QString::fromStdString(plan.folder));
    feed(&renderer);
    feed(&second);
    if (told < printed.size())
        loop.exec();

    for (std::size_t k = 0; k < plan.items.size(); ++k) {
        std::optional<QByteArray> rendered = std::move(printed[k].pdf);
        if (!rendered) {
            rendered = renderer.RenderHtml(
                QString::fromStdString(StandInPageHtml(plan.items[k], plan.questions, printed[k].why.toStdString())), &why);
            if (!rendered) {
                err << "briefing-bank: печать прервана: " << why.toStdString() << "\n";
                return 1;
            }
        }
        parts.emplace_back(rendered->constData(), static_cast<std::size_t>(rendered->size()));
    }

    const auto title = renderer.RenderHtml(
        QString::fromStdString(TitlePageHtml(plan, QDate::currentDate().toString("dd.MM.yyyy").toStdString())), &why);
    if (!title) {
        err << "briefing-bank: первая страница не напечаталась: " << why.toStdString() << "\n";
        return 1;
    }
    parts.front().assign(title->constData(), static_cast<std::size_t>(title->size()));

    try {
        const int pages = pdfjoin::JoinPdfs(parts, pdf, "Вводный инструктаж: материал и вопросы — " + plan.folder);
        out << "Готово: " << pdf << " — страниц: " << pages << ", вопросов: " << plan.questions << ".\n";
    } catch (const pdfjoin::JoinError& error) {
        err << "briefing-bank: " << error.what() << "\n";
        return 1;
    }
    if (const int faults = plan.report.Faults(); faults > 0)
        out << "Проверка содержимого нашла ошибки (" << faults << "): они перечислены на первой странице PDF.\n";
    if (!plan.scrolling.empty())
        out << "Не помещаются в окне теста без прокрутки страниц: " << plan.scrolling.size()
            << " — они перечислены на первой странице PDF.\n";
    return 0;
}

int RunPrintCommand(int& argc, char** argv, const std::string& folder, const std::string& pdf, std::ostream& out,
                    std::ostream& err)
{
    // The print shows no window: it needs no display unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // As root the engine refuses to start with its sandbox; the tool does
    // what its launcher does (the station program never does this).
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    tk::PrepareProcessEnvironment();
    if (!tk::WebEngineAvailable()) {
        err << "briefing-bank: браузерный движок недоступен (нет его процесса QtWebEngineProcess): печать невозможна\n";
        return 1;
    }
    // The engine reports on its graphics set-up; the operator needs none of it.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication application(argc, argv); // the pages are measured in a view of the test window's size
    return PrintStation(folder, pdf, out, err);
}

} // namespace bank
