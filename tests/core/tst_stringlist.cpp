#include "toolkit/core/Exception.h"
#include "toolkit/core/StringList.h"

#include "StationFolder.h"

#include <QtTest>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> LinesOf(const tk::TStringList& list)
{
    std::vector<std::string> lines;
    for (int k = 0; k < list.Count(); ++k)
        lines.push_back(list.Strings(k));
    return lines;
}

QByteArray Joined(const std::vector<std::string>& lines)
{
    QByteArray text;
    for (const auto& line : lines)
        text += '[' + QByteArray::fromStdString(line) + ']';
    return text;
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const tk::Exception& error) {
        return error.Message();
    }
    return "no error";
}

} // namespace

class StringListTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void splitsFileIntoLines_data();
    void splitsFileIntoLines();
    void unreadablePathThrowsAndKeepsContent_data();
    void unreadablePathThrowsAndKeepsContent();
    void indexOutsideListThrows_data();
    void indexOutsideListThrows();
    void unsortedListKeepsEveryLine();

private:
    QString WriteFile(const QByteArray& bytes);
    QTemporaryDir dir_;
};

void StringListTest::init() { QVERIFY(dir_.isValid()); }

QString StringListTest::WriteFile(const QByteArray& bytes)
{
    static int counter = 0;
    const QString path = dir_.filePath(QStringLiteral("file%1.txt").arg(++counter));
    fixture::WriteFile(QFile::encodeName(path).toStdString(), bytes);
    return path;
}

void StringListTest::splitsFileIntoLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("lines");

    QTest::newRow("CR LF") << QByteArray("1\r\n2\r\n3\r\n") << QByteArray("[1][2][3]");
    QTest::newRow("LF") << QByteArray("1\n2\n3\n") << QByteArray("[1][2][3]");
    QTest::newRow("CR") << QByteArray("1\r2\r3\r") << QByteArray("[1][2][3]");
    QTest::newRow("mixed") << QByteArray("1\r\n2\n3\r4") << QByteArray("[1][2][3][4]");
    QTest::newRow("LF CR is two line ends") << QByteArray("1\n\r2") << QByteArray("[1][][2]");
    QTest::newRow("CR CR LF is two line ends") << QByteArray("1\r\r\n2") << QByteArray("[1][][2]");
    QTest::newRow("last line without end") << QByteArray("1\n2") << QByteArray("[1][2]");
    QTest::newRow("final CR LF adds nothing") << QByteArray("1\r\n") << QByteArray("[1]");
    QTest::newRow("empty lines kept") << QByteArray("1\n\n\n2\n") << QByteArray("[1][][][2]");
    QTest::newRow("two line ends at end") << QByteArray("1\n\n") << QByteArray("[1][]");
    QTest::newRow("line end alone") << QByteArray("\r\n") << QByteArray("[]");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("blanks and tabs kept") << QByteArray(" 1 \n\t2\t\n") << QByteArray("[ 1 ][\t2\t]");
    QTest::newRow("bytes as they are") << QByteArray("\xC2\xE2\xEE\xE4\n\xFF\0x\n", 8)
                                       << QByteArray("[\xC2\xE2\xEE\xE4][\xFF\0x]", 11);
    QTest::newRow("duplicates kept in order") << QByteArray("2\n1\n2\n2\n") << QByteArray("[2][1][2][2]");
}

void StringListTest::splitsFileIntoLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, lines);
    tk::TStringList list;
    list.Add("left over");
    list.LoadFromFile(WriteFile(bytes).toStdString());
    QCOMPARE(Joined(LinesOf(list)), lines);
}

void StringListTest::unreadablePathThrowsAndKeepsContent_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing file") << dir_.filePath(QStringLiteral("absent.a"));
    QTest::newRow("missing folder") << dir_.filePath(QStringLiteral("absent/ANS.a"));
    QTest::newRow("folder") << dir_.path();
    QTest::newRow("folder with slash") << dir_.path() + '/';
    QTest::newRow("empty path") << QString();
    // A pipe would block the reader for ever, a device would never end.
    const QString pipe = dir_.filePath(QStringLiteral("pipe.a"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0 || QFile::exists(pipe));
    QTest::newRow("named pipe") << pipe;
    QTest::newRow("device") << QStringLiteral("/dev/zero");
}

void StringListTest::unreadablePathThrowsAndKeepsContent()
{
    QFETCH(QString, path);
    tk::TStringList list;
    list.Add("kept");
    QCOMPARE(ErrorOf([&] { list.LoadFromFile(path.toStdString()); }),
             "Cannot open file " + path.toStdString());
    QCOMPARE(Joined(LinesOf(list)), QByteArray("[kept]"));
}

void StringListTest::indexOutsideListThrows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::newRow("minus one") << 3 << -1;
    QTest::newRow("count") << 3 << 3;
    QTest::newRow("far beyond") << 3 << 1000000;
    QTest::newRow("most negative") << 3 << INT32_MIN;
    QTest::newRow("empty list, zero") << 0 << 0;
}

void StringListTest::indexOutsideListThrows()
{
    QFETCH(int, count);
    QFETCH(int, index);
    tk::TStringList list;
    for (int k = 0; k < count; ++k)
        list.Add(std::to_string(k));
    QCOMPARE(ErrorOf([&] { list.Strings(index); }),
             "List index out of bounds (" + std::to_string(index) + ")");
}

void StringListTest::unsortedListKeepsEveryLine()
{
    tk::TStringList list;
    list.Sorted = true; // stored only: nothing here sorts or folds lines
    for (const char* line : {"b", "a", "B", "b"})
        list.Add(line);
    QCOMPARE(Joined(LinesOf(list)), QByteArray("[b][a][B][b]"));
    list.Clear();
    QCOMPARE(list.Count(), 0);
}

QTEST_APPLESS_MAIN(StringListTest)
#include "tst_stringlist.moc"
