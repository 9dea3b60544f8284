// The import as a whole: what it writes, that the station reads back exactly
// the questions and answers imported, and that any fault leaves the station's
// folder as it was.
#include "tools/BankCommand.h"
#include "tools/BankImport.h"
#include "tools/Charset.h"

#include "ShownText.h"
#include "OrdinaryUser.h"
#include "StationFolder.h"
#include "Findings.h"

#include "testing/AnswerKey.h"
#include "testing/Draw.h"
#include "testing/QuestionBank.h"
#include "testing/Random.h"
#include "testing/TestPaths.h"

#include <QtTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace fixture;

namespace {

struct Expected {
    QString question;
    QStringList choices;
    int right = 0;
};

// Aiken text of `count` questions, one of them with characters that need
// escaping or that windows-1251 lacks.
std::string AikenBank(int count)
{
    std::string text;
    for (int n = 1; n <= count; ++n) {
        text += n == 2 ? "Что значит <b> & \"x\" ✓ 😀?\n" : "Вопрос " + std::to_string(n) + "?\n";
        text += "A) первый " + std::to_string(n) + "\nB) второй\nC) третий\nANSWER: " + std::string(1, "ABC"[n % 3]) + "\n\n";
    }
    return text;
}

std::vector<Expected> AikenExpected(int count)
{
    std::vector<Expected> expected;
    for (int n = 1; n <= count; ++n)
        expected.push_back({n == 2 ? "Что значит <b> & \"x\" ✓ 😀?" : QString("Вопрос %1?").arg(n),
                            {QString("первый %1").arg(n), "второй", "третий"}, n % 3 + 1});
    return expected;
}

// What a page shows, read the way a browser reads the page.
QStringList Shown(const std::string& page)
{
    const auto text = charset::ToUtf8(page, "WINDOWS-1251");
    if (!text)
        return {"not windows-1251"};
    QStringList shown;
    for (const auto& part : shown::QuestionAndChoices(*text))
        shown << QString::fromStdString(part);
    return shown;
}

bank::ImportOutcome ImportInto(const fs::path& source, const fs::path& folder, bool replace = false)
{
    bank::ImportRequest request;
    request.source = source;
    request.folder = folder;
    request.replace = replace;
    return bank::Import(request);
}

QStringList Errors(const bank::ImportOutcome& outcome)
{
    QStringList errors;
    for (const auto& line : outcome.errors)
        errors << QString::fromStdString(line);
    return errors;
}

bool NoTemporaryFolders(const fs::path& root)
{
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.path().filename().string().rfind(".TESTS-", 0) == 0)
            return false;
    return true;
}

} // namespace

class BankImportTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripThroughTheStation_data();
    void roundTripThroughTheStation();
    void pageAndKeyBytes();
    void existingBankNeedsReplace();
    void replacementRemovesTheOldBankWhole();
    void failureHalfwayLeavesTheOldBank();
    void interruptedAtAnyMomentLeavesOneWholeBank();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void folderNotWritable();
    void onlyIntoAStationUnlessToldOtherwise();
    void htmlQuestionsMustFindTheirFiles();
    void command_data();
    void command();

private:
    StationFolder NewStation()
    {
        StationFolder station(fs::path(dir_.path().toStdString()) / ("station" + std::to_string(made_++)));
        station.Study("<meta charset=utf-8><p>Инструктаж</p>");
        return station;
    }
    fs::path Source(const std::string& name, const std::string& bytes)
    {
        const fs::path file = fs::path(dir_.path().toStdString()) / ("src" + std::to_string(made_++)) / name;
        WriteFile(file, bytes);
        return file;
    }
    QTemporaryDir dir_;
    int made_ = 0;
};

