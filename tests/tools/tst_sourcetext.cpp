// Reading the operator's question file: which character set it is in, what
// is not text at all, and the conversions both ways.
#include "tools/Charset.h"
#include "tools/SourceText.h"
#include "tools/Text.h"

#include "OrdinaryUser.h"
#include "StationFolder.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string Cp1251Question = "\xC2\xEE\xEF\xF0\xEE\xF1"; // "Вопрос" in windows-1251
const std::string Utf8Question = "Вопрос";

QString Decoded(const std::string& bytes, QString* encoding = nullptr)
{
    std::vector<bank::Finding> problems;
    const auto source = bank::DecodeSource(bytes, problems);
    if (!source) {
        QStringList lines;
        for (auto problem : problems) {
            problem.file = "q.txt";
            lines << QString::fromStdString(contentcheck::FormatFinding(problem));
        }
        return "ERROR " + lines.join(" | ");
    }
    if (encoding)
        *encoding = QString::fromStdString(source->encoding);
    return QString::fromStdString(source->text);
}

} // namespace

class SourceTextTest : public QObject {
    Q_OBJECT
private slots:
    void characterSets_data();
    void characterSets();
    void notText_data();
    void notText();
    void filesThatCannotBeRead();
    void plainText_data();
    void plainText();
    void windows1251KeepsEveryCharacter();
};

void SourceTextTest::characterSets_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");

    const QByteArray cp = QByteArray::fromStdString(Cp1251Question);
    QTest::newRow("plain ASCII") << QByteArray("Q?\nA) 1\n") << "Q?\nA) 1\n" << "UTF-8";
    QTest::newRow("UTF-8") << QByteArray("Вопрос?\r\nА) да\r\n") << "Вопрос?\r\nА) да\r\n" << "UTF-8";
    QTest::newRow("form feeds and vertical tabs are blanks") << QByteArray("Q\f1\v2\n") << "Q 1 2\n" << "UTF-8";
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBFВопрос") << "Вопрос" << "UTF-8 с BOM";
    QTest::newRow("windows-1251") << "Q\n" + cp + "?\n\xB9 1 \xAB\xE5\xB8\xBB" << "Q\nВопрос?\n№ 1 «её»"
                                  << "windows-1251";
    QTest::newRow("windows-1251, one letter a line")
        << QByteArray("\xC0\n\xC1\n\xC2") << "А\nБ\nВ" << "windows-1251"; // short lines are no UTF-8 either
}

void SourceTextTest::characterSets()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    QString found;
    QCOMPARE(Decoded(bytes.toStdString(), &found), text);
    QCOMPARE(found, encoding);
}

void SourceTextTest::notText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    const QByteArray cp = QByteArray::fromStdString(Cp1251Question);
    QTest::newRow("empty") << QByteArray() << "q.txt: файл пуст";
    QTest::newRow("only blanks") << QByteArray(" \r\n\t\n") << "q.txt: в файле нет ни одной строки текста";
    QTest::newRow("binary") << QByteArray("Q\nA) 1\n\x01\x02\x00\x05", 10)
                            << "q.txt:3: это не текстовый файл: в строке управляющий байт 0x01";
    QTest::newRow("a C1 control in UTF-8") << QByteArray("Q\nA) 1\xC2\x85\n")
                                           << "q.txt:2: это не текстовый файл: в строке управляющий символ U+0085";
    QTest::newRow("an Excel book")
        << QByteArray("PK\x03\x04\x14\x00", 6)
        << "q.txt: это книга Excel или документ Word, а не текст: сохраните вопросы как «CSV (разделители — точка с "
           "запятой)» или как обычный текст";
    QTest::newRow("an old Word document") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1") << "q.txt: это книга Excel или документ Word";
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEQ\x00", 4)
                            << "q.txt: файл сохранён в UTF-16 («Юникод»): сохраните его как UTF-8 или windows-1251 (ANSI)";
    QTest::newRow("windows-1251, then UTF-8")
        << "Q1 " + cp + "\nA) 1\nQ2 Вопрос\n"
        << "q.txt:3: строка в кодировке UTF-8, а строка 1 — в windows-1251: в файле смешаны две кодировки; сохраните "
           "его целиком в одной";
    QTest::newRow("UTF-8, then windows-1251")
        << "Вопрос\nA) 1\n\n" + cp << "q.txt:4: строка в кодировке windows-1251, а строка 1 — в UTF-8";
    QTest::newRow("BOM, then windows-1251")
        << "\xEF\xBB\xBFQ\n" + cp
        << "q.txt:2: строка не в UTF-8, хотя файл начинается с метки UTF-8 (BOM): в файле смешаны две кодировки";
    QTest::newRow("a byte that is no letter anywhere")
        << "Q\n" + cp + "\x98\n" << "q.txt:2: байт 0x98 не буква ни в UTF-8, ни в windows-1251";
}

