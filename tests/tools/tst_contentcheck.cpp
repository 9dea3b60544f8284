#include "tools/ContentCheck.h"

#include "Findings.h"
#include "OrdinaryUser.h"
#include "StationFolder.h"

#include <QtTest>

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

using namespace fixture;

const QString FivePagesNote = "TESTS: к сведению: страниц ровно пять — каждый тест задаёт все пять вопросов";

} // namespace

class ContentCheckTest : public QObject {
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
    void demoContentIsClean();
    void unreadablePageAndKey();
    void lastPageShareIsShownAndStable();
    void pageTooLargeToShow();
    void command_data();
    void command();

private:
    QTemporaryDir dir_;
};

void ContentCheckTest::findings_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QStringList>("expected"); // each finding's line starts so, in order
    QTest::addColumn<int>("faults");

    const QString lastOf12 = "TESTS/TEST12.htm: к сведению: последний номер выпадает реже других: жребий даёт номера от 1 до 11";

    QTest::newRow("clean bank of twelve") << Entries(12) << ValidKey(12) << QStringList{lastOf12} << 0;
    QTest::newRow("exactly five pages") << Entries(5) << ValidKey(5) << QStringList{FivePagesNote} << 0;
    QTest::newRow("study page missing, its name in another case")
        << QStringList{"res/instr.htm", "pages 1-5"} << ValidKey(5)
        << QStringList{"res/INSTR.htm: страницы инструктажа нет — окно инструктажа покажет ошибку вместо материала "
                       "(есть «instr.htm», но имя должно быть INSTR.htm)",
                       FivePagesNote}
        << 1;
    QTest::newRow("study page is a folder") << QStringList{"res/INSTR.htm/", "pages 1-5"} << ValidKey(5)
                                            << QStringList{"res/INSTR.htm: это папка, а не страница", FivePagesNote} << 1;
    QTest::newRow("bank folder missing") << QStringList{"res/INSTR.htm", "tests/"} << QByteArray()
                                         << QStringList{"TESTS: папки нет — станция не найдёт ни одного вопроса и не начнёт тест "
                                                        "(есть «tests», но имя должно быть TESTS)"}
                                         << 1;
    QTest::newRow("bank is a file") << QStringList{"res/INSTR.htm", "TESTS"} << QByteArray()
                                    << QStringList{"TESTS: это не папка"} << 1;
    QTest::newRow("bank is a link to nowhere") << QStringList{"res/INSTR.htm", "TESTS@/mnt/usb/TESTS"} << QByteArray()
                                               << QStringList{"TESTS: это символическая ссылка на «/mnt/usb/TESTS», а там "
                                                              "нет папки"}
                                               << 1;
    QTest::newRow("four pages") << Entries(4) << ValidKey(4)
                                << QStringList{"TESTS: найдено страниц TEST*.htm: 4, а нужно не меньше пяти — станция не начнёт тест"}
                                << 1;
    QTest::newRow("empty bank, no key")
        << QStringList{"res/INSTR.htm", "TESTS/"} << QByteArray()
        << QStringList{"TESTS: найдено страниц TEST*.htm: 0", "TESTS/ANS.a: ключа нет — станция покажет ошибку"} << 2;
    QTest::newRow("gap: 1-4 and 6")
        << QStringList{"res/INSTR.htm", "pages 1-4", "TESTS/TEST6.htm"} << ValidKey(5)
        << QStringList{"TESTS/TEST5.htm: страницы нет, а номер 5 может выпасть (страниц посчитано 5)",
                       "TESTS/TEST6.htm: вопрос никогда не будет задан: страниц посчитано 5, номера выпадают только от 1 до 5",
                       FivePagesNote}
        << 2;
    QTest::newRow("gap of two numbers, pages asked never")
        << QStringList{"res/INSTR.htm", "pages 1-4", "pages 7-8"} << ValidKey(8)
        << QStringList{"TESTS/TEST5.htm: страницы нет, а номер 5 может выпасть (страниц посчитано 6)",
                       "TESTS/TEST6.htm: страницы нет, а номер 6 может выпасть",
                       "TESTS/TEST7.htm: вопрос никогда не будет задан",
                       "TESTS/TEST8.htm: вопрос никогда не будет задан",
                       "TESTS/TEST6.htm: к сведению: последний номер выпадает реже других",
                       "TESTS/ANS.a: к сведению: строк в ключе 8, а страниц 6 — строки начиная с 7-й не используются"}
        << 4;
    QTest::newRow("a folder counted as a page")
        << QStringList{"res/INSTR.htm", "pages 1-4", "TESTS/TEST5.htm/"} << ValidKey(5)
        << QStringList{"TESTS/TEST5.htm: это папка, а не страница: она посчитана в число вопросов, номер 5 может выпасть",
                       FivePagesNote}
        << 1;
    QTest::newRow("a dangling link and a pipe")
        << QStringList{"res/INSTR.htm", "pages 1-3", "TESTS/TEST4.htm@gone.htm", "TESTS/TEST5.htm|"} << ValidKey(5)
        << QStringList{"TESTS/TEST4.htm: это ссылка на несуществующий файл, а не страница",
                       "TESTS/TEST5.htm: это канал, сокет или устройство (чтение из него может повесить станцию), а не страница", FivePagesNote}
        << 2;
    QTest::newRow("name in another case, proper name missing")
        << QStringList{"res/INSTR.htm", "pages 1-2", "TESTS/test3.HTM", "pages 4-5"} << ValidKey(5)
        << QStringList{"TESTS/TEST3.htm: страницы нет, а номер 3 может выпасть",
                       "TESTS/test3.HTM: имя отличается от TEST3.htm только регистром букв: страница посчитана, но станция "
                       "открывает TEST3.htm, а такого файла нет; переименуйте её в TEST3.htm",
                       FivePagesNote}
        << 2;
    QTest::newRow("name in another case beside the proper one")
        << QStringList{"res/INSTR.htm", "pages 1-5", "TESTS/Test5.htm"} << ValidKey(6)
        << QStringList{"TESTS/Test5.htm: имя отличается от TEST5.htm только регистром букв: страница посчитана, но станция "
                       "открывает TEST5.htm, так что эта страница лишняя в счёте",
                       "TESTS/TEST6.htm: страницы нет, а номер 6 может выпасть (страниц посчитано 6)",
                       "TESTS/TEST6.htm: к сведению: последний номер"}
        << 2;
    QTest::newRow("odd names are counted and never shown")
        << QStringList{"res/INSTR.htm", "pages 1-5", "TESTS/TEST.htm", "TESTS/TEST0.htm", "TESTS/TEST07.htm",
                       "TESTS/TEST 8.htm", "TESTS/TEST99999999999.htm", "TESTS/TEST1.html", "TESTS/style.css"}
        << ValidKey(10)
        << QStringList{"TESTS/TEST6.htm: страницы нет", "TESTS/TEST7.htm: страницы нет", "TESTS/TEST8.htm: страницы нет",
                       "TESTS/TEST9.htm: страницы нет", "TESTS/TEST10.htm: страницы нет",
                       "TESTS/TEST 8.htm: имя не вида TEST<номер>.htm (в номере не только цифры): страница посчитана в число "
                       "вопросов, но станция её никогда не покажет",
                       "TESTS/TEST.htm: имя не вида TEST<номер>.htm (нет номера)",
                       "TESTS/TEST0.htm: имя не вида TEST<номер>.htm (номера 0 не бывает, нумерация начинается с 1)",
                       "TESTS/TEST07.htm: имя не вида TEST<номер>.htm (ноль перед номером, станция открывает TEST7.htm)",
                       "TESTS/TEST99999999999.htm: имя не вида TEST<номер>.htm (номер больше любого, что может выпасть)",
                       "TESTS/TEST10.htm: к сведению: последний номер"}
        << 10;
    QTest::newRow("key missing, its name in another case")
        << (Entries(5) << "TESTS/ans.A") << QByteArray()
        << QStringList{"TESTS/ANS.a: ключа нет — станция покажет ошибку и не сможет проверить ни одного ответа "
                       "(есть «ans.A», но имя должно быть ANS.a)",
                       FivePagesNote}
        << 1;
    QTest::newRow("key is a folder") << (Entries(5) << "TESTS/ANS.a/") << QByteArray()
                                     << QStringList{"TESTS/ANS.a: это папка, а не файл ключа", FivePagesNote} << 1;
    QTest::newRow("key is a pipe") << (Entries(5) << "TESTS/ANS.a|") << QByteArray()
                                   << QStringList{"TESTS/ANS.a: это канал, сокет или устройство (чтение из него может "
                                                  "повесить станцию), а не файл ключа",
                                                  FivePagesNote}
                                   << 1;
    QTest::newRow("key empty") << Entries(5) << QByteArray("")
                               << QStringList{"TESTS/ANS.a: ключ пуст", FivePagesNote} << 1;
    QTest::newRow("key shorter than five")
        << Entries(6) << ValidKey(3)
        << QStringList{"TESTS/ANS.a: строк в ключе 3, а страниц 6 — станция читает ответы, пока в ключе есть строки, и ни в "
                       "одном тесте не сможет проверить все пять",
                       "TESTS/TEST6.htm: к сведению"}
        << 1;
    QTest::newRow("key shorter than the bank")
        << Entries(12) << ValidKey(10)
        << QStringList{"TESTS/ANS.a: строк в ключе 10, а страниц 12 — на вопросы с номерами от 11 до 12 ответа нет", lastOf12}
        << 1;
    QTest::newRow("unreadable key lines")
        << Entries(8) << QByteArray("1\r\n2 \r\n\r\nabc\n\t3\n99999999999\n3.\n  \n")
        << QStringList{"TESTS/ANS.a:2: строка «2 » не число (лишний пробел или табуляция после числа) — ответ на вопрос "
                       "TEST2.htm станция не прочтёт и покажет ошибку",
                       "TESTS/ANS.a:3: пустая строка — ответ на вопрос TEST3.htm",
                       "TESTS/ANS.a:4: строка «abc» не число — ответ на вопрос TEST4.htm",
                       "TESTS/ANS.a:5: строка «\\t3» не число (табуляция перед числом",
                       "TESTS/ANS.a:6: строка «99999999999» не число (вне диапазона",
                       "TESTS/ANS.a:7: строка «3.» не число (лишние знаки после числа)",
                       "TESTS/ANS.a:8: строка из одних пробелов", "TESTS/TEST8.htm: к сведению"}
        << 7;
    QTest::newRow("answers outside 1 to 3")
        << Entries(5) << QByteArray("0\n4\n-1\n3\n$2\n")
        << QStringList{"TESTS/ANS.a:1: ответ 0 вне 1–3 — на вопрос TEST1.htm нельзя ответить правильно",
                       "TESTS/ANS.a:2: ответ 4 вне 1–3", "TESTS/ANS.a:3: ответ -1 вне 1–3", FivePagesNote}
        << 3;
    QTest::newRow("utf-8 bom")
        << Entries(5) << QByteArray("\xEF\xBB\xBF" "1\r\n2\r\n3\r\n1\r\n2\r\n")
        << QStringList{"TESTS/ANS.a:1: файл начинается с метки BOM (сохранён как «UTF-8 с BOM») — станция не прочтёт первую "
                       "строку и не проверит ответ на вопрос TEST1.htm; сохраните ключ без BOM",
                       FivePagesNote}
        << 1;
    QTest::newRow("utf-16") << Entries(5) << QByteArray("\xFF\xFE" "1\0\r\0\n\0", 8)
                            << QStringList{"TESTS/ANS.a: ключ сохранён в UTF-16", FivePagesNote} << 1;
    QTest::newRow("lines the station reads, any line ends")
        << Entries(6) << QByteArray("1\r2\n  3\r\n$2\r+1\n0x3") << QStringList{"TESTS/TEST6.htm: к сведению"} << 0;
    QTest::newRow("bad lines past the bank are never read")
        << Entries(5) << QByteArray("1\n2\n3\n1\n2\nabc\n\n")
        << QStringList{FivePagesNote, "TESTS/ANS.a: к сведению: строк в ключе 7, а страниц 5"} << 0;
}

