// The three question formats: good files and each kind of fault, with the
// line the operator is sent to.
#include "tools/QuestionFormats.h"

#include <QtTest>

namespace {

// "question|choice 1|choice 2|choice 3|right"; HTML parts start with "html:".
QString Describe(const bank::Question& question)
{
    const auto part = [](const bank::Text& text) {
        return (text.html ? "html:" : "") + QString::fromStdString(text.value);
    };
    QStringList parts{part(question.text)};
    for (const auto& choice : question.choices)
        parts << part(choice);
    return parts.join('|') + '|' + QString::number(question.right);
}

// Questions as Describe() writes them, then problems as "line: text", then
// notes as "note line: text".
QStringList Parsed(bank::Format format, const QString& text)
{
    const auto parsed = bank::Parse(format, text.toStdString());
    QStringList out;
    for (const auto& question : parsed.questions)
        out << Describe(question);
    for (const auto& problem : parsed.problems)
        out << QString("%1: %2").arg(problem.line).arg(QString::fromStdString(problem.text));
    for (const auto& note : parsed.notes)
        out << QString("note %1: %2").arg(note.line).arg(QString::fromStdString(note.text));
    return out;
}

void Compare(const QStringList& found, const QStringList& expected)
{
    if (found.size() != expected.size())
        QFAIL(qPrintable("found:\n  " + found.join("\n  ") + "\nexpected:\n  " + expected.join("\n  ")));
    for (qsizetype k = 0; k < found.size(); ++k) {
        if (!found[k].startsWith(expected[k]))
            QFAIL(qPrintable(QString("entry %1:\n  %2\nexpected to start with\n  %3").arg(k).arg(found[k], expected[k])));
    }
}

} // namespace

class QuestionFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void aiken_data();
    void aiken();
    void gift_data();
    void gift();
    void csv_data();
    void csv();
    void formatTold_data();
    void formatTold();
    void lengthLimits();
};

void QuestionFormatsTest::aiken_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("Moodle's own form")
        << "What is 2+2?\nA) 3\nB) 4\nC. 5\nANSWER: B\n\nNext?\nA. x\nB. y\nC. z\nANSWER: C"
        << QStringList{"What is 2+2?|3|4|5|2", "Next?|x|y|z|3"};
    QTest::newRow("Cyrillic letters and ОТВЕТ, any case, no blank line between")
        << "Куда звонить?\r\nА) 101\r\nБ) 103\r\nВ) 112\r\nОТВЕТ: В\r\nЕщё?\r\nа. да\r\nб. нет\r\nв. не знаю\r\nответ: б\r\n"
        << QStringList{"Куда звонить?|101|103|112|3", "Ещё?|да|нет|не знаю|2"};
    QTest::newRow("text kept as typed, a question over two lines")
        << "Что значит <b> & \"x\"?\nПодумайте.\nA) <i>\nB) &amp;\nC) 'q'\nANSWER:  A \n"
        << QStringList{"Что значит <b> & \"x\"?\nПодумайте.|<i>|&amp;|'q'|1"};
    QTest::newRow("choices without a question")
        << "A) 1\nB) 2\nC) 3\nANSWER: A\n\nQ2?\nA) 1\nB) 2\nC) 3\nANSWER: B"
        << QStringList{"Q2?|1|2|3|2", "1: вариант ответа без вопроса: перед вариантами должна стоять строка с вопросом"};
    QTest::newRow("ANSWER names a letter with no choice")
        << "Q?\nA) 1\nB) 2\nC) 3\nANSWER: D\n\nQ?\nА) 1\nБ) 2\nВ) 3\nANSWER: B"
        << QStringList{"5: в ответе буква D, а варианта с такой буквой нет (есть A, B, C)",
                       "11: в ответе буква B, а варианта с такой буквой нет (есть А, Б, В): буква ответа латинская, а "
                       "варианты помечены буквами — русскими"};
    QTest::newRow("four choices, two choices")
        << "Q1?\nA) 1\nB) 2\nC) 3\nD) 4\nANSWER: A\n\nQ2?\nA) 1\nB) 2\nANSWER: A"
        << QStringList{"1: вариантов ответа 4, а на станции их ровно три", "8: вариантов ответа 2, а на станции их ровно три"};
    QTest::newRow("no ANSWER line, then the next question")
        << "Q1?\nA) 1\nB) 2\nC) 3\nQ2?\nA) 1\nB) 2\nC) 3\nANSWER: C\nQ3?\nA) 1\nB) 2\nC) 3"
        << QStringList{"Q2?|1|2|3|3",
                       "1: у вопроса нет строки ANSWER: (ОТВЕТ:) с буквой верного варианта — после вариантов идёт "
                       "строка 5, которая не вариант и не ответ",
                       "10: у вопроса нет строки ANSWER: (ОТВЕТ:) с буквой верного варианта — файл кончился"};
    QTest::newRow("an answer line that is no single letter")
        << "Q?\nA) 1\nB) 2\nC) 3\nANSWER: A, B\n\nQ?\nA) 1\nB) 2\nC) 3\nANSWER:"
        << QStringList{"5: в строке ответа «A, B» должна быть одна буква верного варианта",
                       "11: в строке ответа нет буквы верного варианта"};
    QTest::newRow("a letter twice, an empty choice")
        << "Q?\nA) 1\nA) 2\nB) 3\nANSWER: A\n\nQ?\nA) 1\nB)\nC) 3\nANSWER: A"
        << QStringList{"3: буква A уже была у варианта в строке 2", "9: вариант 2 без текста"};
    QTest::newRow("numbers instead of letters")
        << "Q?\n1) да\n2) нет\n3) может быть\nОТВЕТ: 1"
        << QStringList{"5: у вопроса нет вариантов ответа: варианты пишутся по одному в строке, с буквой и скобкой или "
                       "точкой (A) … или А) …)"};
    QTest::newRow("no blank after the bracket, as Moodle reads it; after a dot one is needed")
        << "Q?\nA)1\nB)два\nC)(3)\nANSWER: B\n\nТ.е. что?\nА) да\nБ) нет\nВ) нет\nОТВЕТ: А"
        << QStringList{"Q?|1|два|(3)|2", "Т.е. что?|да|нет|нет|1"};
    QTest::newRow("a question with nothing after it") << "Просто текст\n" << QStringList{
        "1: у вопроса нет вариантов ответа и строки ANSWER: (ОТВЕТ:)"};
}

