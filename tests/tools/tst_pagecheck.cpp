// What the checker finds inside the pages: references that lead nowhere,
// outside the station or to the key, letters that will come out garbled,
// question pages without three numbered choices, and a key that one answer
// number dominates.
#include "tools/ContentCheck.h"

#include "Findings.h"
#include "StationFolder.h"

#include <QtTest>

namespace fs = std::filesystem;
using namespace fixture;

namespace {

const QString FivePagesNote = "TESTS: к сведению: страниц ровно пять";

QByteArray Cp1251(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x410 && u <= 0x44F)
            out += char(u - 0x410 + 0xC0);
        else
            QTest::qFail("no such letter in the test's code page", __FILE__, __LINE__);
    }
    return out;
}

QStringList Findings(const fs::path& root)
{
    QStringList lines = Lines(contentcheck::CheckStation(root));
    lines.removeIf([](const QString& line) { return line.startsWith(FivePagesNote); });
    return lines;
}

} // namespace

class PageCheckTest : public QObject {
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
    void keyDominatedByOneAnswer_data();
    void keyDominatedByOneAnswer();
    void hugeAndDeepPagesAreHandled();
};

void PageCheckTest::findings_data()
{
    QTest::addColumn<QString>("file");        // the page written
    QTest::addColumn<QByteArray>("page");     // its bytes
    QTest::addColumn<QStringList>("entries"); // more entries of the folder
    QTest::addColumn<QStringList>("expected"); // each finding starts so, in order

    const QByteArray head = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>\n";
    const QString study = "res/INSTR.htm";
    const QString question = "TESTS/TEST2.htm";
    const QByteArray choices = "<p>1. да</p><p>2. нет</p><p>3. не знаю</p>\n";

    QTest::newRow("picture missing")
        << study << head + "<p>План</p>\n<img src=\"plan.png\">" << QStringList()
        << QStringList{"res/INSTR.htm:3: картинка «plan.png»: такого файла нет — на её месте будет пустое место"};
    QTest::newRow("picture there") << study << head + "<img src='plan.png' alt=''>" << QStringList{"res/plan.png"}
                                   << QStringList();
    QTest::newRow("picture name in another case")
        << study << head + "<img src=\"plan.png\">" << QStringList{"res/Plan.PNG"}
        << QStringList{"res/INSTR.htm:2: картинка «plan.png»: такого файла нет (есть «Plan.PNG», но регистр букв в "
                       "имени важен) — на её месте будет пустое место"};
    QTest::newRow("style missing")
        << question << QByteArray("<html><head><link rel=\"stylesheet\" href=\"style.css\"></head>\n<body>") + choices
        << QStringList()
        << QStringList{"TESTS/TEST2.htm:1: стиль «style.css»: такого файла нет — страница будет без этого оформления"};
    QTest::newRow("frame missing") << study << head + "\n<iframe src=\"video/intro.htm\"></iframe>" << QStringList()
                                   << QStringList{"res/INSTR.htm:3: рамка «video/intro.htm»: такого файла нет — она "
                                                  "останется пустой"};
    QTest::newRow("link to a missing page")
        << study << head + "<a href=\"rules.htm\">Правила</a>" << QStringList()
        << QStringList{"res/INSTR.htm:2: ссылка «rules.htm»: такого файла нет — перейти по ней не получится"};
    QTest::newRow("links within the folder are allowed")
        << study
        << head + "<a href=\"#s1\">1</a> <a href=\"../TESTS/TEST1.htm\">q</a> <a href=\"rules%20of%20site.htm?x#top\">r</a>"
                  " <img src=\"data:image/png;base64,AAAA\"> <a href=\"javascript:void(0)\">j</a>"
        << QStringList{"res/rules of site.htm"} << QStringList();
    QTest::newRow("outside the folder")
        << study << head + "<img src=\"../../logo.png\">\n<img src=\"/usr/share/pixmaps/x.png\">\n<img src=\"file:///etc/hostname\">"
        << QStringList()
        << QStringList{"res/INSTR.htm:2: картинка «../../logo.png» ведёт за пределы папки станции, а станция "
                       "показывает только свою папку — на её месте будет пустое место",
                       "res/INSTR.htm:3: картинка «/usr/share/pixmaps/x.png» ведёт за пределы папки станции",
                       "res/INSTR.htm:4: картинка «file:///etc/hostname» ведёт за пределы папки станции"};
    QTest::newRow("the web")
        << question
        << head + choices + "<img src=\"https://example.org/a.png\">\n<script src=\"//cdn.example.org/x.js\"></script>\n"
                            "<a href=\"mailto:ot@example.org\">почта</a>"
        << QStringList()
        << QStringList{"TESTS/TEST2.htm:3: картинка «https://example.org/a.png» ведёт в интернет, а у станции нет сети "
                       "— на её месте будет пустое место",
                       "TESTS/TEST2.htm:4: скрипт «//cdn.example.org/x.js» ведёт в интернет, а у станции нет сети — "
                       "он не выполнится",
                       "TESTS/TEST2.htm:5: ссылка «mailto:ot@example.org»: такие адреса станция не открывает"};
    QTest::newRow("a base on the web moves relative references there")
        << study << QByteArray("<html><head><base href=\"http://intranet/briefing/\"></head>\n<body><img src=\"plan.png\">")
        << QStringList{"res/plan.png"}
        << QStringList{"res/INSTR.htm:2: картинка «plan.png» ведёт в интернет"};
    QTest::newRow("the answer key")
        << study << head + "<a href=\"../TESTS/ANS.a\">ответы</a>" << QStringList()
        << QStringList{"res/INSTR.htm:2: ссылка «../TESTS/ANS.a» ведёт на ключ ответов, а его станция не показывает — "
                       "перейти по ней не получится"};
    QTest::newRow("a Windows path")
        << study << head + "<img src=\"C:\\Инструктаж\\plan.png\">" << QStringList()
        << QStringList{"res/INSTR.htm:2: картинка «C:\\\\Инструктаж\\\\plan.png»: это путь на диске Windows"};
    QTest::newRow("windows-1251 page linking to a Cyrillic name")
        << study
        << QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head>\n<body>")
               + Cp1251("<p>Схема</p><img src=\"схема выходов.png\"><img src=\"нет такой.png\">")
        << QStringList{"res/схема выходов.png"}
        << QStringList{"res/INSTR.htm:2: картинка «нет такой.png»: такого файла нет"};
    QTest::newRow("no charset declared, text in windows-1251")
        << question << QByteArray("<html><body>\n<p>\n") + Cp1251("Вопрос") + "</p>" + choices << QStringList()
        << QStringList{"TESTS/TEST2.htm:3: кодировка страницы не объявлена, а текст не в UTF-8 (похоже, windows-1251) — "
                       "станция покажет вместо букв кракозябры; объявите её в <head>"};
    QTest::newRow("no charset declared, text in UTF-8") << question << QByteArray("<p>Вопрос</p>") + choices << QStringList()
                                                        << QStringList();
    QTest::newRow("UTF-8 declared, text in windows-1251")
        << question << head + Cp1251("<p>Вопрос</p>") + choices << QStringList()
        << QStringList{"TESTS/TEST2.htm:2: объявлена кодировка UTF-8, а текст не в UTF-8 (похоже, windows-1251) — "
                       "станция покажет вместо букв кракозябры"};
    QTest::newRow("windows-1251 declared, text in UTF-8")
        << question << QByteArray("<meta charset=\"windows-1251\">\n<p>Вопрос</p>") + choices << QStringList()
        << QStringList{"TESTS/TEST2.htm:2: объявлена кодировка windows-1251, а текст в UTF-8 — станция покажет вместо "
                       "букв кракозябры"};
    QTest::newRow("question page without numbered choices")
        << question << head + "<p>Вопрос?</p><p>Да</p><p>Нет</p><p>10.5 %</p>" << QStringList()
        << QStringList{"TESTS/TEST2.htm: к сведению: на странице не видно трёх вариантов ответа с номерами «1.», "
                       "«2.», «3.» — а человек выбирает ответ по номеру под страницей"};
    QTest::newRow("choices as a numbered list") << question << head + "<ol><li>да<li>нет<li>не знаю</ol>"
                                                << QStringList() << QStringList();
    QTest::newRow("choices numbered with brackets, inside one paragraph")
        << question << head + "<p>Вопрос? 1) да; 2) нет; 3) не знаю</p>" << QStringList() << QStringList();
}

