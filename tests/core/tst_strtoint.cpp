#include "toolkit/core/Exception.h"
#include "toolkit/core/StrToInt.h"

#include <QtTest>

#include <cstdint>
#include <cstring>
#include <string>

class StrToIntTest : public QObject {
    Q_OBJECT
private slots:
    void acceptsIntegerForms_data();
    void acceptsIntegerForms();
    void rejectsWithTextNamingTheWholeInput_data();
    void rejectsWithTextNamingTheWholeInput();
    void intToStrIsPlainDecimal_data();
    void intToStrIsPlainDecimal();
};

void StrToIntTest::acceptsIntegerForms_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("value");

    QTest::newRow("digit") << QByteArray("1") << qint64(1);
    QTest::newRow("zero") << QByteArray("0") << qint64(0);
    QTest::newRow("leading spaces") << QByteArray("   3") << qint64(3);
    QTest::newRow("plus") << QByteArray("+7") << qint64(7);
    QTest::newRow("minus") << QByteArray("-12") << qint64(-12);
    QTest::newRow("spaces then sign") << QByteArray("  -5") << qint64(-5);
    QTest::newRow("leading zeros") << QByteArray("007") << qint64(7);
    QTest::newRow("long run of zeros") << QByteArray(std::string(200, '0').append("42").c_str()) << qint64(42);
    QTest::newRow("int32 max") << QByteArray("2147483647") << qint64(INT32_MAX);
    QTest::newRow("int32 min") << QByteArray("-2147483648") << qint64(INT32_MIN);
    QTest::newRow("plus int32 max") << QByteArray("+2147483647") << qint64(INT32_MAX);
    QTest::newRow("dollar hex") << QByteArray("$1F") << qint64(31);
    QTest::newRow("x hex lower digits") << QByteArray("x1f") << qint64(31);
    QTest::newRow("X hex") << QByteArray("X1F") << qint64(31);
    QTest::newRow("0x hex") << QByteArray("0x1F") << qint64(31);
    QTest::newRow("0X hex") << QByteArray("0X1F") << qint64(31);
    QTest::newRow("spaces then hex") << QByteArray("  $a") << qint64(10);
    QTest::newRow("hex max") << QByteArray("$7FFFFFFF") << qint64(INT32_MAX);
    QTest::newRow("hex with zeros") << QByteArray("0x00000000000000000001") << qint64(1);
}

void StrToIntTest::acceptsIntegerForms()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, value);
    QCOMPARE(qint64(tk::StrToInt(text.toStdString())), value);
}

void StrToIntTest::rejectsWithTextNamingTheWholeInput_data()
{
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("spaces only") << QByteArray("   ");
    QTest::newRow("leading tab") << QByteArray("\t1");
    QTest::newRow("trailing space") << QByteArray("1 ");
    QTest::newRow("trailing tab") << QByteArray("1\t");
    QTest::newRow("trailing CR") << QByteArray("1\r");
    QTest::newRow("plus alone") << QByteArray("+");
    QTest::newRow("minus alone") << QByteArray("-");
    QTest::newRow("double sign") << QByteArray("+-1");
    QTest::newRow("space after sign") << QByteArray("- 1");
    QTest::newRow("signed dollar hex") << QByteArray("-$1");
    QTest::newRow("signed 0x hex") << QByteArray("+0x1");
    QTest::newRow("dollar alone") << QByteArray("$");
    QTest::newRow("x alone") << QByteArray("x");
    QTest::newRow("0x alone") << QByteArray("0x");
    QTest::newRow("hex digit in decimal") << QByteArray("1F");
    QTest::newRow("non-hex digit") << QByteArray("$1G");
    QTest::newRow("sign inside hex") << QByteArray("$-1");
    QTest::newRow("one beyond max") << QByteArray("2147483648");
    QTest::newRow("one beyond min") << QByteArray("-2147483649");
    QTest::newRow("hex beyond max") << QByteArray("$80000000");
    QTest::newRow("hex all ones") << QByteArray("0xFFFFFFFF");
    QTest::newRow("long digit string") << QByteArray(std::string(400, '9').c_str());
    QTest::newRow("long hex string") << QByteArray(std::string("$").append(300, 'F').c_str());
    QTest::newRow("decimal point") << QByteArray("1.0");
    QTest::newRow("word") << QByteArray("one");
    QTest::newRow("non-ASCII byte") << QByteArray("\xC0""1");
    QTest::newRow("inner NUL") << QByteArray("1\0" "2", 3);
}

void StrToIntTest::rejectsWithTextNamingTheWholeInput()
{
    QFETCH(QByteArray, text);
    const std::string input = text.toStdString();
    try {
        const auto value = tk::StrToInt(input);
        QFAIL(qPrintable(QStringLiteral("accepted as %1").arg(value)));
    } catch (const tk::Exception& error) {
        QCOMPARE(error.Message(), "'" + input + "' is not a valid integer value");
        QCOMPARE(std::strcmp(error.what(), error.Message().c_str()), 0);
    }
}

void StrToIntTest::intToStrIsPlainDecimal_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("zero") << 0 << QByteArray("0");
    QTest::newRow("positive") << 59 << QByteArray("59");
    QTest::newRow("negative") << -1 << QByteArray("-1");
    QTest::newRow("int32 max") << INT32_MAX << QByteArray("2147483647");
    QTest::newRow("int32 min") << INT32_MIN << QByteArray("-2147483648");
}

void StrToIntTest::intToStrIsPlainDecimal()
{
    QFETCH(int, value);
    QFETCH(QByteArray, text);
    QCOMPARE(tk::IntToStr(value), text.toStdString());
    QCOMPARE(tk::StrToInt(tk::IntToStr(value)), value);
}

QTEST_APPLESS_MAIN(StrToIntTest)
#include "tst_strtoint.moc"