void ContentCheckTest::findings()
{
    QFETCH(QStringList, entries);
    QFETCH(QByteArray, key);
    QFETCH(QStringList, expected);
    QFETCH(int, faults);

    StationFolder station;
    const auto report = contentcheck::CheckStation(station.Add(entries).Key(key).Root());
    const QStringList lines = Lines(report);

    QCOMPARE(lines.size(), expected.size());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (!lines[k].startsWith(expected[k]))
            QFAIL(qPrintable(QString("line %1:\n  %2\nexpected to start with\n  %3").arg(k).arg(lines[k], expected[k])));
    }
    QCOMPARE(report.Faults(), faults);
    QCOMPARE(report.Infos(), expected.size() - faults);
}

void ContentCheckTest::demoContentIsClean()
{
    const auto report = contentcheck::CheckStation(DEMO_CONTENT_DIR);
    QCOMPARE(report.testCount, 12);
    QCOMPARE(report.Faults(), 0);
    QCOMPARE(report.Infos(), 1);
}

void ContentCheckTest::unreadablePageAndKey()
{
    StationFolder station;
    station.Add(Entries(5)).Key(ValidKey(5));
    station.Permissions("TESTS/TEST2.htm", fs::perms::none).Permissions("TESTS/ANS.a", fs::perms::none);
    const fs::path root = station.Root();
    ordinaryuser::OpenPathTo(root);
    const QString lines = QString::fromStdString(ordinaryuser::Run([&] {
        return Lines(contentcheck::CheckStation(root)).join('\n').toStdString();
    }));
    QCOMPARE(lines.split('\n'), (QStringList{
                        "TESTS/TEST2.htm: файл не открывается для чтения — вместо вопроса станция покажет ошибку",
                        "TESTS/ANS.a: ключ не открывается для чтения — станция покажет ошибку и не сможет проверить ни "
                        "одного ответа",
                        "TESTS: к сведению: страниц ровно пять — каждый тест задаёт все пять вопросов, меняется только их "
                        "порядок"}));
}