void SourceTextTest::notText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const QString found = Decoded(bytes.toStdString());
    QVERIFY2(found.startsWith("ERROR " + error), qPrintable(found));
    QVERIFY2(!found.contains(" | "), qPrintable(found)); // one line per problem, one problem here
}

void SourceTextTest::filesThatCannotBeRead()
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    const auto problem = [](const fs::path& file) {
        std::vector<bank::Finding> problems;
        const bool read = bank::ReadSource(file, problems).has_value();
        return read ? QString("read") : QString::fromStdString(problems.at(0).text);
    };
    QCOMPARE(problem(root / "missing.txt"), QString("файла нет"));
    QCOMPARE(problem(root), QString("это папка, а не файл с вопросами"));

    // 100 MB: refused by its size, without reading it.
    const fs::path big = root / "big.txt";
    fixture::WriteFile(big, "Q");
    fs::resize_file(big, 100u << 20);
    QCOMPARE(problem(big), QString("файл слишком большой (100,0 МБ): файл вопросов не бывает больше 64,0 МБ — проверьте, "
                                   "тот ли это файл"));

    // A pipe has no size: read up to the limit and no further (the writer
    // then finds the pipe closed).
    ::signal(SIGPIPE, SIG_IGN);
    const fs::path pipe = root / "pipe";
    QVERIFY(::mkfifo(pipe.c_str(), 0600) == 0);
    std::thread writer([&] {
        std::ofstream out(pipe, std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int k = 0; k < 65 && out; ++k)
            out << block;
    });
    QCOMPARE(problem(pipe), QString("файл больше 64,0 МБ: файл вопросов не бывает таким большим — проверьте, тот ли "
                                    "это файл"));
    writer.join();

    const fs::path locked = root / "locked.txt";
    fixture::WriteFile(locked, "Q");
    fs::permissions(locked, fs::perms::none);
    ordinaryuser::OpenPathTo(root);
    QCOMPARE(QString::fromStdString(ordinaryuser::Run([&] { return problem(locked).toStdString(); })),
             QString("файл не открывается для чтения"));
}