void BankImportTest::roundTripThroughTheStation_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("cp1251"); // the characters windows-1251 lacks cannot be in such a file

    QTest::newRow("Aiken, UTF-8") << "bank.txt" << QByteArray::fromStdString(AikenBank(12)) << 12 << false;
    QTest::newRow("Aiken, windows-1251")
        << "bank.txt"
        << QByteArray::fromStdString(charset::ToCp1251WithReferences(AikenBank(7))).replace("&#10003;", "").replace("&#128512;", "")
        << 7 << true;
    QTest::newRow("GIFT with escapes")
        << "bank.gift"
        << QByteArray("::1:: Вопрос 1? {~первый 1 =второй ~третий}\n\n"
                      "::2:: Что значит <b> & \"x\" ✓ 😀? {~первый 2 ~второй =третий}\n\n"
                      "Вопрос 3? {=первый 3 ~второй ~третий}\n\n"
                      "// a comment\nВопрос 4? {~первый 4 =второй ~третий}\n\n"
                      "Вопрос 5? {~первый 5 ~второй =третий}\n\nВопрос 6? {=первый 6 ~второй ~третий}\n")
        << 6 << false;
    QTest::newRow("CSV from Excel, UTF-8 with BOM")
        << "bank.csv"
        << QByteArray("\xEF\xBB\xBFВопрос;1;2;3;Верный\r\nВопрос 1?;первый 1;второй;третий;2\r\n"
                      "\"Что значит <b> & \"\"x\"\" ✓ 😀?\";первый 2;второй;третий;3\r\n"
                      "Вопрос 3?;первый 3;второй;третий;1\r\nВопрос 4?;первый 4;второй;третий;2\r\n"
                      "Вопрос 5?;первый 5;второй;третий;3\r\n")
        << 5 << false;
}

void BankImportTest::roundTripThroughTheStation()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(bool, cp1251);
    auto expected = AikenExpected(count);
    if (cp1251)
        expected[1].question = "Что значит <b> & \"x\"  ?";

    const fs::path root = NewStation().Root();
    const auto outcome = ImportInto(Source(name.toStdString(), bytes.toStdString()), root);
    QVERIFY2(outcome.written, qPrintable(Errors(outcome).join('\n')));
    QCOMPARE(outcome.questions, count);

    // The checker passes the folder, and its notes were said by the import.
    const auto report = contentcheck::CheckStation(root);
    QVERIFY2(report.Faults() == 0, qPrintable(Lines(report).join('\n')));
    for (const auto& line : Lines(report))
        QVERIFY2(std::count(outcome.notes.begin(), outcome.notes.end(), (root / line.toStdString()).string()),
                 qPrintable(line));

    // The station's own count, draw, paths and key, over many runs.
    const std::string pattern = (root / "TESTS" / "TEST*.htm").string();
    const testrun::LineSink quiet = [](const std::string&) {};
    std::set<int> asked;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        testrun::TestRunState state;
        testrun::Reset(state);
        QCOMPARE(testrun::CountTests(state, pattern), count);
        testrun::Lcg random;
        random.Seed(seed);
        testrun::DrawQuestions(state, random, quiet);
        testrun::BuildTestPaths(state, root.string() + "/", quiet);
        testrun::LoadAnswerKey(state, quiet);
        for (std::size_t slot = 0; slot < 5; ++slot) {
            const Expected& question = expected[static_cast<std::size_t>(state.TestNo[slot] - 1)];
            QVERIFY(state.AnswerFromKey[slot]);
            QCOMPARE(state.RightAnswer[slot], question.right);
            if (asked.insert(state.TestNo[slot]).second)
                QCOMPARE(Shown(ReadFile(state.TestPath[slot])), QStringList{question.question} + question.choices);
        }
    }
    QCOMPARE(int(asked.size()), count); // every question came up
}

