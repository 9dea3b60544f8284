#include "tools/ContentCheck.h"

#include "base/ContentFolders.h"
#include "base/Questions.h"
#include "testing/Draw.h"
#include "testing/QuestionBank.h"
#include "testing/Random.h"
#include "testing/TestRunState.h"
#include "tools/KeyLine.h"
#include "tools/PageCheck.h"
#include "tools/Text.h"
#include "toolkit/core/Exception.h"
#include "toolkit/core/HeldPage.h"
#include "toolkit/core/StrToInt.h"
#include "toolkit/core/StringList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <ostream>
#include <set>
#include <system_error>
#include <tuple>

namespace fs = std::filesystem;

namespace contentcheck {
namespace {

using station::BankFolder;
using station::KeyFile;
using station::KeyName;
using station::StudyPage;

// Findings are sorted by where they are: the study page, the bank folder,
// the pages by number (odd names last), then the key by line.
enum Area { AreaStudy, AreaBank, AreaPages, AreaKey };
constexpr std::int64_t AfterAllNumbers = std::numeric_limits<std::int64_t>::max();

class Findings {
public:
    void Add(Severity severity, Area area, std::int64_t order, const std::string& file, int line,
             std::string text)
    {
        items_.push_back({{line, std::move(text), severity, file}, area, order, items_.size()});
    }

    std::vector<Finding> Sorted()
    {
        std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
            return std::tie(a.finding.severity, a.area, a.order, a.finding.file, a.finding.line, a.seq)
                   < std::tie(b.finding.severity, b.area, b.order, b.finding.file, b.finding.line, b.seq);
        });
        std::vector<Finding> sorted;
        for (auto& item : items_)
            sorted.push_back(std::move(item.finding));
        return sorted;
    }

private:
    struct Item {
        Finding finding;
        Area area;
        std::int64_t order;
        std::size_t seq;
    };
    std::vector<Item> items_;
};

// What an entry is when it is not a plain file that can be shown or read;
// empty for a plain file (a link to one included).
std::string NotAFile(const fs::path& path)
{
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (fs::is_regular_file(status))
        return {};
    if (fs::is_directory(status))
        return "папка";
    if (fs::is_symlink(fs::symlink_status(path, ec)))
        return "ссылка на несуществующий файл";
    return "канал, сокет или устройство (чтение из него может повесить станцию)";
}

bool Opens(const fs::path& path) { return static_cast<bool>(std::ifstream(path, std::ios::binary)); }

// The station shows a question page from memory (see HeldPage.h); smaller
// pages always fit, whatever their bytes.
bool FitsTheView(const fs::path& path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size < 512 * 1024)
        return true;
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return tk::HeldPageFits(bytes);
}

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::string Str(std::int64_t n) { return std::to_string(n); }

// " (есть «tests», но имя должно быть TESTS)" when the folder holds the name
// in other letter case; empty otherwise.
std::string TwinNote(const fs::path& folder, const std::string& name, const std::string& entry = {})
{
    const auto twin = CaseTwin(folder, name);
    return twin.empty() ? std::string() : " (есть " + entry + "«" + Shown(twin) + "», но имя должно быть " + name + ")";
}

// --- inside the pages ---

void AddPageFindings(const fs::path& folder, const fs::path& page, PageKind kind, Area area, std::int64_t order,
                     const std::string& file, Findings& out)
{
    for (auto& finding : InspectPageFile(page, kind, {folder, {folder / KeyFile}}))
        out.Add(finding.severity, area, order, file, finding.line, std::move(finding.text));
}

// --- the study page ---

void CheckStudyPage(const fs::path& folder, Findings& out)
{
    const auto add = [&](std::string text) { out.Add(Severity::Fault, AreaStudy, 0, StudyPage, 0, std::move(text)); };
    const fs::path page = folder / StudyPage;
    if (!Exists(page)) {
        std::error_code ec;
        add("страницы инструктажа нет — окно инструктажа покажет ошибку вместо материала"
            + (fs::is_directory(folder / station::StudyFolder, ec)
                   ? TwinNote(folder / station::StudyFolder, station::StudyPageName)
                   : TwinNote(folder, station::StudyFolder, "папка ")));
    } else if (const auto kind = NotAFile(page); !kind.empty()) {
        add("это " + kind + ", а не страница — окно инструктажа покажет ошибку вместо материала");
    } else if (!Opens(page)) {
        add("файл не открывается для чтения — окно инструктажа покажет ошибку вместо материала");
    } else {
        AddPageFindings(folder, page, PageKind::Study, AreaStudy, 0, StudyPage, out);
    }
}

