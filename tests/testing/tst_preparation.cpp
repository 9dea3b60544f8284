#include "testing/AnswerKey.h"
#include "testing/Draw.h"
#include "testing/QuestionBank.h"
#include "testing/TestPaths.h"

#include "StationFolder.h"

#include <QtTest>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Bank {
    fs::path root;
    std::vector<int> answers; // answers[k] belongs to TEST<k+1>.htm
};

// A bank of `pages` question pages and a valid key in a random layout:
// any line ends, leading spaces, extra lines, with or without a final end.
Bank MakeBank(const fs::path& root, int pages, std::mt19937& rng)
{
    Bank bank{root, {}};
    fixture::StationFolder station(root);
    for (int n = 1; n <= pages; ++n)
        station.Question(n, "<p>" + std::to_string(n) + "</p>");

    const int lines = pages + std::uniform_int_distribution<int>(0, 3)(rng);
    const char* ends[] = {"\r\n", "\n", "\r"};
    std::string key;
    for (int k = 0; k < lines; ++k) {
        const int answer = std::uniform_int_distribution<int>(1, 3)(rng);
        bank.answers.push_back(answer);
        key += std::string(std::uniform_int_distribution<int>(0, 2)(rng), ' ') + std::to_string(answer);
        if (k + 1 < lines || rng() % 2)
            key += ends[rng() % 3];
    }
    station.Key(QByteArray::fromStdString(key));
    return bank;
}

} // namespace

class PreparationTest : public QObject {
    Q_OBJECT
private slots:
    void wholePreparationsOverRandomBanks();
};

void PreparationTest::wholePreparationsOverRandomBanks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto previous = fs::current_path();
    std::mt19937 rng(20240611);
    testrun::TestRunState state;
    testrun::Lcg random;
    int preparations = 0;

    for (int b = 0; b < 120; ++b) {
        const int pages = std::uniform_int_distribution<int>(5, 30)(rng);
        const auto bank = MakeBank(fs::path(dir.path().toStdString()) / std::to_string(b), pages, rng);
        fs::current_path(bank.root);
        const std::string exeFolder = bank.root.string() + "/";

        for (int run = 0; run < 10; ++run, ++preparations) {
            std::vector<std::string> trace;
            const testrun::LineSink sink = [&](const std::string& line) { trace.push_back(line); };

            testrun::Reset(state);
            QCOMPARE(testrun::CountTests(state), pages);
            random.Seed(static_cast<std::uint32_t>(rng()));
            QVERIFY(testrun::DrawQuestions(state, random, sink) <= 45);
            const std::size_t collisions = trace.size();
            testrun::BuildTestPaths(state, exeFolder, sink);
            testrun::LoadAnswerKey(state, sink);

            const std::set<std::int32_t> distinct(state.TestNo.begin(), state.TestNo.end());
            QCOMPARE(distinct.size(), std::size_t{5});
            QVERIFY(*distinct.begin() >= 1 && *distinct.rbegin() <= pages);
            QCOMPARE(trace.size(), collisions + 5 + 1 + 5);
            QCOMPARE(trace[collisions + 5], std::to_string(bank.answers.size()) + "- ответов");
            for (std::size_t s = 0; s < 5; ++s) {
                const int page = state.TestNo[s];
                QCOMPARE(state.TestPath[s], exeFolder + "TESTS/TEST" + std::to_string(page) + ".htm");
                QCOMPARE(trace[collisions + s], state.TestPath[s]);
                QVERIFY(fs::is_regular_file(state.TestPath[s]));
                QCOMPARE(state.RightAnswer[s], bank.answers[static_cast<std::size_t>(page - 1)]);
                QVERIFY(state.AnswerFromKey[s]);
            }
            QVERIFY(state.KeyError.empty());
        }
    }
    fs::current_path(previous);
    QVERIFY(preparations >= 1000);
}

QTEST_APPLESS_MAIN(PreparationTest)
#include "tst_preparation.moc"