void BankImportTest::pageAndKeyBytes()
{
    const fs::path root = NewStation().Root();
    QVERIFY(ImportInto(Source("q.txt", AikenBank(5)), root).written);
    const std::string page = ReadFile(root / "TESTS" / "TEST2.htm");
    QVERIFY(page.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">") != std::string::npos);
    QVERIFY(page.find("\xD7\xF2\xEE \xE7\xED\xE0\xF7\xE8\xF2 &lt;b&gt; &amp; &quot;x&quot; &#10003; &#128512;?")
            != std::string::npos); // "Что значит" in windows-1251
    QVERIFY(page.find("<span class=\"num\">3.</span>") != std::string::npos);
    QVERIFY(charset::IsAscii(page) || !charset::IsUtf8(page));
    QCOMPARE(ReadFile(root / "TESTS" / "ANS.a"), std::string("2\r\n3\r\n1\r\n2\r\n3\r\n"));
    QCOMPARE(Snapshot(root / "TESTS").size(), std::size_t(6)); // five pages and the key, nothing else
    QVERIFY(NoTemporaryFolders(root));
}

void BankImportTest::existingBankNeedsReplace()
{
    const fs::path root = NewStation().Add({"pages 1-3", "TESTS/test4.HTM"}).Root();
    const auto before = Snapshot(root);
    const auto outcome = ImportInto(Source("q.txt", AikenBank(5)), root);
    QVERIFY(!outcome.written);
    QCOMPARE(Errors(outcome), QStringList{QString::fromStdString((root / "TESTS").string())
                                          + ": здесь уже есть банк вопросов (страниц: 4, ключа ANS.a нет); чтобы "
                                            "заменить его целиком, добавьте --replace"});
    QVERIFY(Snapshot(root) == before);

    // A key alone is a bank too; a folder of pictures alone is not.
    const fs::path keyOnly = NewStation().Key("1\r\n").Root();
    QVERIFY(!ImportInto(Source("q.txt", AikenBank(5)), keyOnly).written);
    const fs::path picturesOnly = NewStation().Add({"TESTS/plan.png"}).Root();
    QVERIFY(ImportInto(Source("q.txt", AikenBank(5)), picturesOnly).written);
    QVERIFY(fs::exists(picturesOnly / "TESTS" / "plan.png"));
}

void BankImportTest::replacementRemovesTheOldBankWhole()
{
    const fs::path root = NewStation()
                              .Add({"pages 1-12", "TESTS/Test13.htm", "TESTS/TEST07.htm", "TESTS/style.css",
                                    "TESTS/pictures/a.png", "TESTS/link.png@pictures/a.png"})
                              .Key(ValidKey(12))
                              .Root();
    const auto outcome = ImportInto(Source("q.txt", AikenBank(6)), root, true);
    QVERIFY2(outcome.written, qPrintable(Errors(outcome).join('\n')));

    QStringList names;
    for (const auto& [name, content] : Snapshot(root / "TESTS"))
        names << QString::fromStdString(name);
    names.sort();
    QCOMPARE(names, (QStringList{"ANS.a", "TEST1.htm", "TEST2.htm", "TEST3.htm", "TEST4.htm", "TEST5.htm", "TEST6.htm",
                                 "link.png", "pictures", "pictures/a.png", "style.css"}));
    QCOMPARE(fs::read_symlink(root / "TESTS" / "link.png"), fs::path("pictures/a.png"));
    QCOMPARE(ReadFile(root / "TESTS" / "ANS.a"), std::string("2\r\n3\r\n1\r\n2\r\n3\r\n1\r\n"));
    QVERIFY(NoTemporaryFolders(root));
    QCOMPARE(contentcheck::CheckStation(root).testCount, 6);
    QVERIFY(QString::fromStdString(outcome.summary).endsWith("прежний банк (страниц: 14) заменён целиком."));
    QVERIFY(std::count_if(outcome.notes.begin(), outcome.notes.end(),
                          [](const std::string& note) { return note.find("оставлены на месте (3: ") != std::string::npos; }));
}