// --- the question pages ---

struct PageName {
    bool numbered = false; // the part between TEST and .htm is a page number
    bool exact = false;    // and the name is exactly TEST<n>.htm
    std::int64_t number = 0;
    std::string why; // for a name that is not numbered
};

// `name` matches TEST*.htm in any letter case.
PageName ClassifyPageName(const std::string& name)
{
    PageName page;
    const std::size_t prefix = std::strlen(station::PagePrefix);
    const std::size_t suffix = std::strlen(station::PageSuffix);
    const std::string middle = name.substr(prefix, name.size() - prefix - suffix);
    const bool digits = !middle.empty() && std::all_of(middle.begin(), middle.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (middle.empty()) {
        page.why = "нет номера";
    } else if (!digits) {
        page.why = "в номере не только цифры";
    } else if (middle.find_first_not_of('0') == std::string::npos) {
        page.why = "номера 0 не бывает, нумерация начинается с 1";
    } else if (middle[0] == '0') {
        const auto bare = middle.substr(middle.find_first_not_of('0'));
        page.why = std::string("ноль перед номером, станция открывает ") + station::PagePrefix + bare + station::PageSuffix;
    } else if (middle.size() > 10 || std::stoll(middle) > std::numeric_limits<std::int32_t>::max()) {
        page.why = "номер больше любого, что может выпасть";
    } else {
        page.numbered = true;
        page.number = std::stoll(middle);
        page.exact = name == station::PageName(page.number);
    }
    return page;
}

struct Bank {
    bool folderExists = false;
    int count = 0;
    std::set<std::int64_t> exactNames; // numbers with an entry named exactly TEST<n>.htm
};

Bank CheckPages(const fs::path& folder, Findings& out)
{
    Bank bank;
    const fs::path tests = folder / BankFolder;
    std::error_code ec;
    if (!fs::is_directory(tests, ec)) {
        std::string text;
        if (fs::is_symlink(fs::symlink_status(tests, ec))) {
            text = "это символическая ссылка на «" + Shown(fs::read_symlink(tests, ec).string())
                   + "», а там нет папки — станция не найдёт ни одного вопроса и не начнёт тест";
        } else if (Exists(tests)) {
            text = "это не папка — станция не найдёт ни одного вопроса и не начнёт тест";
        } else {
            text = "папки нет — станция не найдёт ни одного вопроса и не начнёт тест" + TwinNote(folder, BankFolder);
        }
        out.Add(Severity::Fault, AreaBank, 0, BankFolder, 0, text);
        return bank;
    }
    bank.folderExists = true;

    // The station's own count, over the same pattern.
    const std::string pattern = (folder / station::PageSearchPattern).string();
    testrun::TestRunState state;
    bank.count = testrun::CountTests(state, pattern);
    const int count = bank.count;
    const std::vector<std::string> names = testrun::ListPages(pattern);

    for (const auto& name : names) {
        const auto page = ClassifyPageName(name);
        if (page.exact)
            bank.exactNames.insert(page.number);
    }

    for (const auto& name : names) {
        const auto page = ClassifyPageName(name);
        const fs::path path = tests / name;
        const std::string file = std::string(BankFolder) + "/" + Shown(name, 200);
        const auto order = page.numbered ? page.number : AfterAllNumbers;
        const auto add = [&](std::string text) { out.Add(Severity::Fault, AreaPages, order, file, 0, std::move(text)); };
        const bool drawable = page.numbered && page.number <= count;

        if (!page.numbered) {
            add("имя не вида TEST<номер>.htm (" + page.why
                + "): страница посчитана в число вопросов, но станция её никогда не покажет");
        } else if (!page.exact) {
            const auto proper = station::PageName(page.number);
            add("имя отличается от " + proper + " только регистром букв: страница посчитана, но станция открывает "
                + proper
                + (bank.exactNames.count(page.number)
                       ? ", так что эта страница лишняя в счёте"
                       : ", а такого файла нет; переименуйте её в " + proper));
        } else if (const auto kind = NotAFile(path); !kind.empty()) {
            add("это " + kind + ", а не страница: она посчитана в число вопросов"
                + (drawable ? ", номер " + Str(page.number) + " может выпасть, и вместо вопроса станция покажет ошибку"
                            : std::string()));
        } else if (!drawable) {
            add("вопрос никогда не будет задан: страниц посчитано " + Str(count) + ", номера выпадают только от 1 до "
                + Str(count));
        } else if (!Opens(path)) {
            add("файл не открывается для чтения — вместо вопроса станция покажет ошибку");
        } else if (!FitsTheView(path)) {
            add("страница больше, чем станция может показать (около 1,5 МБ): вместо вопроса будет сказано, что "
                "она слишком велика; вынесите картинки из страницы в отдельные файлы");
        } else {
            AddPageFindings(folder, path, PageKind::Question, AreaPages, order, file, out);
        }
    }

    if (count < testrun::QuestionsPerRun) {
        out.Add(Severity::Fault, AreaBank, 0, BankFolder, 0,
                "найдено страниц TEST*.htm: " + Str(count)
                    + ", а нужно не меньше пяти — станция не начнёт тест («Не могу найти тесты!»)");
        return bank;
    }
    for (std::int64_t n = 1; n <= count; ++n) {
        if (!bank.exactNames.count(n))
            out.Add(Severity::Fault, AreaPages, n, station::PageFile(n), 0,
                    "страницы нет, а номер " + Str(n) + " может выпасть (страниц посчитано " + Str(count)
                        + "): вместо вопроса станция покажет ошибку");
    }
    return bank;
}

// --- how often the pages come up ---

struct Shares {
    int last = 0;   // percent of runs that ask the highest page
    double others = 0; // percent of runs that ask one of the others, on average
};

// The station's own draw over a fixed span of seeds, so that the figures are
// the same on every check; `each` gets the five page numbers of every run.
constexpr int SimulatedRuns = 4096;

template <class Each>
void ForEachDraw(int count, Each each)
{
    constexpr std::uint32_t FirstSeed = 1700000000;
    testrun::TestRunState state;
    testrun::Lcg random;
    const testrun::LineSink quiet = [](const std::string&) {};
    for (int run = 0; run < SimulatedRuns; ++run) {
        state.TestCount = count;
        random.Seed(FirstSeed + static_cast<std::uint32_t>(run));
        testrun::DrawQuestions(state, random, quiet);
        each(state.TestNo);
    }
}

int Percent(double share) { return static_cast<int>(100.0 * share + 0.5); }

// Whole percents; below one, two significant digits ("0,01"), never "0".
std::string PercentText(double percent)
{
    if (percent >= 0.995)
        return Str(static_cast<std::int64_t>(percent + 0.5));
    char text[32];
    std::snprintf(text, sizeof text, "%.2g", percent);
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '.', ',');
    return shown;
}