void ContentCheckTest::lastPageShareIsShownAndStable()
{
    StationFolder station;
    const fs::path root = station.Add(Entries(10)).Key(ValidKey(10)).Root();
    const QStringList first = Lines(contentcheck::CheckStation(root));
    QCOMPARE(first.size(), 1);
    // The highest page comes up only through a collision: far less often.
    const QRegularExpression share("попадает примерно в (\\d+) % тестов, остальные в среднем в (\\d+) %$");
    const auto match = share.match(first[0]);
    QVERIFY2(match.hasMatch(), qPrintable(first[0]));
    QVERIFY(match.captured(1).toInt() * 2 < match.captured(2).toInt());
    QVERIFY(match.captured(2).toInt() > 40 && match.captured(2).toInt() < 60);
    QCOMPARE(Lines(contentcheck::CheckStation(root)), first);
}

// The station shows a page from memory, up to about 1.5 MB; the check names those over.
void ContentCheckTest::pageTooLargeToShow()
{
    StationFolder station;
    station.Add(Entries(5)).Key(ValidKey(5)).Question(3, std::string(1600 * 1000, 'x'));
    station.Question(4, QuestionText + ("<!--" + std::string(1500 * 1000, 'x') + "-->"));
    const QStringList lines = Lines(contentcheck::CheckStation(station.Root()));
    QVERIFY2(lines.size() == 2 && lines[0].startsWith("TESTS/TEST3.htm: страница больше, чем станция может показать"),
             qPrintable(lines.join('\n')));
}

