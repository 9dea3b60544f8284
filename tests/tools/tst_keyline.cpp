#include "tools/Finding.h"
#include "tools/KeyLine.h"

#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"

#include <QtTest>

#include <string>

class KeyLineTest : public QObject {
    Q_OBJECT
private slots:
    void explainsWhatStrToIntRejects_data();
    void explainsWhatStrToIntRejects();
    void showsBytesSafely_data();
    void showsBytesSafely();
};

void KeyLineTest::explainsWhatStrToIntRejects_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("problem"); // empty: the station reads the line

    QTest::newRow("digit") << QByteArray("2") << QString();
    QTest::newRow("leading spaces") << QByteArray("   3") << QString();
    QTest::newRow("sign") << QByteArray("+1") << QString();
    QTest::newRow("hex") << QByteArray("$2") << QString();
    QTest::newRow("0x hex") << QByteArray("0x3") << QString();
    QTest::newRow("empty") << QByteArray("") << QString("пустая строка");
    QTest::newRow("spaces only") << QByteArray("   ") << QString("строка из одних пробелов");
    QTest::newRow("trailing space") << QByteArray("3 ") << QString("строка «3 » не число (лишний пробел или табуляция после числа)");
    QTest::newRow("trailing tab") << QByteArray(" 3\t") << QString("строка « 3\\t» не число (лишний пробел или табуляция после числа)");
    QTest::newRow("leading tab") << QByteArray("\t3") << QString("строка «\\t3» не число (табуляция перед числом: пропускаются только пробелы)");
    QTest::newRow("dot after") << QByteArray("3.") << QString("строка «3.» не число (лишние знаки после числа)");
    QTest::newRow("two numbers") << QByteArray("1 2") << QString("строка «1 2» не число (лишние знаки после числа)");
    QTest::newRow("word") << QByteArray("три") << QString("строка «три» не число");
    QTest::newRow("sign alone") << QByteArray("-") << QString("строка «-» не число");
    QTest::newRow("signed hex") << QByteArray("-$1") << QString("строка «-$1» не число");
    QTest::newRow("beyond max") << QByteArray("2147483648") << QString("строка «2147483648» не число (вне диапазона от −2147483648 до 2147483647)");
    QTest::newRow("hex beyond max") << QByteArray("$80000000") << QString("строка «$80000000» не число (вне диапазона от −2147483648 до 2147483647)");
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF" "1") << QString("строка «\\uFEFF1» не число");
    QTest::newRow("no-break space after") << QByteArray("3\xC2\xA0") << QString("строка «3\\u00A0» не число (лишние знаки после числа)");
}

void KeyLineTest::explainsWhatStrToIntRejects()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, problem);
    const std::string text = line.toStdString();
    QCOMPARE(QString::fromStdString(contentcheck::KeyLineProblem(text)), problem);

    bool reads = true;
    try {
        tk::StrToInt(text);
    } catch (const tk::Exception&) {
        reads = false;
    }
    QCOMPARE(reads, problem.isEmpty());
}

void KeyLineTest::showsBytesSafely_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << QByteArray("TEST1.htm") << 40 << QString("TEST1.htm");
    QTest::newRow("cyrillic utf-8") << QByteArray("ответ") << 40 << QString("ответ");
    QTest::newRow("cp1251 bytes") << QByteArray("\xEE\xF2\xE2") << 40 << QString("\\xEE\\xF2\\xE2");
    QTest::newRow("control and backslash") << QByteArray("a\x01\\b") << 40 << QString("a\\x01\\\\b");
    QTest::newRow("overlong utf-8") << QByteArray("\xC0\xAF") << 40 << QString("\\xC0\\xAF");
    QTest::newRow("zero-width space") << QByteArray("a\xE2\x80\x8B") << 40 << QString("a\\u200B");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << 40 << QString("\\xED\\xA0\\x80");
    QTest::newRow("cut at the limit") << QByteArray("123456") << 4 << QString("1234…");
    QTest::newRow("cut counts characters") << QByteArray("ааааа") << 3 << QString("ааа…");
}

void KeyLineTest::showsBytesSafely()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, limit);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromStdString(contentcheck::Shown(bytes.toStdString(), static_cast<std::size_t>(limit))), shown);
}

QTEST_APPLESS_MAIN(KeyLineTest)
#include "tst_keyline.moc"
