#include "tools/QuestionFormats.h"

#include "tools/Text.h"

#include <algorithm>

namespace bank {

ParsedQuestions Parse(Format format, std::string_view text)
{
    ParsedQuestions parsed = format == Format::Aiken ? ParseAiken(text)
                             : format == Format::Gift ? ParseGift(text)
                                                      : ParseCsv(text);
    const auto byLine = [](const Finding& a, const Finding& b) { return a.line < b.line; };
    std::stable_sort(parsed.problems.begin(), parsed.problems.end(), byLine);
    std::stable_sort(parsed.notes.begin(), parsed.notes.end(), byLine);
    return parsed;
}

Format DetectFormat(const std::filesystem::path& file, std::string_view text)
{
    const std::string extension = tools::LowerAscii(file.extension().string());
    if (extension == ".csv")
        return Format::Csv;
    if (extension == ".gift")
        return Format::Gift;
    // Moodle saves both of its formats as .txt.
    if (HasAikenAnswerLine(text))
        return Format::Aiken;
    if (text.find('{') != std::string_view::npos)
        return Format::Gift;
    const auto lines = tools::SplitLines(text);
    if (!lines.empty() && std::count(lines.front().begin(), lines.front().end(), ';') >= 4)
        return Format::Csv;
    return Format::Aiken;
}

std::optional<Format> FormatByName(std::string_view name)
{
    for (const Format format : {Format::Aiken, Format::Gift, Format::Csv})
        if (tools::LowerAscii(FormatName(format)) == name)
            return format;
    return std::nullopt;
}

const char* FormatName(Format format)
{
    return format == Format::Aiken ? "Aiken" : format == Format::Gift ? "GIFT" : "CSV";
}

} // namespace bank
