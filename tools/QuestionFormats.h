#pragma once
// The three formats operators keep their questions in. Each parser takes the
// decoded UTF-8 text and returns the questions the station can ask and one
// problem per fault, with its line.
#include "tools/ImportedQuestion.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace bank {

enum class Format { Aiken, Gift, Csv };

// Plain lists: the question, one choice a line ("A) text" or "A. text"), then
// "ANSWER: A". Cyrillic letters (А Б В) and "ОТВЕТ:" are taken as well.
ParsedQuestions ParseAiken(std::string_view text);

// GIFT: single-answer multiple-choice questions {=right ~wrong ~wrong}, with
// titles, comments, feedback, escapes, format markers and categories. Any
// other question type is a problem.
ParsedQuestions ParseGift(std::string_view text);

// Spreadsheet rows as Excel saves them in a Russian locale: ';' between
// fields (',' when the first row has no ';'), quoted fields with doubled
// quotes and line breaks; question; choice 1; choice 2; choice 3; right
// choice 1-3; a header row optional.
ParsedQuestions ParseCsv(std::string_view text);

// Problems sorted by line.
ParsedQuestions Parse(Format format, std::string_view text);

// Whether a line of the text is an Aiken answer line.
bool HasAikenAnswerLine(std::string_view text);

// By the file's extension (.csv, .gift), else by what the text looks like.
Format DetectFormat(const std::filesystem::path& file, std::string_view text);

// "aiken", "gift", "csv" as the operator writes them on the command line.
std::optional<Format> FormatByName(std::string_view name);
const char* FormatName(Format format);

} // namespace bank