void QuestionFormatsTest::aiken()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    Compare(Parsed(bank::Format::Aiken, text), expected);
}

void QuestionFormatsTest::gift_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("titles, comments, feedback, categories")
        << "// a comment\n$CATEGORY: $course$/Охрана труда\n\n::Q1:: Куда звонить при пожаре? {\n  =101 # верно\n"
           "  ~103 # скорая\n  ~112\n}\n\n// another\n::Q2::Сколько?{~1 =2 ~3 ####общий отзыв}\n"
        << QStringList{"Куда звонить при пожаре?|101|103|112|1", "Сколько?|1|2|3|2"};
    QTest::newRow("escapes") << "Что значат \\{ \\} \\= \\~ \\# \\: и \\\\?{=a\\=b ~c\\~d ~e\\#f\\nновая строка}\n"
                             << QStringList{"Что значат { } = ~ # : и \\?|a=b|c~d|e#f\nновая строка|1"};
    QTest::newRow("format markers")
        << "::T::[html]<p>Вопрос <b>жирный</b></p>{~[plain]<i> =[html]<b>да</b> ~[markdown]**нет**}\n\n"
           "[plain]Текст <b> & {=1 ~2 ~3}\n\n[markdown]Тоже **как есть**{=1 ~2 ~3}"
        << QStringList{"html:<p>Вопрос <b>жирный</b></p>|<i>|html:<b>да</b>|**нет**|2", "Текст <b> &|1|2|3|1",
                       "Тоже **как есть**|1|2|3|1"};
    QTest::newRow("a blank in the sentence, weights of 100 and 0")
        << "Огнетушитель {~ОП ~%0%ОУ ~%100%ОВП} держат в помещении.\n"
        << QStringList{"Огнетушитель _____ держат в помещении.|ОП|ОУ|ОВП|3"};
    QTest::newRow("other question types")
        << "Верно? {T}\n\nЭссе {}\n\nЧисло {#5:1}\n\nСоотнесите {=a -> 1 =b -> 2 =c -> 3}\n\nКороткий {=да =yes}\n\n"
           "Описание без ответов\n\nЧастично {~%50%a ~%50%b ~c}"
        << QStringList{"1: вопрос «верно или неверно» {T}/{F} — такие вопросы станция не задаёт; нужен выбор одного из "
                       "трёх: {=верный ~неверный ~неверный}",
                       "3: вопрос-эссе {}", "5: числовой вопрос {#…}", "7: вопрос на соответствие (->)",
                       "9: вопрос с вводом ответа (варианты только с =, без ~)",
                       "11: текст без блока ответов {…} — это описание, а не вопрос",
                       "13: вариант с частичной оценкой (%50%)"};
    QTest::newRow("brace never closed, and the file goes on")
        << "Q1 {=a ~b ~c}\n\nQ2 {=a\n~b\n~c\n\nQ3 {=a ~b ~c}"
        << QStringList{"Q1|a|b|c|1", "Q3|a|b|c|1",
                       "3: фигурная скобка { не закрыта: ответы вопроса должны кончаться скобкой } до пустой строки"};
    QTest::newRow("stray and nested braces")
        << "Q1 } {=a ~b ~c}\n\nQ2 {=a {~b ~c}\n\nQ3 {=a ~b ~c} {=d ~e ~f}"
        << QStringList{"1: закрывающая скобка } без открывающей; знак } в тексте пишется как \\}",
                       "3: внутри блока ответов ещё одна скобка {; знак { в тексте пишется как \\{",
                       "5: у вопроса второй блок ответов {…}"};
    QTest::newRow("not exactly one right, not three choices")
        << "Q1 {=a =b ~c}\n\nQ2 {~a ~b ~c}\n\nQ3 {=a ~b ~c ~d}\n\n::bad title {=a ~b ~c}"
        << QStringList{"1: верных ответов 2, а нужен ровно один", "3: не указан верный ответ",
                       "5: вариантов ответа 4, а на станции их ровно три",
                       "7: название вопроса ::… не закрыто вторым ::"};
    QTest::newRow("a second title after the title")
        << "::.::::8::[html]<p>Вопрос</p>{=<p>a</p> ~b ~c}\n\n::ok::Q {=a ~b ~c}"
        << QStringList{"Q|a|b|c|1", "1: после названия ::…:: ещё одно «::»: название пишется один раз"};
    QTest::newRow("markup in plain text is noted, with its line; marked texts are not")
        << "Что такое <b>жирный</b>?\n{=<i>курсив</i>\n~a ~b}\n\n[plain]Знак <b>{=[plain]<i> ~a ~b}\n\n"
           "Меньше: 1 < 2 > 0 {=a ~b ~c}"
        << QStringList{"Что такое <b>жирный</b>?|<i>курсив</i>|a|b|1", "Знак <b>|<i>|a|b|1", "Меньше: 1 < 2 > 0|a|b|c|1",
                       "note 1: в тексте разметка HTML «<b>», а текст без [html]: станция покажет её знаками",
                       "note 2: в тексте разметка HTML «<i>»"};
    QTest::newRow("$CATEGORY straight after a closing brace starts a new question")
        << "Q1 {=a ~b ~c}\n$CATEGORY: $course$/Другое\nQ2 {=a ~b ~c}\n$CATEGORY: x\n"
        << QStringList{"Q1|a|b|c|1", "Q2|a|b|c|1"};
    QTest::newRow("text before the first answer")
        << "Q {a =b ~c ~d}" << QStringList{"1: в блоке ответов текст перед первым = или ~"};
}