Shares SimulateShares(int count)
{
    int last = 0;
    ForEachDraw(count, [&](const auto& drawn) { last += static_cast<int>(std::count(drawn.begin(), drawn.end(), count)); });
    const double others = double(testrun::QuestionsPerRun * SimulatedRuns - last) / (count - 1);
    return {Percent(double(last) / SimulatedRuns), 100.0 * others / SimulatedRuns};
}

// The figures depend on the count alone; a process that checks many folders
// (the fuzzer) works each out once.
Shares DrawShares(int count)
{
    static std::map<int, Shares> known;
    const auto found = known.find(count);
    return found != known.end() ? found->second : known[count] = SimulateShares(count);
}

void AddDrawNotes(const Bank& bank, Findings& out)
{
    if (bank.count == testrun::QuestionsPerRun) {
        out.Add(Severity::Info, AreaBank, 0, BankFolder, 0,
                "страниц ровно пять — каждый тест задаёт все пять вопросов, меняется только их порядок");
    } else if (bank.count > testrun::QuestionsPerRun) {
        const auto shares = DrawShares(bank.count);
        const std::string last = shares.last < 1 ? "меньше чем в 1 %" : "примерно в " + Str(shares.last) + " %";
        out.Add(Severity::Info, AreaPages, bank.count, station::PageFile(bank.count), 0,
                "последний номер выпадает реже других: жребий даёт номера от 1 до " + Str(bank.count - 1) + ", а "
                    + Str(bank.count) + " достаётся только при совпадении двух номеров; этот вопрос попадает " + last
                    + " тестов, остальные в среднем в " + PercentText(shares.others) + " %");
    }
}

