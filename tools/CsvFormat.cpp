#include "tools/QuestionFormats.h"

#include <algorithm>

namespace bank {
namespace {

constexpr std::size_t FieldsPerRow = 5; // question, three choices, the right one

struct Row {
    int line = 0; // where the row starts
    std::vector<Text> fields;
};

class CsvReader {
public:
    CsvReader(std::string_view text, ParsedQuestions& parsed) : text_(text), parsed_(parsed) {}

    // All rows, or nothing when a quote is never closed.
    std::optional<std::vector<Row>> Rows()
    {
        separator_ = Separator();
        std::vector<Row> rows;
        Row row{line_, {}};
        while (at_ <= text_.size()) {
            auto field = Field();
            if (!field)
                return std::nullopt;
            row.fields.push_back(std::move(*field));
            if (at_ < text_.size() && text_[at_] == separator_) {
                ++at_;
                continue;
            }
            rows.push_back(std::move(row));
            if (at_ >= text_.size())
                break;
            LineEnd();
            row = Row{line_, {}};
            if (at_ >= text_.size())
                break; // a line end at the very end adds no row
        }
        return rows;
    }

private:
    // ';' as Excel writes it in a Russian locale; ',' when the first row has
    // none (an English locale or a program that always uses commas).
    char Separator() const
    {
        bool quoted = false;
        bool comma = false;
        for (char c : text_) {
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && (c == '\r' || c == '\n'))
                break;
            else if (!quoted && c == ';')
                return ';';
            else if (!quoted && c == ',')
                comma = true;
        }
        return comma ? ',' : ';';
    }

    bool AtLineEnd() const { return at_ < text_.size() && (text_[at_] == '\r' || text_[at_] == '\n'); }

    void LineEnd()
    {
        if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n')
            ++at_;
        ++at_;
        ++line_;
    }

    std::optional<Text> Field()
    {
        Text field{{}, false, line_};
        if (at_ < text_.size() && text_[at_] == '"') {
            const int opened = line_;
            ++at_;
            for (;;) {
                if (at_ >= text_.size()) {
                    parsed_.problems.push_back({opened, "кавычка открыта и не закрыта до конца файла: текст в "
                                                        "кавычках должен кончаться кавычкой (а кавычка внутри "
                                                        "текста пишется дважды: \"\")"});
                    return std::nullopt;
                }
                if (text_[at_] == '"') {
                    if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                        field.value += '"';
                        at_ += 2;
                        continue;
                    }
                    ++at_;
                    break;
                }
                if (AtLineEnd()) {
                    LineEnd();
                    field.value += '\n';
                    continue;
                }
                field.value += text_[at_++];
            }
        }
        // Unquoted text, or what follows a closing quote, is taken as it stands.
        while (at_ < text_.size() && text_[at_] != separator_ && !AtLineEnd())
            field.value += text_[at_++];
        field.value = Trimmed(field.value);
        return field;
    }

    std::string_view text_;
    ParsedQuestions& parsed_;
    std::size_t at_ = 0;
    int line_ = 1;
    char separator_ = ';';
};

std::optional<int> RightChoice(const std::string& field)
{
    if (field == "1" || field == "2" || field == "3")
        return field[0] - '0';
    return std::nullopt;
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

ParsedQuestions ParseCsv(std::string_view text)
{
    ParsedQuestions parsed;
    auto rows = CsvReader(text, parsed).Rows();
    if (!rows)
        return parsed;
    bool first = true;
    for (auto& row : *rows) {
        // Empty cells at the end of a row are the rest of the sheet's range.
        while (!row.fields.empty() && row.fields.back().value.empty())
            row.fields.pop_back();
        if (row.fields.empty())
            continue;
        if (first) {
            first = false;
            if (row.fields.size() >= FieldsPerRow && !AllDigits(row.fields[FieldsPerRow - 1].value)) {
                parsed.notes.push_back({row.line, "первая строка — заголовок столбцов, она пропущена"});
                continue;
            }
        }
        if (row.fields.size() != FieldsPerRow) {
            parsed.problems.push_back(
                {row.line, "в строке полей: " + std::to_string(row.fields.size())
                               + ", а нужно пять: вопрос; вариант 1; вариант 2; вариант 3; номер верного (1, 2 или 3)"
                               + (row.fields.size() > FieldsPerRow ? " — на станции ровно три варианта ответа" : "")});
            continue;
        }
        Draft draft;
        draft.line = row.line;
        draft.text = row.fields[0];
        draft.choices.assign(row.fields.begin() + 1, row.fields.begin() + 4);
        const auto right = RightChoice(row.fields[4].value);
        if (!right) {
            parsed.problems.push_back({row.fields[4].line, "номер верного варианта «" + row.fields[4].value
                                                               + "», а нужен 1, 2 или 3"});
            continue;
        }
        draft.right = {*right - 1};
        Accept(std::move(draft), parsed);
    }
    return parsed;
}

} // namespace bank