void QuestionFormatsTest::gift()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    Compare(Parsed(bank::Format::Gift, text), expected);
}

void QuestionFormatsTest::csv_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("as Excel saves it, with a header")
        << "Вопрос;Ответ 1;Ответ 2;Ответ 3;Верный\r\nКуда звонить?;101;103;112;1\r\n"
           "\"Что значит \"\"ОТ\"\"; и <b>?\";\"охрана\r\nтруда\";б;в;2\r\nПоследний?;а;б;в;3\r\n"
        << QStringList{"Куда звонить?|101|103|112|1", "Что значит \"ОТ\"; и <b>?|охрана\nтруда|б|в|2",
                       "Последний?|а|б|в|3",
                       "note 1: первая строка «Вопрос;Ответ 1;Ответ 2;Ответ 3;Верный» — заголовок столбцов, она пропущена"};
    QTest::newRow("a first row with an answer in a form not taken is a question, and an error")
        << "Q1;a;b;c;1.\nQ2;a;b;c;2\n" << QStringList{"Q2|a|b|c|2", "1: номер верного варианта «1.», а нужен 1, 2 или 3"};
    QTest::newRow("a first row reading like a question is no header")
        << "Куда звонить;a;b;c;Б\nЧто это?;a;b;c;верный\nQ3;a;b;c;3\n"
        << QStringList{"Q3|a|b|c|3", "1: номер верного варианта «Б»", "2: номер верного варианта «верный»"};
    QTest::newRow("commas as LibreOffice saves, a semicolon in the first row's text")
        << "Что делать; куда звонить?,a,b,\"c, d\",1\nQ2,a,b,c,2\n"
        << QStringList{"Что делать; куда звонить?|a|b|c, d|1", "Q2|a|b|c|2"};
    QTest::newRow("no header, empty cells past the range, blank rows")
        << "Q1;a;b;c;2;;\n;;;;\n\nQ2; a ; b ; c ; 3 \n"
        << QStringList{"Q1|a|b|c|2", "Q2|a|b|c|3"};
    QTest::newRow("commas when the first row has no semicolons")
        << "Q1,a,b,c,1\n\"Q2, with a comma\",a,b,c,3\n" << QStringList{"Q1|a|b|c|1", "Q2, with a comma|a|b|c|3"};
    QTest::newRow("quote never closed")
        << "Q1;a;b;c;1\nQ2;\"a;b;c;2\nQ3;a;b;c;3\n"
        << QStringList{"2: кавычка открыта и не закрыта до конца файла"};
    QTest::newRow("too few, too many fields, a line after a quoted line break")
        << "\"Q1\non two lines\";a;b;c\nQ2;a;b;c;d;1\nQ3;a;b;c;4\nQ4;a;b;c;два\nQ5;a;;c;1\n"
        << QStringList{"1: в строке полей: 4, а нужно пять: вопрос; вариант 1; вариант 2; вариант 3; номер верного (1, 2 "
                       "или 3)",
                       "3: в строке полей: 6, а нужно пять: вопрос; вариант 1; вариант 2; вариант 3; номер верного (1, 2 "
                       "или 3) — на станции ровно три варианта ответа",
                       "4: номер верного варианта «4», а нужен 1, 2 или 3",
                       "5: номер верного варианта «два», а нужен 1, 2 или 3", "6: вариант 2 без текста"};
}

