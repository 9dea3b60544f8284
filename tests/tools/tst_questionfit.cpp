// Imported question pages in the station's own view at the test window's
// size on the smallest screen (96 ppi) and at the design size: the question
// and all three choices show without scrolling, whatever the text within
// the import's limits.
#include "EngineView.h"
#include "TestMain.h"

#include "tools/ImportedQuestion.h"
#include "tools/PrintPages.h"
#include "tools/QuestionLayout.h"
#include "tools/QuestionPage.h"

namespace {

std::string Repeat(const std::string& piece, std::size_t characters)
{
    std::string text;
    while (bank::ShownCharacters({text + piece}) <= characters)
        text += piece;
    return text;
}

constexpr const char* Sentence = "Работник обязан немедленно сообщить руководителю о несчастном случае. ";
constexpr const char* Choice = "Отключить оборудование, оградить место и вызвать помощь. ";

bank::Draft Draft(bank::Text question, std::array<bank::Text, bank::ChoicesPerQuestion> choices)
{
    bank::Draft draft;
    draft.line = 1;
    draft.text = std::move(question);
    draft.choices.assign(choices.begin(), choices.end());
    draft.right = {0};
    return draft;
}

// The longest question of `piece`s that the tool sets in `step` or a
// larger one.
bank::Draft LongestInStep(int step, const std::string& piece)
{
    std::string text = piece;
    const std::array<bank::Text, 3> choices{{{"Да"}, {"Нет"}, {"Не знаю"}}};
    for (std::string next = text + piece; bank::ShownCharacters({next}) <= bank::MaxQuestionCharacters;
         next += piece) {
        const int set = bank::LayoutStep({next}, choices);
        if (set < 0 || set > step)
            break;
        text = next;
    }
    return Draft({text}, choices);
}

} // namespace

Q_DECLARE_METATYPE(bank::Draft)

class QuestionFitTest : public QObject {
    Q_OBJECT
    std::unique_ptr<engine::StationFolder> folder;
    std::unique_ptr<engine::ViewWindow> w;

    // The page's document size and the part the view shows.
    QVariantList Measure(const bank::Question& question, QSize view, int n)
    {
        w->view->resize(view);
        const std::string page = bank::QuestionPage(question);
        const QString path = folder->Path(QStringLiteral("TESTS/TEST%1.htm").arg(n));
        folder->File(path, QByteArray(page.data(), static_cast<qsizetype>(page.size())));
        if (!engine::Navigate(w->view, path))
            return {};
        return engine::Evaluate(w->view, "(function () { var e = document.scrollingElement;"
                                         " return [e.scrollWidth, e.scrollHeight, e.clientWidth, e.clientHeight,"
                                         " parseFloat(getComputedStyle(document.querySelector('h1')).fontSize)]; })()")
            .toList();
    }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<engine::StationFolder>();
        w = std::make_unique<engine::ViewWindow>();
        QCOMPARE(bank::SmallestQuestionView(), QSize(800, 469));
    }
    void cleanupTestCase()
    {
        w.reset();
        folder.reset();
    }

    void fitsTheView_data()
    {
        QTest::addColumn<bank::Draft>("draft");
        QTest::addColumn<double>("largestType"); // the question's type at 96 ppi, in pixels, at least
        const std::string question = Repeat(Sentence, bank::MaxQuestionCharacters);
        const std::string choice = Repeat(Choice, bank::MaxChoiceCharacters);
        const std::string shortQuestion = "Куда звонить при пожаре?";
        QTest::newRow("short, as Moodle wraps it in <p>")
            << Draft({"<p>" + shortQuestion + "</p>", true}, {{{"<p>101</p>", true}, {"<p>103</p>", true}, {"<p>112</p>", true}}})
            << 25.0;
        QTest::newRow("longest allowed, Cyrillic") << Draft({question}, {{{choice}, {choice}, {choice}}}) << 13.0;
        QTest::newRow("longest allowed, Moodle paragraphs")
            << Draft({"<p>" + question.substr(0, question.size() / 2) + "</p><p>" + question.substr(question.size() / 2) + "</p>", true},
                     {{{"<p>" + choice + "</p>", true}, {"<p>" + choice + "</p>", true}, {"<p>" + choice + "</p>", true}}})
            << 13.0;
        QTest::newRow("long words without spaces")
            << Draft({Repeat("ю", bank::MaxQuestionCharacters)},
                     {{{Repeat("Щ", bank::MaxChoiceCharacters)}, {Repeat("w", bank::MaxChoiceCharacters)},
                       {Repeat("Ж", bank::MaxChoiceCharacters)}}})
            << 13.0;
        QTest::newRow("capitals in short words")
            << Draft({Repeat("ЖЩЮШ МШЫЮ ", bank::MaxQuestionCharacters)},
                     {{{Repeat("ЮЩ ", 120)}, {Repeat("ЩЮЖШ ", 120)}, {Repeat("WМЖ ", 120)}}})
            << 13.0;
        QTest::newRow("line breaks")
            << Draft({"Строка один\nСтрока два\nСтрока три\nСтрока четыре\n" + shortQuestion},
                     {{{"Да,\nсразу"}, {"Нет,\nпозже"}, {"Не\nзнаю"}}})
            << 13.0;
        for (int step = 0; step < bank::LayoutSteps; ++step) {
            QTest::addRow("longest question set in step %d", step) << LongestInStep(step, Sentence) << 13.0;
            QTest::addRow("longest question of wide letters set in step %d", step)
                << LongestInStep(step, "ЖЩЮШ ЫЮМ ") << 13.0;
        }
    }

    void fitsTheView()
    {
        QFETCH(bank::Draft, draft);
        QFETCH(double, largestType);
        bank::Draft plain = draft; // the same text without its paragraphs
        bank::ParsedQuestions parsed;
        bank::Accept(std::move(draft), parsed);
        QVERIFY2(parsed.problems.empty(), parsed.problems.empty() ? "" : parsed.problems.front().text.c_str());
        const bank::Question& question = parsed.questions.at(0);
        int n = 0;
        for (const QSize view : {bank::SmallestQuestionView(), QSize(985, 577)}) {
            const QVariantList size = Measure(question, view, ++n);
            QCOMPARE(size.size(), 5);
            QVERIFY2(size[0].toInt() <= size[2].toInt() && size[1].toInt() <= size[3].toInt(),
                     qPrintable(QStringLiteral("%1×%2 shown in %3×%4").arg(size[0].toInt()).arg(size[1].toInt())
                                    .arg(size[2].toInt()).arg(size[3].toInt())));
            if (n == 1)
                QVERIFY2(size[4].toDouble() >= largestType, qPrintable(size[4].toString()));
        }
        if (question.text.html && question.text.value.starts_with("<p>")) {
            // Moodle's paragraphs take no room of their own.
            const auto unwrap = [](bank::Text& text) {
                text.html = false;
                text.value = text.value.substr(3, text.value.size() - 7);
                const auto inner = text.value.find("</p><p>");
                if (inner != std::string::npos)
                    text.value.replace(inner, 7, "\n");
            };
            unwrap(plain.text);
            for (auto& choice : plain.choices)
                unwrap(choice);
            bank::ParsedQuestions unwrapped;
            bank::Accept(std::move(plain), unwrapped);
            QCOMPARE(Measure(unwrapped.questions.at(0), bank::SmallestQuestionView(), 3).at(1),
                     Measure(question, bank::SmallestQuestionView(), 4).at(1));
        }
    }
};

STATION_TEST_MAIN(QuestionFitTest)
#include "tst_questionfit.moc"
