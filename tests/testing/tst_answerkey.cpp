#include "testing/AnswerKey.h"

#include "toolkit/core/Exception.h"

#include "StationFolder.h"

#include <QtTest>

#include <array>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using Slots = std::array<std::int32_t, testrun::QuestionsPerRun>;
Q_DECLARE_METATYPE(Slots)

namespace {

struct Loaded {
    testrun::TestRunState state;
    QStringList trace;
    QString error; // empty when nothing was thrown
};

QString Flags(const std::array<bool, testrun::QuestionsPerRun>& fromKey)
{
    QString flags;
    for (bool flag : fromKey)
        flags += flag ? 'k' : '-';
    return flags;
}

void Load(Loaded& loaded)
{
    try {
        testrun::LoadAnswerKey(loaded.state, [&](const std::string& line) {
            loaded.trace << QString::fromStdString(line);
        });
    } catch (const tk::Exception& error) {
        loaded.error = QString::fromStdString(error.Message());
    }
}

} // namespace

class AnswerKeyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void convertsTheDrawnLines_data();
    void convertsTheDrawnLines();
    void missingKeyKeepsPlaceholders_data();
    void missingKeyKeepsPlaceholders();
    void listIsReconfiguredAndRefilled();

private:
    Loaded Prepared(const Slots& testNo);
    fixture::StationFolder station_;
};

void AnswerKeyTest::init()
{
    station_.Folder("TESTS");
    fs::remove_all(station_.Root() / "TESTS/ANS.a");
}

Loaded AnswerKeyTest::Prepared(const Slots& testNo)
{
    Loaded loaded;
    testrun::Reset(loaded.state);
    loaded.state.TestNo = testNo;
    loaded.state.TestsDir = station_.Root().string() + "/TESTS/";
    return loaded;
}