void QuestionFormatsTest::csv()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    Compare(Parsed(bank::Format::Csv, text), expected);
}

void QuestionFormatsTest::formatTold_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("format");

    QTest::newRow("csv by its name") << "q.CSV" << "Q?{=a}" << "CSV";
    QTest::newRow("gift by its name") << "q.gift" << "Q?\nA) 1\nANSWER: A" << "GIFT";
    QTest::newRow("aiken by its answer line") << "q.txt" << "Q {x}?\nA) 1\nОТВЕТ: A" << "Aiken";
    QTest::newRow("gift by its braces") << "q.txt" << "Q? {=a ~b ~c}" << "GIFT";
    QTest::newRow("rows with semicolons") << "q.txt" << "Q;a;b;c;1\n" << "CSV";
    QTest::newRow("anything else") << "q" << "just text" << "Aiken";
}

void QuestionFormatsTest::formatTold()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QString, format);
    QCOMPARE(QString(bank::FormatName(bank::DetectFormat(file.toStdString(), text.toStdString()))), format);
}

void QuestionFormatsTest::lengthLimits()
{
    const QString longQuestion(10000, QChar(0x0416)); // "Ж", two bytes each in UTF-8
    const QString longChoice(151, 'x');
    const QString fits(400, QChar(0x0416));
    const QString tall = QString("Строка\n").repeated(30) + "Вопрос?";
    Compare(Parsed(bank::Format::Aiken, longQuestion + "\nA) 1\nB) " + longChoice + "\nC) 3\nANSWER: A\n\n" + fits
                                            + "\nA) 1\nB) 2\nC) 3\nANSWER: A\n\n" + tall + "\nA) 1\nB) 2\nC) 3\nANSWER: A"),
            {fits + "|1|2|3|1",
             "1: вопрос длиннее 400 знаков (10000): на экране теста он не поместится",
             "3: вариант 2 длиннее 150 знаков (151): на экране теста он не поместится",
             "13: вопрос с вариантами ответа не поместится на экране теста без прокрутки даже мелким шрифтом"});
}

QTEST_APPLESS_MAIN(QuestionFormatsTest)
#include "tst_questionformats.moc"
