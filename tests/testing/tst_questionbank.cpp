#include "testing/QuestionBank.h"
#include "testing/TestPaths.h"

#include "StationFolder.h"

#include <QtTest>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

const char* const Html = "<html></html>";

// Runs `action` with `folder` as the current directory and restores it.
template <typename Action>
auto InFolder(const fs::path& folder, Action action)
{
    const auto previous = fs::current_path();
    fs::current_path(folder);
    struct Restore {
        fs::path path;
        ~Restore() { fs::current_path(path); }
    } restore{previous};
    return action();
}

} // namespace

class QuestionBankTest : public QObject {
    Q_OBJECT
private slots:
    void resetTouchesOnlyTheRunFields();
    void countIncludesEveryKindOfMatchingEntry();
    void countSkipsDotEntriesAndKeepsHiddenOnes();
    void countAddsToTestCount();
    void missingFolderCountsZero();
    void countUsesCurrentDirectoryPathsUseExecutableFolder();
    void enoughPages_data();
    void enoughPages();
    void pathsAreBuiltOnTheExecutableFolder();
};

void QuestionBankTest::resetTouchesOnlyTheRunFields()
{
    testrun::TestRunState state;
    state.TestCount = 9;
    state.TestNo = {1, 2, 3, 4, 5};
    state.RightAnswer = {3, 3, 3, 3, 3};
    state.Answer = 2;
    state.i = 4;
    state.j = 3;
    state.Verdict = 3;
    state.QQ = 4;
    state.CleanCompares = 10;
    state.TestPath = {"a", "b", "c", "d", "e"};
    state.TestsDir = "/x/TESTS/";
    state.RetryUsed = 1;
    state.ResultColor = testrun::TestRunState{}.ResultColor + 1;
    state.AnswerFromKey = {true, true, true, true, true};
    state.KeyError = "old";

    testrun::Reset(state);

    QCOMPARE(state.TestCount, 0);
    QCOMPARE(state.i, 0);
    QCOMPARE(state.j, 0);
    QCOMPARE(state.QQ, 0);
    QCOMPARE(state.RightAnswer, (std::array<std::int32_t, 5>{2, 1, 2, 2, 2}));
    QCOMPARE(state.Answer, 0);
    QCOMPARE(state.AnswerFromKey, (std::array<bool, 5>{}));
    QVERIFY(state.KeyError.empty());
    // Left as they were:
    QCOMPARE(state.TestNo, (std::array<std::int32_t, 5>{1, 2, 3, 4, 5}));
    QCOMPARE(state.TestPath[4], std::string("e"));
    QCOMPARE(state.TestsDir, std::string("/x/TESTS/"));
    QCOMPARE(state.CleanCompares, 10);
    QCOMPARE(state.Verdict, 3);
    QCOMPARE(state.RetryUsed, std::uint8_t{1});

    const testrun::TestRunState fresh;
    QCOMPARE(fresh.ResultColor, 0x808080u);
    QCOMPARE(fresh.RetryUsed, std::uint8_t{0});
    QCOMPARE(fresh.AnswerList.Count(), 0);
}

void QuestionBankTest::countIncludesEveryKindOfMatchingEntry()
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    const fs::path tests = root / "TESTS";
    fixture::StationFolder(root).Questions(3, Html)
        .Permissions("TESTS/TEST3.htm", fs::perms::owner_read)         // read-only
        .Folder("TESTS/TEST4.htm")                                     // a folder
        .Link("TESTS/TEST5.htm", (tests / "TEST1.htm").string())
        .Link("TESTS/TEST6.htm", (tests / "gone.htm").string())        // dangling
        .File("TESTS/test7.HTM", Html)                                 // other case
        .File("TESTS/.TEST8.htm", Html)                                // no match: starts with a dot
        .File("TESTS/ANS.a", Html)
        .File("TESTS/TEST9.html", Html);

    testrun::TestRunState state;
    QCOMPARE(testrun::CountTests(state, root.string() + "/TESTS/TEST*.htm"), 7);
    QCOMPARE(state.TestCount, 7);
}

void QuestionBankTest::countSkipsDotEntriesAndKeepsHiddenOnes()
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fixture::StationFolder(root).File(".hidden", Html).Folder(".hiddenfolder").File("plain", Html);
    testrun::TestRunState state;
    QCOMPARE(testrun::CountTests(state, root.string() + "/*"), 3);
}

void QuestionBankTest::countAddsToTestCount()
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fixture::StationFolder(root).Questions(5, Html);
    testrun::TestRunState state;
    state.TestCount = 2;
    QCOMPARE(testrun::CountTests(state, root.string() + "/TESTS/TEST*.htm"), 7);
}

void QuestionBankTest::missingFolderCountsZero()
{
    QTemporaryDir dir;
    testrun::TestRunState state;
    const int count = InFolder(dir.path().toStdString(), [&] { return testrun::CountTests(state); });
    QCOMPARE(count, 0);
    fs::create_directory(dir.path().toStdString() + "/TESTS"); // present but empty
    QCOMPARE(testrun::CountTests(state, dir.path().toStdString() + "/TESTS/TEST*.htm"), 0);
}

void QuestionBankTest::countUsesCurrentDirectoryPathsUseExecutableFolder()
{
    QTemporaryDir current;
    QTemporaryDir executable;
    fixture::StationFolder(current.path().toStdString()).Questions(7, Html);
    fixture::StationFolder(executable.path().toStdString()).Questions(5, Html);

    testrun::TestRunState state;
    const int count = InFolder(current.path().toStdString(), [&] { return testrun::CountTests(state); });
    QCOMPARE(count, 7);

    const std::string exeFolder = executable.path().toStdString() + "/";
    state.TestNo = {7, 1, 2, 3, 4};
    testrun::BuildTestPaths(state, exeFolder, [](const std::string&) {});
    QCOMPARE(state.TestPath[0], exeFolder + "TESTS/TEST7.htm");
}

void QuestionBankTest::enoughPages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("enough");
    QTest::newRow("none") << 0 << false;
    QTest::newRow("four") << 4 << false;
    QTest::newRow("five") << 5 << true;
    QTest::newRow("many") << 300 << true;
}

void QuestionBankTest::enoughPages()
{
    QFETCH(int, count);
    QFETCH(bool, enough);
    testrun::TestRunState state;
    state.TestCount = count;
    QCOMPARE(testrun::HasEnoughPages(state), enough);
}

void QuestionBankTest::pathsAreBuiltOnTheExecutableFolder()
{
    testrun::TestRunState state;
    state.TestNo = {12, 1, 5, 30, 2};
    Lines trace;
    testrun::BuildTestPaths(state, "/opt/station/", [&](const std::string& line) { trace.push_back(line); });
    QCOMPARE(state.TestsDir, std::string("/opt/station/TESTS/"));
    const Lines expected{"/opt/station/TESTS/TEST12.htm", "/opt/station/TESTS/TEST1.htm",
                         "/opt/station/TESTS/TEST5.htm", "/opt/station/TESTS/TEST30.htm",
                         "/opt/station/TESTS/TEST2.htm"};
    QCOMPARE(Lines(state.TestPath.begin(), state.TestPath.end()), expected);
    QCOMPARE(trace, expected);
}

QTEST_APPLESS_MAIN(QuestionBankTest)
#include "tst_questionbank.moc"
