#include "tools/BankCommand.h"

#include "tools/BankImport.h"

#include <string>

#include <ostream>

namespace bank {
namespace {

const std::string Usage = "Использование:\n"
    "  briefing-bank import [--replace] [--new-station] [--format aiken|gift|csv] ФАЙЛ_ВОПРОСОВ ПАПКА_СТАНЦИИ\n"
    "  briefing-bank print ПАПКА_СТАНЦИИ ФАЙЛ.pdf\n"
    "import делает из файла вопросов (Aiken, GIFT или CSV из Excel; UTF-8 или windows-1251)\n"
    "страницы TESTS/TEST<n>.htm и ключ TESTS/ANS.a. Всё или ничего: при любой ошибке папка\n"
    "станции остаётся как была. Имеющийся банк заменяется только с --replace, и целиком.\n"
    "Папка станции — та, где лежат программа " + std::string(StationProgram) + ", res или TESTS; в другую папку\n"
    "импорт пишет только с --new-station (и создаёт её, если её нет).\n"
    "После импорта выводятся те же замечания о банке, что дают briefing-check и print.\n"
    "print собирает в один PDF страницу инструктажа и все вопросы с верными ответами.\n"
    "Код возврата: 0 — готово, 1 — ошибки (перечислены по строке), 2 — неверный вызов.\n";

int UsageError(std::ostream& err, const std::string& why)
{
    if (!why.empty())
        err << "briefing-bank: " << why << '\n';
    err << Usage;
    return 2;
}

int RunImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    ImportRequest request;
    std::vector<std::string> positional;
    for (std::size_t k = 1; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg == "--replace") {
            request.replace = true;
        } else if (arg == "--new-station") {
            request.newStation = true;
        } else if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
            const std::string name = arg == "--format" ? (k + 1 < args.size() ? args[++k] : "") : arg.substr(9);
            request.format = FormatByName(name);
            if (!request.format)
                return UsageError(err, "формат «" + name + "» неизвестен: aiken, gift или csv");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(err, "неизвестный ключ «" + arg + "»");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        return UsageError(err, "import ждёт два имени: файл вопросов и папку станции");
    request.source = positional[0];
    request.folder = positional[1];
    request.waiting = [&err](const std::string& line) { err << line << std::endl; };

    const ImportOutcome outcome = Import(request);
    for (const auto& line : outcome.errors)
        err << line << '\n';
    for (const auto& line : outcome.notes)
        out << line << '\n';
    if (!outcome.written) {
        err << "Итог: ошибок — " << outcome.errors.size() << "; ничего не записано.\n";
        return 1;
    }
    out << outcome.summary << '\n';
    return 0;
}

} // namespace

int RunBankCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const PrintCommand& print)
{
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << Usage;
        return 0;
    }
    if (args.empty())
        return UsageError(err, "");
    if (args[0] == "import")
        return RunImport(args, out, err);
    if (args[0] == "print") {
        if (args.size() != 3 || args[1].empty() || args[2].empty() || args[1][0] == '-' || args[2][0] == '-')
            return UsageError(err, "print ждёт два имени: папку станции и файл PDF");
        return print(args[1], args[2], out, err);
    }
    return UsageError(err, "неизвестная команда «" + args[0] + "»: import или print");
}

} // namespace bank