void BankImportTest::failureHalfwayLeavesTheOldBank()
{
    // The fourth page is large (references for characters the code page
    // lacks); a file size limit makes its writing fail, as a full disk would.
    const fs::path root = NewStation().Add({"pages 1-8", "TESTS/style.css"}).Key(ValidKey(8)).Root();
    const auto before = Snapshot(root);
    std::string text = AikenBank(6);
    std::string longQuestion;
    for (int k = 0; k < 400; ++k)
        longQuestion += "✓";
    const std::string fourth = "Вопрос 4?";
    text.replace(text.find(fourth), fourth.size(), longQuestion);
    const fs::path source = Source("q.txt", text);

    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 6000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto outcome = ImportInto(source, root, true);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!outcome.written);
    QCOMPARE(Errors(outcome).size(), 1);
    QVERIFY2(Errors(outcome)[0].contains("/TEST4.htm: файл больше, чем разрешено записывать"), qPrintable(Errors(outcome)[0]));
    QVERIFY(Snapshot(root) == before);
    QVERIFY(NoTemporaryFolders(root));
}

void BankImportTest::interruptedAtAnyMomentLeavesOneWholeBank()
{
    // Ctrl+C (or a shutdown) at some moment of a long import: afterwards the
    // folder holds either the old bank or the whole new one, and nothing else.
    const fs::path source = Source("q.txt", AikenBank(2000));
    for (const int delayMs : {0, 5, 20, 60, 150, 400}) {
        const fs::path root = NewStation().Add({"pages 1-7", "TESTS/plan.png"}).Key(ValidKey(7)).Root();
        const auto before = Snapshot(root);
        // The child starts as from the operator's shell, without the test's crash handler.
        const auto testHandler = ::signal(SIGINT, SIG_DFL);
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(ImportInto(source, root, true).written ? 0 : 1);
        ::signal(SIGINT, testHandler);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(child, SIGINT);
        int status = 0;
        ::waitpid(child, &status, 0);

        QVERIFY(NoTemporaryFolders(root));
        const auto after = Snapshot(root);
        if (after == before)
            continue; // stopped in time: the old bank as it was
        QCOMPARE(contentcheck::CheckStation(root).testCount, 2000);
        QCOMPARE(after.size(), before.size() - 7 - 1 + 2000 + 1); // pages and key replaced, the picture kept
        QVERIFY(after.count("TESTS/plan.png"));
    }
}

void BankImportTest::badInputWritesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error"); // the first error line, after the file name

    const std::string five = AikenBank(5);
    QTest::newRow("empty") << "q.txt" << QByteArray() << ": файл пуст";
    QTest::newRow("binary") << "q.txt" << QByteArray("\x7F" "ELF\x02\x01\x01\x00", 8)
                            << ":1: это не текстовый файл: в строке управляющий байт 0x7F";
    QTest::newRow("a question of 10,000 characters")
        << "q.txt" << QByteArray(10000, 'x') + "\n" + QByteArray::fromStdString(five.substr(five.find('\n') + 1))
        << ":1: вопрос длиннее 400 знаков (10000): на экране теста он не поместится";
    QTest::newRow("choices without a question")
        << "q.txt" << QByteArray::fromStdString("A) 1\nB) 2\nC) 3\nANSWER: A\n\n" + five)
        << ":1: вариант ответа без вопроса";
    QTest::newRow("ANSWER names a missing letter")
        << "q.txt" << QByteArray::fromStdString(five + "Q?\nA) 1\nB) 2\nC) 3\nANSWER: D\n")
        << ":35: в ответе буква D, а варианта с такой буквой нет (есть A, B, C)";
    QTest::newRow("GIFT brace never closed")
        << "q.gift" << QByteArray("Q1 {=a ~b ~c}\n\nQ2 {=a ~b ~c\n") << ":3: фигурная скобка { не закрыта";
    QTest::newRow("CSV quote never closed")
        << "q.csv" << QByteArray("Q1;a;b;c;1\nQ2;\"a;b;c;1\n") << ":2: кавычка открыта и не закрыта до конца файла";
    QTest::newRow("mixed encodings")
        << "q.txt" << QByteArray::fromStdString(five + "\xC2\xEE\xEF\xF0\xEE\xF1?\nA) 1\nB) 2\nC) 3\nANSWER: A\n")
        << ":31: строка в кодировке windows-1251, а строка 1 — в UTF-8";
    QTest::newRow("Moodle XML") << "q.xml" << QByteArray("<?xml version=\"1.0\"?>\n<quiz><question/></quiz>\n")
                                << ": это вопросы в формате Moodle XML: экспортируйте их из Moodle в формате GIFT";
    QTest::newRow("WordPad's RTF") << "q.rtf" << QByteArray("{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Arial;}}\nQ?\\par\n}")
                                   << ": это документ RTF (WordPad или Word), а не простой текст: сохраните его как "
                                      "«Обычный текст» (.txt)";
    QTest::newRow("a web page") << "q.txt" << QByteArray("\xEF\xBB\xBF\n<!DOCTYPE html>\n<html><body>Q? {=a ~b ~c}</body></html>")
                                << ": это веб-страница (HTML)";
    QTest::newRow("GIFT with merge markers left")
        << "q.gift" << QByteArray("Q1 {=a ~b ~c}\n\n<<<<<<< HEAD\nQ2 {=a ~b ~c}\n=======\nQ2 {=b ~a ~c}\n>>>>>>> other\n")
        << ":3: строка «<<<<<<< HEAD» — след неоконченного слияния версий (git)";
    QTest::newRow("fewer than five questions")
        << "q.txt" << QByteArray::fromStdString(AikenBank(4))
        << ": годных вопросов 4, а станции нужно не меньше пяти: тест задаёт пять разных вопросов";
}

