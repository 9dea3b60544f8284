// Imported question pages in the station's own view at the test window's
// size on the smallest screen (96 ppi) and at the design size: the question
// and all three choices show without scrolling, whatever the text within
// the import's limits.
#include "EngineView.h"
#include "TestMain.h"

#include "base/ContentFolders.h"
#include "tools/PrintPages.h"
#include "tools/QuestionLayout.h"
#include "tools/QuestionPage.h"

namespace {

constexpr const char* Sentence = "Работник обязан немедленно сообщить руководителю о несчастном случае. ";
constexpr const char* Choice = "Отключить оборудование, оградить место и вызвать помощь. ";

std::string Repeat(const std::string& piece, std::size_t characters)
{
    std::string text;
    while (bank::ShownCharacters({text + piece}) <= characters)
        text += piece;
    return text;
}

// A question read from a file; in HTML, each text in Moodle's <p>.
bank::Draft Draft(std::string question, std::array<std::string, 3> choices, bool moodle = false)
{
    const auto text = [&](const std::string& value) {
        return moodle ? bank::Text{"<p>" + value + "</p>", true} : bank::Text{value};
    };
    return {1, text(question), {text(choices[0]), text(choices[1]), text(choices[2])}, {0}};
}

// The longest question of `piece`s that the tool sets in `step` or a larger one.
bank::Draft LongestInStep(int step, const std::string& piece)
{
    std::string text = piece;
    for (std::string next = text + piece; bank::ShownCharacters({next}) <= bank::MaxQuestionCharacters; next += piece) {
        if (const int set = bank::LayoutStep({next}, {{{"Да"}, {"Нет"}, {"Не знаю"}}}); set < 0 || set > step)
            break;
        text = next;
    }
    return Draft(text, {"Да", "Нет", "Не знаю"});
}

} // namespace

Q_DECLARE_METATYPE(bank::Draft)

class QuestionFitTest : public QObject {
    Q_OBJECT
    std::unique_ptr<engine::StationFolder> folder;
    std::unique_ptr<engine::ViewWindow> w;
    int pages = 0;

    // The document's size, the part the view shows, the question's type and the page's height.
    QVariantList Measure(bank::Draft draft, QSize view)
    {
        bank::ParsedQuestions parsed;
        bank::Accept(std::move(draft), parsed);
        if (!parsed.problems.empty())
            return {QString::fromStdString(parsed.problems.front().text)};
        w->view->resize(view);
        const std::string page = bank::QuestionPage(parsed.questions.at(0));
        folder->Question(++pages, page);
        const QString path = folder->Path(station::PageFile(pages));
        if (!engine::Navigate(w->view, path))
            return {};
        return engine::Evaluate(w->view, "(function () { var e = document.scrollingElement;"
                                         " return [e.scrollWidth, e.scrollHeight, e.clientWidth, e.clientHeight,"
                                         " parseFloat(getComputedStyle(document.querySelector('h1')).fontSize),"
                                         " document.body.offsetHeight]; })()")
            .toList();
    }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<engine::StationFolder>();
        w = std::make_unique<engine::ViewWindow>();
        QCOMPARE(bank::SmallestQuestionView(), QSize(800, 469));
    }

    void fitsTheView_data()
    {
        QTest::addColumn<bank::Draft>("draft");
        QTest::addColumn<double>("largestType"); // the question's type at 96 ppi, in pixels, at least
        QTest::addColumn<bank::Draft>("plain");  // the same text without Moodle's paragraphs
        const std::string question = Repeat(Sentence, bank::MaxQuestionCharacters);
        const std::string half = question.substr(0, question.size() / 2), rest = question.substr(question.size() / 2);
        const std::string choice = Repeat(Choice, bank::MaxChoiceCharacters);
        QTest::newRow("short, Moodle") << Draft("Куда звонить?", {"101", "103", "112"}, true) << 25.0
                                       << Draft("Куда звонить?", {"101", "103", "112"});
        QTest::newRow("longest allowed") << Draft(question, {choice, choice, choice}) << 13.0 << bank::Draft();
        QTest::newRow("longest allowed, Moodle, two paragraphs")
            << Draft(half + "</p><p>" + rest, {choice, choice, choice}, true) << 13.0
            << Draft(half + "\n" + rest, {choice, choice, choice});
        const std::size_t most = bank::MaxChoiceCharacters;
        QTest::newRow("long words without spaces")
            << Draft(Repeat("ю", bank::MaxQuestionCharacters), {Repeat("Щ", most), Repeat("w", most), Repeat("Ж", most)})
            << 13.0 << bank::Draft();
        QTest::newRow("line breaks") << Draft("Один\nДва\nТри\nЧетыре\nПять?", {"Да,\nсразу", "Нет,\nпозже", "Не\nзнаю"})
                                     << 13.0 << bank::Draft();
        for (int step = 0; step < bank::LayoutSteps; ++step) {
            QTest::addRow("edge of step %d", step) << LongestInStep(step, Sentence) << 13.0 << bank::Draft();
            QTest::addRow("edge of step %d, wide letters", step) << LongestInStep(step, "ЖЩЮШ ЫЮМ ") << 13.0 << bank::Draft();
        }
    }

    void fitsTheView()
    {
        QFETCH(bank::Draft, draft);
        QFETCH(double, largestType);
        QFETCH(bank::Draft, plain);
        for (const QSize view : {bank::SmallestQuestionView(), QSize(985, 577)}) {
            const QVariantList size = Measure(draft, view);
            QVERIFY2(size.size() == 6 && size[0].toInt() <= size[2].toInt() && size[1].toInt() <= size[3].toInt(),
                     qPrintable(QVariant(size).toStringList().join(' ')));
            if (view.width() < 985)
                QVERIFY2(size[4].toDouble() >= largestType, qPrintable(size[4].toString()));
            if (!plain.choices.empty()) // Moodle's paragraphs take no room of their own
                QCOMPARE(size[5].toInt(), Measure(plain, view).value(5).toInt());
        }
    }
};

STATION_TEST_MAIN(QuestionFitTest)
#include "tst_questionfit.moc"