// --- the answer key ---

// One answer number that is right for more than half of the pages lets a
// person pass by always choosing it; say how often, by the station's draw.
void AddDominanceNote(const std::vector<int>& answers, Findings& out)
{
    const int count = static_cast<int>(answers.size());
    for (int value = station::FirstChoice; value <= station::LastChoice; ++value) {
        const int same = static_cast<int>(std::count(answers.begin(), answers.end(), value));
        if (same * 2 <= count)
            continue;
        int allSame = 0;
        ForEachDraw(count, [&](const auto& drawn) {
            allSame += std::all_of(drawn.begin(), drawn.end(), [&](std::int32_t n) { return answers[n - 1] == value; });
        });
        const double once = double(allSame) / SimulatedRuns;
        const int pass = Percent(once + (1 - once) * once); // with the second chance
        out.Add(Severity::Info, AreaKey, 0, KeyFile, 0,
                "вопросов с верным ответом " + Str(value) + ": " + Str(same) + " из " + Str(count) + " ("
                    + Str(Percent(double(same) / count)) + " %) — человек, который всегда выбирает " + Str(value)
                    + ", сдаст тест " + (pass < 1 ? "меньше чем в 1 %" : "примерно в " + Str(pass) + " %")
                    + " случаев (со второй попыткой); перемешайте номера верных ответов");
    }
}

void CheckKey(const fs::path& folder, const Bank& bank, Findings& out)
{
    const auto fault = [&](int line, std::string text) {
        out.Add(Severity::Fault, AreaKey, line, KeyFile, line, std::move(text));
    };
    const std::string noGrading = " — станция покажет ошибку и не сможет проверить ни одного ответа";
    const fs::path key = folder / KeyFile;
    if (!Exists(key)) {
        fault(0, "ключа нет" + noGrading + TwinNote(folder / BankFolder, KeyName));
        return;
    }
    if (const auto kind = NotAFile(key); !kind.empty()) {
        fault(0, "это " + kind + ", а не файл ключа" + noGrading);
        return;
    }
    tk::TStringList lines;
    try {
        lines.LoadFromFile(key.string());
    } catch (const tk::Exception&) {
        fault(0, "ключ не открывается для чтения" + noGrading);
        return;
    }
    const int total = lines.Count();
    if (total > 0 && tools::StartsWithUtf16Bom(lines.Strings(0))) {
        fault(0, "ключ сохранён в UTF-16 («Юникод»)" + noGrading + "; сохраните его как ANSI или UTF-8 без BOM");
        return;
    }

    const int count = bank.count;
    if (count >= testrun::QuestionsPerRun) {
        if (total == 0)
            fault(0, "ключ пуст" + noGrading);
        else if (total < testrun::QuestionsPerRun)
            fault(0, "строк в ключе " + Str(total) + ", а страниц " + Str(count)
                         + " — станция читает ответы, пока в ключе есть строки, и ни в одном тесте не сможет проверить все пять");
        else if (total < count)
            fault(0, "строк в ключе " + Str(total) + ", а страниц " + Str(count) + " — на вопросы с номерами от "
                         + Str(total + 1) + " до " + Str(count) + " ответа нет, станция покажет ошибку");
        else if (total > count)
            out.Add(Severity::Info, AreaKey, 0, KeyFile, 0,
                    "строк в ключе " + Str(total) + ", а страниц " + Str(count) + " — строки начиная с "
                        + Str(count + 1) + "-й не используются");
    }

    // Only lines that a run can read matter: one per countable page.
    std::vector<int> answers;
    for (int k = 1; k <= std::min(total, count); ++k) {
        const std::string& line = lines.Strings(k - 1);
        const std::string question = station::PageName(k);
        if (k == 1 && line.starts_with(tools::Utf8Bom)) {
            fault(k, "файл начинается с метки BOM (сохранён как «UTF-8 с BOM») — станция не прочтёт первую строку"
                     " и не проверит ответ на вопрос " + question + "; сохраните ключ без BOM");
        } else if (const auto problem = KeyLineProblem(line); !problem.empty()) {
            fault(k, problem + " — ответ на вопрос " + question + " станция не прочтёт и покажет ошибку");
        } else if (const auto value = tk::StrToInt(line); value < station::FirstChoice || value > station::LastChoice) {
            fault(k, "ответ " + Str(value) + " вне " + Str(station::FirstChoice) + "–" + Str(station::LastChoice)
                         + " — на вопрос " + question + " нельзя ответить правильно");
        } else {
            answers.push_back(value);
        }
    }
    if (count >= testrun::QuestionsPerRun && static_cast<int>(answers.size()) == count)
        AddDominanceNote(answers, out);
}

} // namespace

