#include "tools/QuestionFormats.h"

#include "tools/Charset.h"
#include "tools/Text.h"

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

    char UsedSeparator() const { return separator_; }

private:
    // ';' as Excel writes it in a Russian locale; ',' as LibreOffice and an
    // English locale do. The one that cuts the first row into five fields
    // wins (a text may hold the other unquoted); else ';' when there is any.
    char Separator() const
    {
        bool quoted = false;
        std::size_t semicolons = 0, commas = 0;
        for (char c : text_) {
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && (c == '\r' || c == '\n'))
                break;
            else if (!quoted && c == ';')
                ++semicolons;
            else if (!quoted && c == ',')
                ++commas;
        }
        if (semicolons != FieldsPerRow - 1 && commas == FieldsPerRow - 1)
            return ',';
        return semicolons > 0 || commas == 0 ? ';' : ',';
    }

    bool AtLineEnd() const { return tools::LineEndAt(text_, at_) > 0; }

    void LineEnd()
    {
        at_ += tools::LineEndAt(text_, at_);
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
        field.value = std::string(tools::TrimSpaces(field.value));
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
    for (int choice = station::FirstChoice; choice <= station::LastChoice; ++choice)
        if (field == std::to_string(choice))
            return choice;
    return std::nullopt;
}

// Any way a person might write the right choice, right or wrong: digits,
// a letter, either followed by '.' or ')'.
bool LooksLikeAnswer(const std::string& field)
{
    std::string_view text = field;
    if (!text.empty() && (text.back() == '.' || text.back() == ')'))
        text.remove_suffix(1);
    if (!text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    return charset::CountCharacters(text) == 1;
}

// Column names: short, no question mark, and a word where the answer goes.
bool LooksLikeHeader(const Row& row)
{
    if (LooksLikeAnswer(row.fields[FieldsPerRow - 1].value))
        return false;
    for (std::size_t k = 0; k < FieldsPerRow; ++k) {
        const std::string& cell = row.fields[k].value;
        if (charset::CountCharacters(cell) > 40 || cell.find('?') != std::string::npos
            || cell.find('\n') != std::string::npos)
            return false;
    }
    return true;
}

std::string Quoted(const Row& row, char separator)
{
    std::string text;
    for (std::size_t k = 0; k < row.fields.size(); ++k)
        text += (k ? std::string(1, separator) : std::string()) + row.fields[k].value;
    if (charset::CountCharacters(text) > 80) {
        std::size_t at = 0;
        for (int n = 0; n < 77 && at < text.size(); ++n)
            at += std::max<std::size_t>(charset::DecodeUtf8(text, at).length, 1);
        text = text.substr(0, at) + "…";
    }
    return "«" + text + "»";
}

} // namespace

ParsedQuestions ParseCsv(std::string_view text)
{
    ParsedQuestions parsed;
    CsvReader reader(text, parsed);
    auto rows = reader.Rows();
    const char separator = reader.UsedSeparator();
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
            if (row.fields.size() >= FieldsPerRow && LooksLikeHeader(row)) {
                parsed.notes.push_back({row.line, "первая строка " + Quoted(row, separator)
                                                      + " — заголовок столбцов, она пропущена",
                                        Severity::Info});
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
        draft.right = {*right - station::FirstChoice};
        Accept(std::move(draft), parsed);
    }
    return parsed;
}

} // namespace bank