void AnswerKeyTest::convertsTheDrawnLines_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<Slots>("testNo");
    QTest::addColumn<Slots>("rightAnswer");
    QTest::addColumn<QString>("fromKey");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("keyError");

    const QStringList reversedTrace{"5- ответов", "Преобразован ответ №4 - 2", "Преобразован ответ №3 - 1",
                                    "Преобразован ответ №2 - 3", "Преобразован ответ №1 - 2",
                                    "Преобразован ответ №0 - 1"};
    const Slots reversed{5, 4, 3, 2, 1};
    QTest::newRow("CR LF") << QByteArray("1\r\n2\r\n3\r\n1\r\n2\r\n") << reversed << Slots{2, 1, 3, 2, 1}
                           << "kkkkk" << reversedTrace << "" << "";
    QTest::newRow("LF") << QByteArray("1\n2\n3\n1\n2\n") << reversed << Slots{2, 1, 3, 2, 1}
                        << "kkkkk" << reversedTrace << "" << "";
    QTest::newRow("CR") << QByteArray("1\r2\r3\r1\r2\r") << reversed << Slots{2, 1, 3, 2, 1}
                        << "kkkkk" << reversedTrace << "" << "";
    QTest::newRow("mixed, last line without end") << QByteArray("1\r\n2\n3\r1\n2") << reversed
                                                  << Slots{2, 1, 3, 2, 1} << "kkkkk" << reversedTrace << "" << "";
    QTest::newRow("leading spaces") << QByteArray("  1\n 2\n3\n     1\n2\n") << reversed << Slots{2, 1, 3, 2, 1}
                                    << "kkkkk" << reversedTrace << "" << "";
    QTest::newRow("hex forms") << QByteArray("$3\n0x1\nX2\nx3\n0X01\n") << Slots{1, 2, 3, 4, 5}
                               << Slots{3, 1, 2, 3, 1} << "kkkkk"
                               << QStringList{"5- ответов", "Преобразован ответ №0 - 3", "Преобразован ответ №1 - 1",
                                              "Преобразован ответ №2 - 2", "Преобразован ответ №3 - 3",
                                              "Преобразован ответ №4 - 1"}
                               << "" << "";
    QTest::newRow("values taken as they stand") << QByteArray("0\n-1\n7\n2147483647\n3\n") << Slots{1, 2, 3, 4, 5}
                                                << Slots{0, -1, 7, 2147483647, 3} << "kkkkk"
                                                << QStringList{"5- ответов", "Преобразован ответ №0 - 0",
                                                               "Преобразован ответ №1 - -1", "Преобразован ответ №2 - 7",
                                                               "Преобразован ответ №3 - 2147483647",
                                                               "Преобразован ответ №4 - 3"}
                                                << "" << "";
    QTest::newRow("extra lines counted, not used")
        << QByteArray("1\n2\n3\n1\n2\n3\n1\n2\n") << Slots{2, 4, 6, 8, 1} << Slots{2, 1, 3, 2, 1} << "kkkkk"
        << QStringList{"8- ответов", "Преобразован ответ №1 - 2", "Преобразован ответ №3 - 1",
                       "Преобразован ответ №5 - 3", "Преобразован ответ №7 - 2", "Преобразован ответ №0 - 1"}
        << "" << "";
    QTest::newRow("empty line not drawn") << QByteArray("1\n\n3\n1\n2\n3\n") << Slots{1, 3, 4, 5, 6}
                                          << Slots{1, 3, 1, 2, 3} << "kkkkk"
                                          << QStringList{"6- ответов", "Преобразован ответ №0 - 1",
                                                         "Преобразован ответ №2 - 3", "Преобразован ответ №3 - 1",
                                                         "Преобразован ответ №4 - 2", "Преобразован ответ №5 - 3"}
                                          << "" << "";
    QTest::newRow("trailing blank") << QByteArray("3\n2 \n3\n1\n2\n") << Slots{1, 2, 3, 4, 5} << Slots{3, 1, 2, 2, 2}
                                    << "k----" << QStringList{"5- ответов", "Преобразован ответ №0 - 3"}
                                    << "'2 ' is not a valid integer value" << "'2 ' is not a valid integer value";
    QTest::newRow("trailing tab") << QByteArray("3\n3\n3\t\n1\n2\n") << Slots{1, 2, 3, 4, 5} << Slots{3, 3, 2, 2, 2}
                                  << "kk---"
                                  << QStringList{"5- ответов", "Преобразован ответ №0 - 3", "Преобразован ответ №1 - 3"}
                                  << "'3\t' is not a valid integer value" << "'3\t' is not a valid integer value";
    QTest::newRow("empty line drawn") << QByteArray("1\n\n3\n1\n2\n") << Slots{2, 1, 3, 4, 5} << Slots{2, 1, 2, 2, 2}
                                      << "-----" << QStringList{"5- ответов"} << "'' is not a valid integer value"
                                      << "'' is not a valid integer value";
    QTest::newRow("beyond 32 bits") << QByteArray("1\n2\n3\n1\n2147483648\n") << Slots{4, 5, 1, 2, 3}
                                    << Slots{1, 1, 2, 2, 2} << "k----"
                                    << QStringList{"5- ответов", "Преобразован ответ №3 - 1"}
                                    << "'2147483648' is not a valid integer value"
                                    << "'2147483648' is not a valid integer value";
    QTest::newRow("key shorter than a drawn page")
        << QByteArray("3\n3\n3\n3\n3\n3\n") << Slots{1, 2, 7, 3, 4} << Slots{3, 3, 2, 2, 2} << "kk---"
        << QStringList{"6- ответов", "Преобразован ответ №0 - 3", "Преобразован ответ №1 - 3"}
        << "List index out of bounds (6)" << "List index out of bounds (6)";
    QTest::newRow("short key, drawn pages within it")
        << QByteArray("1\n3\n3\n") << Slots{3, 2, 1, 4, 5} << Slots{3, 3, 1, 2, 2} << "kkk--"
        << QStringList{"3- ответов", "Преобразован ответ №2 - 3", "Преобразован ответ №1 - 3",
                       "Преобразован ответ №0 - 1"}
        << "" << "List index out of bounds (3)";
    QTest::newRow("short key, drawn page beyond it")
        << QByteArray("1\n3\n") << Slots{1, 3, 2, 4, 5} << Slots{1, 1, 2, 2, 2} << "k----"
        << QStringList{"2- ответов", "Преобразован ответ №0 - 1"} << "List index out of bounds (2)"
        << "List index out of bounds (2)";
    QTest::newRow("empty key") << QByteArray() << Slots{1, 2, 3, 4, 5} << Slots{2, 1, 2, 2, 2} << "-----"
                               << QStringList{"0- ответов"} << "" << "List index out of bounds (0)";
}