void BankImportTest::badInputWritesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);

    const fs::path root = NewStation().Questions(5).Key(ValidKey(5)).Root();
    const auto before = Snapshot(root);
    const fs::path source = Source(name.toStdString(), bytes.toStdString());
    const auto outcome = ImportInto(source, root, true);
    QVERIFY(!outcome.written);
    const QStringList errors = Errors(outcome);
    QVERIFY(!errors.isEmpty());
    QVERIFY2(errors[0].startsWith(QString::fromStdString(source.string()) + error), qPrintable(errors.join('\n')));
    QVERIFY(Snapshot(root) == before);
    QVERIFY(NoTemporaryFolders(root));
}

void BankImportTest::folderNotWritable()
{
    const fs::path source = Source("q.txt", AikenBank(5));
    const auto firstError = [&](const fs::path& folder) {
        const auto errors = Errors(ImportInto(source, folder, true));
        return errors.isEmpty() ? QString() : errors[0];
    };
    const fs::path file = fs::path(dir_.path().toStdString()) / "a-file";
    WriteFile(file, "x");
    QCOMPARE(firstError(file), QString::fromStdString(file.string()) + ": это файл, а не папка станции");
    QCOMPARE(firstError(file.string() + "-missing"),
             QString::fromStdString(file.string())
                 + "-missing: папки нет: укажите папку станции (ту, где лежат res и TESTS); новую станцию создаёт ключ "
                   "--new-station");
    const fs::path bankIsFile = NewStation().File("TESTS", "x").Root();
    QCOMPARE(firstError(bankIsFile),
             QString::fromStdString((bankIsFile / "TESTS").string())
                 + ": это не папка: уберите этот файл, и импорт создаст папку банка");
    const fs::path bankIsLink = NewStation().Folder("bank").Link("TESTS", "bank").Root();
    QCOMPARE(firstError(bankIsLink), QString::fromStdString((bankIsLink / "TESTS").string())
                                         + ": это символическая ссылка на «bank», а не папка: импорт заменяет папку банка "
                                           "целиком и ссылку не заменит; сделайте на её месте папку TESTS");

    // A folder the operator may not write to, tried as an ordinary user.
    const fs::path locked = NewStation().Root();
    const auto before = Snapshot(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                                | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    ordinaryuser::OpenPathTo(dir_.path().toStdString());
    fs::permissions(source.parent_path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(source, fs::perms::others_read, fs::perm_options::add);
    const std::string written = ordinaryuser::Run([&] {
        const auto outcome = ImportInto(source, locked, true);
        return (outcome.written ? "written; " : "") + (outcome.errors.empty() ? std::string() : outcome.errors[0]);
    });
    fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    QCOMPARE(QString::fromStdString(written),
             QString::fromStdString(locked.string()) + ": в папку нельзя записать новый банк — нет прав на запись");
    QVERIFY(Snapshot(locked) == before);
}

void BankImportTest::onlyIntoAStationUnlessToldOtherwise()
{
    // "/opt" meant as "/opt/briefing-station": refused, nothing written.
    const fs::path source = Source("q.txt", AikenBank(5));
    const fs::path opt = fs::path(dir_.path().toStdString()) / "opt";
    WriteFile(opt / "other" / "file", "x");
    const auto before = Snapshot(opt);
    const auto refused = ImportInto(source, opt, true);
    QCOMPARE(Errors(refused), QStringList{QString::fromStdString(opt.string())
                                          + ": это не папка станции: в ней нет ни программы briefing-station, ни папки "
                                            "res (страница инструктажа), ни TESTS (банк вопросов); укажите папку "
                                            "станции, а чтобы сделать новую станцию здесь, добавьте --new-station"});
    QVERIFY(Snapshot(opt) == before);
    // The program alone makes a station's folder.
    WriteFile(opt / "briefing-station", "");
    QVERIFY(ImportInto(source, opt).written);

    // A new station on purpose: the folder is made, and gone again when the import fails.
    bank::ImportRequest request;
    request.source = Source("bad.txt", "Q?\nA) 1\nANSWER: A\n");
    request.folder = opt / "new";
    request.newStation = true;
    QVERIFY(!bank::Import(request).written);
    QVERIFY(!fs::exists(request.folder));
    request.source = source;
    QVERIFY(bank::Import(request).written);
    QCOMPARE(contentcheck::CheckStation(request.folder).testCount, 5);

    // The notes say "0,01 %" where a very large bank once read "0 %".
    const auto notes = contentcheck::BankNotes(std::vector<int>(50000, 2));
    QCOMPARE(notes.size(), std::size_t(2));
    QVERIFY2(notes[0].text.find("остальные в среднем в 0,01 %") != std::string::npos, notes[0].text.c_str());
    QVERIFY2(notes[1].text.find("человек, который всегда выбирает 2, сдаст тест примерно в 100 %") != std::string::npos,
             notes[1].text.c_str());
}

void BankImportTest::htmlQuestionsMustFindTheirFiles()
{
    const std::string rest = "Q2 {=a ~b ~c}\n\nQ3 {=a ~b ~c}\n\nQ4 {=a ~b ~c}\n\nQ5 {=a ~b ~c}\n";
    const fs::path root = NewStation().File("res/plan.png", "png").Root();
    const fs::path good = Source("q.gift", "[html]<p>План: <img src=\"../res/plan.png\"></p>{=a ~b ~c}\n\n" + rest);
    const auto outcome = ImportInto(good, root);
    QVERIFY2(outcome.written, qPrintable(Errors(outcome).join('\n')));
    QCOMPARE(contentcheck::CheckStation(root).Faults(), 0);

    const fs::path other = NewStation().Root();
    const auto before = Snapshot(other);
    const fs::path bad =
        Source("q.gift", rest + "\n::web::[html]<img src=\"http://example.org/a.png\"> и <img src='nowhere.png'>{=a ~b ~c}\n"
                                "\n::key::[html]Вопрос <a href=\"ANS.a\">с ответами</a>{=a ~b ~c}\n");
    QCOMPARE(Errors(ImportInto(bad, other)),
             (QStringList{QString::fromStdString(bad.string())
                              + ":9: в HTML вопроса картинка «http://example.org/a.png» ведёт в интернет, а у станции нет "
                                "сети — на её месте будет пустое место",
                          QString::fromStdString(bad.string())
                              + ":9: в HTML вопроса картинка «nowhere.png»: такого файла нет (нужен TESTS/nowhere.png) — "
                                "на её месте будет пустое место",
                          QString::fromStdString(bad.string())
                              + ":11: в HTML вопроса ссылка «ANS.a» ведёт на ключ ответов, а его станция не показывает — "
                                "перейти по ней не получится"}));
    QVERIFY(Snapshot(other) == before);
    QVERIFY(NoTemporaryFolders(other));
}

void BankImportTest::command_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // start of what was written to each
    QTest::addColumn<QString>("err");

    const QString usage = "Использование:\n  briefing-bank import";
    QTest::newRow("no arguments") << QStringList{} << 2 << QString() << usage;
    QTest::newRow("help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("unknown command") << QStringList{"export"} << 2 << QString()
                                     << "briefing-bank: неизвестная команда «export»: import или print\n" + usage;
    QTest::newRow("import with one name") << QStringList{"import", "@q.txt"} << 2 << QString()
                                          << "briefing-bank: import ждёт два имени: файл вопросов и папку станции";
    QTest::newRow("unknown format") << QStringList{"import", "--format", "xls", "@q.txt", "@st"} << 2 << QString()
                                    << "briefing-bank: формат «xls» неизвестен: aiken, gift или csv";
    QTest::newRow("unknown option") << QStringList{"import", "-f", "@q.txt", "@st"} << 2 << QString()
                                    << "briefing-bank: неизвестный ключ «-f»";
    QTest::newRow("import, with the checker's notes")
        << QStringList{"import", "@q.txt", "@st"} << 0
        << "@st/TESTS: к сведению: страниц ровно пять — каждый тест задаёт все пять вопросов, меняется только их порядок\n"
           "Готово: вопросов 5 из «@q.txt» (Aiken, UTF-8) записаны в @st/TESTS: TEST1.htm … TEST5.htm и ANS.a."
        << QString();
    QTest::newRow("a new station") << QStringList{"import", "--new-station", "@q.txt", "@new"} << 0
                                   << "@new/res/INSTR.htm: к сведению: страницы инструктажа нет" << QString();
    QTest::newRow("import again without --replace")
        << QStringList{"import", "@q.txt", "@st"} << 1 << QString()
        << "@st/TESTS: здесь уже есть банк вопросов (страниц: 5, есть ключ ANS.a); чтобы заменить его целиком, добавьте "
           "--replace\nИтог: ошибок — 1; ничего не записано.";
    QTest::newRow("forced format") << QStringList{"import", "--replace", "--format=gift", "@q.txt", "@st"} << 1
                                   << QString() << "@q.txt:1: текст без блока ответов";
    QTest::newRow("print asks the engine") << QStringList{"print", "@st", "@out.pdf"} << 7 << "printed @st to @out.pdf"
                                           << QString();
    QTest::newRow("print with one name") << QStringList{"print", "@st"} << 2 << QString()
                                         << "briefing-bank: print ждёт два имени: папку станции и файл PDF";
}

void BankImportTest::command()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    // "@" stands for a scratch folder that lives through all the rows.
    static const fs::path scratch = [this] {
        const fs::path folder = fs::path(dir_.path().toStdString()) / "command";
        WriteFile(folder / "q.txt", AikenBank(5));
        StationFolder(folder / "st").Study("<p>Инструктаж</p>");
        return folder;
    }();
    const QString at = QString::fromStdString(scratch.string()) + "/";
    std::vector<std::string> argv;
    for (auto arg : args)
        argv.push_back(arg.replace("@", at).toStdString());
    const bank::PrintCommand print = [](const std::string& folder, const std::string& pdf, std::ostream& written,
                                        std::ostream&) {
        written << "printed " << folder << " to " << pdf;
        return 7;
    };
    std::ostringstream written, errors;
    QCOMPARE(bank::RunBankCommand(argv, written, errors, print), exitCode);
    const QString shownOut = QString::fromStdString(written.str()).replace(at, "@");
    const QString shownErr = QString::fromStdString(errors.str()).replace(at, "@");
    QVERIFY2(out.isEmpty() ? shownOut.isEmpty() : shownOut.startsWith(out), qPrintable(shownOut));
    QVERIFY2(err.isEmpty() ? shownErr.isEmpty() : shownErr.startsWith(err), qPrintable(shownErr));
}

QTEST_APPLESS_MAIN(BankImportTest)
#include "tst_bankimport.moc"
