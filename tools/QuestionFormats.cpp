#include "tools/QuestionFormats.h"

#include <algorithm>

namespace bank {

ParsedQuestions Parse(Format format, std::string_view text)
{
    ParsedQuestions parsed = format == Format::Aiken ? ParseAiken(text)
                             : format == Format::Gift ? ParseGift(text)
                                                      : ParseCsv(text);
    const auto byLine = [](const Problem& a, const Problem& b) { return a.line < b.line; };
    std::stable_sort(parsed.problems.begin(), parsed.problems.end(), byLine);
    std::stable_sort(parsed.notes.begin(), parsed.notes.end(), byLine);
    return parsed;
}

Format DetectFormat(const std::filesystem::path& file, std::string_view text)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (extension == ".csv")
        return Format::Csv;
    if (extension == ".gift")
        return Format::Gift;
    // Moodle saves both of its formats as .txt.
    if (HasAikenAnswerLine(text))
        return Format::Aiken;
    if (text.find('{') != std::string_view::npos)
        return Format::Gift;
    const auto lines = SplitLines(text);
    if (!lines.empty() && std::count(lines.front().begin(), lines.front().end(), ';') >= 4)
        return Format::Csv;
    return Format::Aiken;
}

std::optional<Format> FormatByName(std::string_view name)
{
    if (name == "aiken")
        return Format::Aiken;
    if (name == "gift")
        return Format::Gift;
    if (name == "csv")
        return Format::Csv;
    return std::nullopt;
}

const char* FormatName(Format format)
{
    return format == Format::Aiken ? "Aiken" : format == Format::Gift ? "GIFT" : "CSV";
}

} // namespace bank