void PageCheckTest::findings()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, page);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);

    StationFolder station;
    station.Add(Entries(5)).Key(ValidKey(5)).Add(entries).File(file.toStdString(), page);
    const QStringList lines = Findings(station.Root());
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (!lines[k].startsWith(expected[k]))
            QFAIL(qPrintable(QString("line %1:\n  %2\nexpected to start with\n  %3").arg(k).arg(lines[k], expected[k])));
    }
}

void PageCheckTest::keyDominatedByOneAnswer_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QString>("expected"); // the key's note, or empty for none
    QTest::addColumn<int>("minPass");      // the stated chance lies in this range
    QTest::addColumn<int>("maxPass");

    QTest::newRow("balanced") << 6 << QByteArray("1\n2\n3\n1\n2\n3\n") << QString() << 0 << 0;
    QTest::newRow("half is not more than half") << 6 << QByteArray("2\n2\n2\n1\n3\n1\n") << QString() << 0 << 0;
    QTest::newRow("all five the same")
        << 5 << QByteArray("3\n3\n3\n3\n3\n")
        << "TESTS/ANS.a: к сведению: вопросов с верным ответом 3: 5 из 5 (100 %) — человек, который всегда выбирает 3, "
           "сдаст тест примерно в 100 % случаев (со второй попыткой); перемешайте номера верных ответов"
        << 100 << 100;
    QTest::newRow("ten of twelve")
        << 12 << QByteArray("2\n2\n2\n2\n1\n2\n2\n2\n3\n2\n2\n2\n")
        << "TESTS/ANS.a: к сведению: вопросов с верным ответом 2: 10 из 12 (83 %) — человек, который всегда выбирает 2"
        << 40 << 75;
    QTest::newRow("three of five cannot pass")
        << 5 << QByteArray("1\n1\n1\n2\n3\n")
        << "TESTS/ANS.a: к сведению: вопросов с верным ответом 1: 3 из 5 (60 %) — человек, который всегда выбирает 1, "
           "сдаст тест меньше чем в 1 % случаев"
        << 0 << 0;
}

