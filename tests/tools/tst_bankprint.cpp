// The print, as the operator runs it: the built briefing-bank renders the
// pages with the browser engine and the PDF's text (pdftotext) holds every
// question followed by its right answer.
#include "tools/BankImport.h"
#include "tools/BankPrint.h"

#include "StationFolder.h"

#include <QtTest>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace fixture;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

// `environment` replaces the test's own when given.
Result Bank(const QStringList& args, const QProcessEnvironment& environment = QProcessEnvironment())
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(BRIEFING_BANK, args);
    Result result;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        result.err = "did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString PdfText(const fs::path& pdf)
{
    QProcess process;
    process.start("pdftotext", {QString::fromStdString(pdf.string()), "-"});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Each of `parts` occurs in `text`, in this order; returns the first missing.
QString MissingInOrder(const QString& text, const QStringList& parts)
{
    qsizetype at = 0;
    for (const auto& part : parts) {
        at = text.indexOf(part, at);
        if (at < 0)
            return part;
        at += part.size();
    }
    return {};
}

} // namespace

class BankPrintTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    }

    void everyQuestionWithItsRightAnswer()
    {
        StationFolder station;
        const fs::path root = station.Study("<meta charset=utf-8><h1>Материал инструктажа для печати</h1>").Root();
        std::string source;
        const char* letters[] = {"A", "B", "C"};
        for (int n = 1; n <= 7; ++n)
            source += (n == 3 ? std::string("Что значит <b> & \"x\" ✓?") : "Вопрос номер " + std::to_string(n) + "?")
                      + "\nA) первый ответ " + std::to_string(n) + "\nB) второй ответ\nC) третий ответ\nANSWER: "
                      + letters[(n * 2) % 3] + "\n\n";
        WriteFile(root.parent_path() / "q.txt", source);
        bank::ImportRequest request;
        request.source = root.parent_path() / "q.txt";
        request.folder = root;
        QVERIFY(bank::Import(request).written);

        // As the operator runs it under sudo: without the launcher's variable.
        const fs::path pdf = root.parent_path() / "печать.pdf";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (::geteuid() == 0)
            environment.remove("QTWEBENGINE_DISABLE_SANDBOX");
        const Result result = Bank({"print", QString::fromStdString(root.string()), QString::fromStdString(pdf.string())},
                                   environment);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out, QString("Готово: %1 — страниц: 9, вопросов: 7.\n").arg(QString::fromStdString(pdf.string())));
        QVERIFY2(result.err.startsWith("Печать 1 из 9: первая страница\nПечать 2 из 9: res/INSTR.htm\n"
                                       "Печать 3 из 9: TESTS/TEST1.htm\n"),
                 qPrintable(result.err));
        QVERIFY2(result.err.endsWith("Печать 9 из 9: TESTS/TEST7.htm\n"), qPrintable(result.err));

        const QString text = PdfText(pdf);
        QStringList expected{"Вводный инструктаж: материал и вопросы теста с", QString::fromStdString(root.string()),
                             "7 (каждый тест задаёт 5 из них)", QDate::currentDate().toString("dd.MM.yyyy"),
                             "Ошибок нет", "Каждая страница вопроса видна в окне теста целиком, без прокрутки (800×469",
                             "Материал инструктажа · res/INSTR.htm", "Материал инструктажа для печати"};
        for (int n = 1; n <= 7; ++n)
            expected << QString("Вопрос %1 из 7 · TESTS/TEST%1.htm · из q.txt:%2").arg(n).arg(6 * n - 5)
                     << (n == 3 ? QString("Что значит <b> & \"x\" ✓?") : QString("Вопрос номер %1?").arg(n))
                     << QString("1. первый ответ %1").arg(n) << "2. второй ответ" << "3. третий ответ"
                     << QString("Правильный ответ: %1").arg((n * 2) % 3 + 1);
        const QString missing = MissingInOrder(text, expected);
        QVERIFY2(missing.isEmpty(), qPrintable("missing or out of order: " + missing + "\n---\n" + text));
        QCOMPARE(text.count("Правильный ответ:"), 7);
    }

    void aFaultyFolderIsPrintedWithTheFindings()
    {
        // No study page, page 5 missing (page 6 counted instead), an unreadable key line.
        StationFolder station;
        const fs::path root = station.Add({"pages 1-4", "TESTS/TEST6.htm"}).Key("1\r\n2\r\nтри\r\n1\r\n2\r\n3\r\n").Root();
        const fs::path pdf = root.parent_path() / "faulty.pdf";
        const Result result = Bank({"print", QString::fromStdString(root.string()), QString::fromStdString(pdf.string())});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(result.out.endsWith("Проверка содержимого нашла ошибки (4): они перечислены на первой странице PDF.\n"),
                 qPrintable(result.out));
        QVERIFY(result.err.contains("res/INSTR.htm: страницы инструктажа нет: окно инструктажа покажет ошибку — в PDF "
                                    "вместо неё пояснение\n"));
        QVERIFY(result.err.contains("TESTS/TEST5.htm: страницы нет: станция покажет вместо этого вопроса ошибку"));

        const QString text = PdfText(pdf);
        const QString missing = MissingInOrder(
            text, {"Найдено ошибок: 4.", "res/INSTR.htm: страницы инструктажа нет", "TESTS/TEST5.htm: страницы нет",
                   "TESTS/TEST6.htm: вопрос никогда не будет задан", "TESTS/ANS.a:3: строка «три» не число",
                   "Страницы инструктажа нет: окно инструктажа покажет ошибку", "Вопрос 1 из 5 · TESTS/TEST1.htm",
                   "Правильный ответ: 1", "Правильный ответ: 2", "Строка 3 ключа не читается как число («три»): ответа нет",
                   "Вопрос 5 из 5 · TESTS/TEST5.htm", "Страницы нет: станция покажет вместо этого вопроса ошибку",
                   "Правильный ответ: 2"});
        QVERIFY2(missing.isEmpty(), qPrintable("missing or out of order: " + missing + "\n---\n" + text));
    }

    void aPageWhoseScriptNeverLetsGo()
    {
        // The engine is given a while, then the page is shown as not showing
        // and the print goes on with the next one.
        StationFolder station;
        const fs::path root = station.Add(Entries(5)).Key(ValidKey(5)).Root();
        WriteFile(root / "TESTS" / "TEST2.htm", "<meta charset=utf-8><p>1. 2. 3.</p><script>for (;;) {}</script>");
        // A hand-made page taller than the test window's view at 96 ppi.
        WriteFile(root / "TESTS" / "TEST4.htm", "<meta charset=utf-8><p>Вопрос?</p><p style='margin-top: 440px'>1. 2. 3.</p>");
        const fs::path pdf = root.parent_path() / "endless.pdf";
        const Result result = Bank({"print", QString::fromStdString(root.string()), QString::fromStdString(pdf.string())});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(result.err.contains("Печать 6 из 7: TESTS/TEST4.htm\nTESTS/TEST4.htm: страница не помещается в окне теста "
                                     "без прокрутки (800×469 пикселей, экран 96 точек на дюйм)"),
                 qPrintable(result.err));
        QCOMPARE(result.err.count("без прокрутки"), 1);
        QVERIFY(MissingInOrder(PdfText(pdf), {"Не помещаются в окне теста без прокрутки", "Человек может не увидеть",
                                              "TESTS/TEST4.htm", "Вопрос 1 из 5"}).isEmpty());
        QVERIFY2(result.err.contains("TESTS/TEST2.htm: страница не загрузилась за 30 с — в PDF вместо неё пояснение\n"
                                     "Печать 5 из 7: TESTS/TEST3.htm\n"),
                 qPrintable(result.err));
        const QString missing = MissingInOrder(PdfText(pdf), {"Вопрос 2 из 5 · TESTS/TEST2.htm", "Страница не загрузилась за 30 с",
                                                              "Правильный ответ: 2", "Вопрос 3 из 5 · TESTS/TEST3.htm"});
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }

    void pagesReadOnlyWhatTheStationShows()
    {
        // The print reads by the station's own rule: a frame of the folder
        // shows, a file outside it does not, not even through a link inside.
        StationFolder station;
        const fs::path root = station.Add(Entries(5)).Key(ValidKey(5)).Root();
        WriteFile(root.parent_path() / "outside.txt", "ВНЕШНИЙ-ФАЙЛ");
        fs::create_symlink(root.parent_path() / "outside.txt", root / "res" / "inside.txt");
        WriteFile(root / "res" / "part.htm", "<meta charset=utf-8><p>ЧАСТЬ-ПАПКИ</p>");
        WriteFile(root / "res" / "INSTR.htm",
                  "<meta charset=utf-8><p>Инструктаж</p><iframe src=part.htm></iframe>"
                  "<iframe src=../../outside.txt></iframe><iframe src=inside.txt></iframe>"
                  "<iframe src='file://" + (root.parent_path() / "outside.txt").string() + "'></iframe>");
        const fs::path pdf = root.parent_path() / "confined.pdf";
        const Result result = Bank({"print", QString::fromStdString(root.string()), QString::fromStdString(pdf.string())});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains("ЧАСТЬ-ПАПКИ"), qPrintable(text));
        QVERIFY2(!text.contains("ВНЕШНИЙ-ФАЙЛ"), qPrintable(text));
    }

    void nothingWrittenWhenThePdfCannotBe()
    {
        StationFolder station;
        const fs::path root = station.Add(Entries(5)).Key(ValidKey(5)).Root();
        const QString folder = QString::fromStdString(root.string());
        const Result noFolder = Bank({"print", folder, folder + "/missing/out.pdf"});
        QCOMPARE(noFolder.exitCode, 1);
        QCOMPARE(noFolder.err, folder + "/missing/out.pdf: папки «" + folder + "/missing» нет\n");
        const Result isFolder = Bank({"print", folder, folder + "/TESTS"});
        QCOMPARE(isFolder.exitCode, 1);
        QCOMPARE(isFolder.err, folder + "/TESTS: это папка, а не файл\n");
        const Result noStation = Bank({"print", folder + "/nowhere", folder + "/out.pdf"});
        QCOMPARE(noStation.exitCode, 1);
        QCOMPARE(noStation.err, "briefing-bank: нет папки «" + folder + "/nowhere»\n");
        QVERIFY(!fs::exists(root / "out.pdf"));
    }

    void theKeyGivesTheAnswers()
    {
        // What goes below each question, read as the station reads the key.
        StationFolder station;
        const fs::path root = station.Add(Entries(7)).Key(" 2\r\n3 \r\n4\r\n$1\r\n\r\n0x3").Root();
        const auto plan = bank::PlanPrint(root);
        QCOMPARE(plan.questions, 7);
        QStringList answers;
        for (const auto& item : plan.items)
            answers << QString::fromStdString(item.answer);
        QCOMPARE(answers, (QStringList{"", "Правильный ответ: 2",
                                       "Строка 2 ключа не читается как число («3 »): ответа нет",
                                       "В ключе ответ 4 — вне 1–3: правильно ответить нельзя", "Правильный ответ: 1",
                                       "Строка 5 ключа не читается как число («»): ответа нет", "Правильный ответ: 3",
                                       "В ключе нет строки 7: ответа нет"}));
        fs::remove(root / "TESTS" / "ANS.a");
        QCOMPARE(QString::fromStdString(bank::PlanPrint(root).items[1].answer),
                 QString("Ключа TESTS/ANS.a нет или он не читается: ответа нет"));
    }
};

QTEST_APPLESS_MAIN(BankPrintTest)
#include "tst_bankprint.moc"