void SourceTextTest::plainText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines"); // as split, each line's first byte on its line number
    QTest::addColumn<QByteArray>("trimmed"); // blanks and no-break spaces off both ends
    QTest::addColumn<QByteArray>("lower");
    QTest::addColumn<bool>("utf16"); // begins with UTF-16's mark
    const QByteArray mixed("a\r\nb\rc\n\nd");
    QTest::newRow("every line end") << mixed << QStringList{"a", "b", "c", "", "d"} << mixed << mixed << false;
    QTest::newRow("an end at the end adds no line") << QByteArray("A\n") << QStringList{"A"} << QByteArray("A")
                                                    << QByteArray("a\n") << false;
    QTest::newRow("CR before CR LF") << QByteArray("\r\r\n") << QStringList{"", ""} << QByteArray() << QByteArray("\r\r\n")
                                     << false;
    QTest::newRow("empty") << QByteArray() << QStringList{} << QByteArray() << QByteArray() << false;
    QTest::newRow("blanks only") << QByteArray(" \t\f\v\xC2\xA0 ") << QStringList{" \t\f\v\xC2\xA0 "} << QByteArray()
                                 << QByteArray(" \t\f\v\xC2\xA0 ") << false;
    QTest::newRow("no-break spaces among blanks") << QByteArray("\xC2\xA0 \xC2\xA0Ж Z\t\xC2\xA0")
                                                  << QStringList{"\xC2\xA0 \xC2\xA0Ж Z\t\xC2\xA0"} << QByteArray("Ж Z")
                                                  << QByteArray("\xC2\xA0 \xC2\xA0Ж z\t\xC2\xA0") << false;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFQ") << QStringList{"\xEF\xBB\xBFQ"} << QByteArray("\xEF\xBB\xBFQ")
                                << QByteArray("\xEF\xBB\xBFq") << false;
    QTest::newRow("UTF-16 LE mark") << QByteArray("\xFF\xFEQ\0", 4) << QStringList{QString::fromLatin1("\xFF\xFEQ\0", 4)}
                                    << QByteArray("\xFF\xFEQ\0", 4) << QByteArray("\xFF\xFEq\0", 4) << true;
    QTest::newRow("UTF-16 BE mark") << QByteArray("\xFE\xFF\0Q", 4) << QStringList{QString::fromLatin1("\xFE\xFF\0Q", 4)}
                                    << QByteArray("\xFE\xFF\0Q", 4) << QByteArray("\xFE\xFF\0q", 4) << true;
}

void SourceTextTest::plainText()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, trimmed);
    QFETCH(QByteArray, lower);
    QFETCH(bool, utf16);
    const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
    const auto split = tools::SplitLines(view);
    QStringList found;
    for (std::size_t k = 0; k < split.size(); ++k) {
        const auto bytes = QByteArray(split[k].data(), static_cast<qsizetype>(split[k].size()));
        found << (utf16 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes));
        QCOMPARE(tools::LineOf(view, static_cast<std::size_t>(split[k].data() - view.data())), static_cast<int>(k + 1));
    }
    QCOMPARE(found, lines);
    QCOMPARE(QByteArray::fromStdString(std::string(tools::TrimSpaces(view))), trimmed);
    QCOMPARE(QByteArray::fromStdString(tools::LowerAscii(view)), lower);
    QCOMPARE(tools::StartsWithUtf16Bom(view), utf16);
}

void SourceTextTest::windows1251KeepsEveryCharacter()
{
    // Letters the code page has become its bytes; the rest become references.
    QCOMPARE(charset::ToCp1251WithReferences("Ёж № «—» €"), std::string("\xA8\xE6 \xB9 \xAB\x97\xBB \x88"));
    QCOMPARE(charset::ToCp1251WithReferences("✓ 😀 ă"), std::string("&#10003; &#128512; &#259;"));
    QCOMPARE(charset::ToCp1251WithReferences("x\xFFy"), std::string("x&#65533;y")); // no UTF-8 there
    QCOMPARE(charset::ToUtf8("\xC0\xE1", "WINDOWS-1251"), std::optional<std::string>("Аб"));
    QCOMPARE(charset::ToUtf8("\x98", "WINDOWS-1251"), std::optional<std::string>());
    QCOMPARE(charset::ToUtf8("a", "NO-SUCH-SET"), std::optional<std::string>());
    QCOMPARE(charset::CountCharacters("Ёж😀"), std::size_t(3));
    QCOMPARE(charset::FirstInvalidUtf8("ok\xC0\x80"), std::size_t(2)); // overlong
    QCOMPARE(charset::FirstInvalidUtf8("\xED\xA0\x80"), std::size_t(0)); // a surrogate
}

QTEST_APPLESS_MAIN(SourceTextTest)
#include "tst_sourcetext.moc"