void PageCheckTest::keyDominatedByOneAnswer()
{
    QFETCH(int, pages);
    QFETCH(QByteArray, key);
    QFETCH(QString, expected);
    QFETCH(int, minPass);
    QFETCH(int, maxPass);

    StationFolder station;
    const fs::path root = station.Add(Entries(pages)).Key(key).Root();
    QStringList notes = Findings(root).filter("TESTS/ANS.a");
    if (expected.isEmpty()) {
        QVERIFY2(notes.isEmpty(), qPrintable(notes.join('\n')));
        return;
    }
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes[0].startsWith(expected), qPrintable(notes[0]));
    const auto match = QRegularExpression("сдаст тест примерно в (\\d+) %").match(notes[0]);
    if (match.hasMatch()) {
        QVERIFY2(match.captured(1).toInt() >= minPass && match.captured(1).toInt() <= maxPass, qPrintable(notes[0]));
    }
    QCOMPARE(Lines(contentcheck::CheckStation(root)).filter("TESTS/ANS.a"), notes); // the same on every check
}

void PageCheckTest::hugeAndDeepPagesAreHandled()
{
    // Deeply nested markup and a long page with thousands of references.
    StationFolder station;
    const fs::path root = station.Add(Entries(5)).Key(ValidKey(5)).Root();
    std::string deep = "<meta charset=utf-8>";
    for (int k = 0; k < 4000; ++k)
        deep += "<div>";
    deep += "<img src=\"deep.png\">";
    station.Study(deep);
    std::string many = "<meta charset=utf-8><p>1. a</p><p>2. b</p><p>3. c</p>\n";
    for (int k = 0; k < 5000; ++k)
        many += "<img src=\"x" + std::to_string(k % 3) + ".png\">\n";
    station.Question(3, many).File("TESTS/x0.png", "png");
    const QStringList lines = Findings(root);
    QCOMPARE(lines.filter("res/INSTR.htm:1: картинка «deep.png»: такого файла нет").size(), 1);
    // A page with thousands of broken references gets a hundred lines and a sum.
    QCOMPARE(lines.filter(QRegularExpression("^TESTS/TEST3.htm:\\d+: картинка «x[12].png»: такого файла нет")).size(),
             100);
    QCOMPARE(lines.filter("TESTS/TEST3.htm: к сведению: на странице ещё 3233 таких находок, они не показаны").size(), 1);
    QCOMPARE(lines.filter("TESTS/TEST3.htm:3: картинка «x1.png»").size(), 1); // the first ones, in order

    // Nesting too deep for the parser in reasonable time: said, not parsed.
    std::string deeper = "<meta charset=utf-8>";
    for (int k = 0; k < 100000; ++k)
        deeper += "<div><span>";
    station.Study(deeper);
    QCOMPARE(Findings(root).filter("res/INSTR.htm").join('\n'),
             "res/INSTR.htm: к сведению: элементы страницы вложены друг в друга глубже 4096 уровней: она не проверялась");
}

QTEST_APPLESS_MAIN(PageCheckTest)
#include "tst_pagecheck.moc"