void AnswerKeyTest::convertsTheDrawnLines()
{
    QFETCH(QByteArray, key);
    QFETCH(Slots, testNo);
    QFETCH(Slots, rightAnswer);
    QFETCH(QString, fromKey);
    QFETCH(QStringList, trace);
    QFETCH(QString, error);
    QFETCH(QString, keyError);

    station_.File("TESTS/ANS.a", key);

    auto loaded = Prepared(testNo);
    Load(loaded);
    QCOMPARE(loaded.error, error);
    QCOMPARE(loaded.state.RightAnswer, rightAnswer);
    QCOMPARE(Flags(loaded.state.AnswerFromKey), fromKey);
    QCOMPARE(loaded.trace, trace);
    QCOMPARE(QString::fromStdString(loaded.state.KeyError), keyError);
}

void AnswerKeyTest::missingKeyKeepsPlaceholders_data()
{
    QTest::addColumn<bool>("keyIsFolder");
    QTest::newRow("missing file") << false;
    QTest::newRow("folder in its place") << true;
}

void AnswerKeyTest::missingKeyKeepsPlaceholders()
{
    QFETCH(bool, keyIsFolder);
    if (keyIsFolder)
        station_.Folder("TESTS/ANS.a");

    auto loaded = Prepared({1, 2, 3, 4, 5});
    Load(loaded);
    const QString expected = "Cannot open file " + station_.Path("TESTS/ANS.a");
    QCOMPARE(loaded.error, expected);
    QCOMPARE(QString::fromStdString(loaded.state.KeyError), expected);
    QCOMPARE(loaded.state.RightAnswer, (Slots{2, 1, 2, 2, 2}));
    QCOMPARE(Flags(loaded.state.AnswerFromKey), QStringLiteral("-----"));
    QVERIFY(loaded.trace.isEmpty());
}

void AnswerKeyTest::listIsReconfiguredAndRefilled()
{
    station_.File("TESTS/ANS.a", "2\n1\n2\n2\n2\n");

    auto loaded = Prepared({1, 2, 3, 4, 5});
    loaded.state.AnswerList.Sorted = true; // each load sets the list up afresh
    loaded.state.AnswerList.Add("left over");
    loaded.state.KeyError = "from an earlier run";
    Load(loaded);
    QVERIFY(loaded.error.isEmpty());
    QVERIFY(!loaded.state.AnswerList.Sorted);
    QCOMPARE(loaded.state.AnswerList.Duplicates, tk::TDuplicates::dupIgnore);
    QVERIFY(!loaded.state.AnswerList.CaseSensitive);
    QCOMPARE(loaded.state.AnswerList.Count(), 5);
    QCOMPARE(loaded.state.RightAnswer, (Slots{2, 1, 2, 2, 2}));
    QCOMPARE(Flags(loaded.state.AnswerFromKey), QStringLiteral("kkkkk"));
    QVERIFY(loaded.state.KeyError.empty());
}

QTEST_APPLESS_MAIN(AnswerKeyTest)
#include "tst_answerkey.moc"