std::vector<Finding> BankNotes(const std::vector<int>& answers)
{
    Findings findings;
    Bank bank;
    bank.count = static_cast<int>(answers.size());
    AddDrawNotes(bank, findings);
    if (bank.count >= testrun::QuestionsPerRun)
        AddDominanceNote(answers, findings);
    return findings.Sorted();
}

int Report::Faults() const
{
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.severity == Severity::Fault; }));
}

int Report::Infos() const { return static_cast<int>(findings.size()) - Faults(); }

Report CheckStation(const fs::path& folder)
{
    Findings findings;
    CheckStudyPage(folder, findings);
    const Bank bank = CheckPages(folder, findings);
    if (bank.folderExists) {
        AddDrawNotes(bank, findings);
        CheckKey(folder, bank, findings);
    }
    return {bank.count, findings.Sorted()};
}

std::string CaseTwin(const fs::path& folder, const std::string& name)
{
    const auto lower = tools::LowerAscii(name);
    std::error_code ec;
    std::set<std::string> twins;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto entry = it->path().filename().string();
        if (entry != name && tools::LowerAscii(entry) == lower)
            twins.insert(entry);
    }
    return twins.empty() ? std::string() : *twins.begin();
}

namespace {

constexpr const char* Usage =
    "Использование: briefing-check ПАПКА_СТАНЦИИ\n"
    "Проверяет содержимое станции: страницу res/INSTR.htm, страницы вопросов TESTS/TEST<n>.htm\n"
    "и ключ TESTS/ANS.a. Выводит по строке на каждую находку.\n"
    "Видны ли ответы без прокрутки, проверяет briefing-bank print.\n"
    "Код возврата: 0 — ошибок нет, 1 — есть ошибки, 2 — неверный вызов.\n";

} // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << Usage;
        return 0;
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        err << Usage;
        return 2;
    }
    std::error_code ec;
    if (!fs::is_directory(args[0], ec)) {
        err << "briefing-check: нет папки «" << Shown(args[0], 200) << "»\n";
        return 2;
    }
    try {
        const Report report = CheckStation(args[0]);
        for (const auto& finding : report.findings)
            out << FormatFinding(finding) << '\n';
        // How much of a page the test window shows is for the browser engine
        // to say, with the page's fonts and styles: the print measures it.
        const bool unmeasured = report.testCount > 0;
        if (unmeasured)
            out << BankFolder << ": видны ли вопрос и все ответы в окне теста без прокрутки, здесь не проверить: "
                << "проверьте командой briefing-bank print " << Shown(args[0], 200)
                << " вопросы.pdf — она назовёт страницы, которые не помещаются\n";
        if (report.Faults() > 0)
            out << "Итог: ошибок — " << report.Faults() << ", замечаний — " << report.Infos() << ".\n";
        else if (unmeasured)
            out << "Итог: ошибок нет, замечаний — " << report.Infos()
                << ": станция проведёт любой тест без сбоев; видны ли ответы без прокрутки, не проверено.\n";
        else
            out << "Итог: ошибок нет, замечаний — " << report.Infos() << ": станция проведёт любой тест без сбоев.\n";
        return report.Faults() > 0 ? 1 : 0;
    } catch (const std::exception& error) {
        err << "briefing-check: проверка прервана: " << error.what() << '\n';
        return 1;
    }
}

} // namespace contentcheck