void ContentCheckTest::command_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // the last line written, or the start of the error text
    QTest::addColumn<QString>("err");

    const QString usage = "Использование: briefing-check ПАПКА_СТАНЦИИ";
    QTest::newRow("no argument") << QStringList{} << 2 << QString() << usage;
    QTest::newRow("two arguments") << QStringList{"a", "b"} << 2 << QString() << usage;
    QTest::newRow("unknown option") << QStringList{"-v"} << 2 << QString() << usage;
    QTest::newRow("help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("no such folder") << QStringList{"@/missing"} << 2 << QString()
                                    << QString("briefing-check: нет папки «@/missing»");
    QTest::newRow("demo content") << QStringList{DEMO_CONTENT_DIR} << 0
                                  << "Итог: ошибок нет, замечаний — 1: станция проведёт любой тест без сбоев; видны ли ответы без прокрутки, не проверено."
                                  << QString();
    QTest::newRow("faults") << QStringList{"@/faulty"} << 1 << "Итог: ошибок — 2, замечаний — 1." << QString();
}

void ContentCheckTest::command()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    // "@" stands for a scratch folder; "@/faulty" lacks the study page and the key.
    const fs::path scratch = fs::path(dir_.path().toStdString()) / "command";
    StationFolder(scratch / "faulty").Add({"pages 1-5"});
    std::vector<std::string> argv;
    for (auto arg : args)
        argv.push_back(arg.replace("@", QString::fromStdString(scratch.string())).toStdString());

    std::ostringstream written, errors;
    QCOMPARE(contentcheck::RunCheckCommand(argv, written, errors), exitCode);
    const QString shownOut = QString::fromStdString(written.str()).trimmed();
    const QString shownErr = QString::fromStdString(errors.str()).replace(QString::fromStdString(scratch.string()), "@");
    if (out.isEmpty())
        QVERIFY(shownOut.isEmpty());
    else if (out.startsWith("Использование"))
        QVERIFY(shownOut.startsWith(out));
    else
        QCOMPARE(shownOut.split('\n').last(), out);
    if (out.endsWith("не проверено."))
        QVERIFY(shownOut.contains("\nTESTS: видны ли вопрос и все ответы в окне теста без прокрутки, здесь не проверить: "
                                  "проверьте командой briefing-bank print " + QString::fromStdString(argv[0]) + " вопросы.pdf"));
    if (err.isEmpty())
        QVERIFY(shownErr.isEmpty());
    else
        QVERIFY2(shownErr.startsWith(err), qPrintable(shownErr));
}

QTEST_APPLESS_MAIN(ContentCheckTest)
#include "tst_contentcheck.moc"
