#include "tools/SourceText.h"

#include "tools/Charset.h"
#include "tools/Text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace bank {
namespace {

std::string Megabytes(std::uintmax_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1u << 20));
    std::string shown = text;
    if (const auto dot = shown.find('.'); dot != std::string::npos)
        shown[dot] = ',';
    return shown + " МБ";
}

// Bytes that no text file holds: the C0 controls apart from tab, line ends and
// form feed, and DEL.
bool IsBinaryByte(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || c == 0x7F;
}

std::string HexByte(unsigned char c)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", c);
    return text;
}

enum class LineKind { Ascii, Utf8, Other };

LineKind Classify(std::string_view line)
{
    if (charset::IsAscii(line))
        return LineKind::Ascii;
    return charset::IsUtf8(line) ? LineKind::Utf8 : LineKind::Other;
}

const char* KindName(LineKind kind) { return kind == LineKind::Utf8 ? "UTF-8" : "windows-1251"; }

// Form feeds and vertical tabs are blanks to the operator, and no page shows
// them as such.
std::string AsText(std::string_view text)
{
    std::string out(text);
    std::replace_if(out.begin(), out.end(), [](char c) { return c == '\f' || c == '\v'; }, ' ');
    return out;
}

// Text files of other programs, told by how they begin: what to save instead.
std::string OtherProgramsFile(std::string_view bytes)
{
    const std::string head = tools::LowerAscii(tools::Trim(bytes).substr(0, 512));
    if (head.starts_with("{\\rtf"))
        return "это документ RTF (WordPad или Word), а не простой текст: сохраните его как «Обычный текст» (.txt)";
    if (head.starts_with("<?xml") && head.find("<quiz") != std::string::npos)
        return "это вопросы в формате Moodle XML: экспортируйте их из Moodle в формате GIFT и импортируйте тот файл";
    if (head.starts_with("<?xml"))
        return "это файл XML, а не вопросы: сохраните вопросы как простой текст (Aiken или GIFT) или как CSV";
    if (head.starts_with("<!doctype html") || head.starts_with("<html") || head.starts_with("<head")
        || head.starts_with("<meta"))
        return "это веб-страница (HTML), а не простой текст: сохраните вопросы как «Обычный текст» (.txt) или "
               "экспортируйте их из Moodle в формате GIFT";
    return {};
}

} // namespace

std::optional<SourceText> DecodeSource(std::string_view bytes, std::vector<Finding>& problems)
{
    const auto fail = [&](int line, std::string text) {
        problems.push_back({line, std::move(text)});
        return std::nullopt;
    };
    if (bytes.empty())
        return fail(0, "файл пуст");
    if (bytes.starts_with("PK\x03\x04") || bytes.starts_with("\xD0\xCF\x11\xE0"))
        return fail(0, "это книга Excel или документ Word, а не текст: сохраните вопросы как «CSV (разделители — "
                       "точка с запятой)» или как обычный текст");
    if (tools::StartsWithUtf16Bom(bytes))
        return fail(0, "файл сохранён в UTF-16 («Юникод»): сохраните его как UTF-8 или windows-1251 (ANSI)");

    const bool bom = bytes.starts_with(tools::Utf8Bom);
    if (bom)
        bytes.remove_prefix(tools::Utf8Bom.size());
    const auto lines = tools::SplitLines(bytes);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        for (char c : lines[k]) {
            if (IsBinaryByte(static_cast<unsigned char>(c)))
                return fail(static_cast<int>(k + 1), "это не текстовый файл: в строке управляющий байт "
                                                         + HexByte(static_cast<unsigned char>(c)));
        }
    }
    if (tools::Trim(bytes).empty())
        return fail(0, "в файле нет ни одной строки текста");
    if (const auto other = OtherProgramsFile(bytes); !other.empty())
        return fail(0, other);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].starts_with("<<<<<<<") || lines[k].starts_with(">>>>>>>"))
            return fail(static_cast<int>(k + 1), "строка «" + std::string(lines[k].substr(0, 40))
                                                     + "» — след неоконченного слияния версий (git): в файле две "
                                                       "версии вопросов; оставьте одну и уберите строки <<<<<<<, "
                                                       "======= и >>>>>>>");
    }

    // The first line with letters beyond ASCII decides; every other such line
    // must be in the same set.
    LineKind kind = bom ? LineKind::Utf8 : LineKind::Ascii;
    int decided = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const LineKind line = Classify(lines[k]);
        if (line == LineKind::Ascii)
            continue;
        const int number = static_cast<int>(k + 1);
        if (kind == LineKind::Ascii) {
            kind = line;
            decided = number;
        } else if (line != kind) {
            if (decided == 0)
                return fail(number, "строка не в UTF-8, хотя файл начинается с метки UTF-8 (BOM): в файле смешаны две "
                                    "кодировки; сохраните его целиком в одной");
            return fail(number, std::string("строка в кодировке ") + KindName(line) + ", а строка "
                                    + std::to_string(decided) + " — в " + KindName(kind)
                                    + ": в файле смешаны две кодировки; сохраните его целиком в одной");
        }
    }

    if (kind != LineKind::Other) {
        // C1 controls are no text either, and no page could show them.
        for (std::size_t k = 0; k < lines.size(); ++k) {
            for (std::size_t at = 0; at + 1 < lines[k].size(); ++at)
                if (lines[k][at] == '\xC2' && static_cast<unsigned char>(lines[k][at + 1]) < 0xA0)
                    return fail(static_cast<int>(k + 1), "это не текстовый файл: в строке управляющий символ U+00"
                                                             + HexByte(static_cast<unsigned char>(lines[k][at + 1])).substr(2));
        }
        return SourceText{AsText(bytes), bom ? "UTF-8 с BOM" : "UTF-8"};
    }
    auto text = charset::ToUtf8(bytes, "WINDOWS-1251");
    if (!text) {
        // Say where: the first line that does not convert.
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (charset::ToUtf8(lines[k], "WINDOWS-1251"))
                continue;
            for (char c : lines[k])
                if (!charset::ToUtf8(std::string_view(&c, 1), "WINDOWS-1251"))
                    return fail(static_cast<int>(k + 1), "байт " + HexByte(static_cast<unsigned char>(c))
                                                             + " не буква ни в UTF-8, ни в windows-1251: файл "
                                                               "повреждён или сохранён в другой кодировке");
        }
        return fail(0, "файл не читается ни как UTF-8, ни как windows-1251");
    }
    return SourceText{AsText(*text), "windows-1251"};
}

std::optional<SourceText> ReadSource(const fs::path& file, std::vector<Finding>& problems)
{
    const auto fail = [&](std::string text) {
        problems.push_back({0, std::move(text)});
        return std::nullopt;
    };
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (!fs::exists(status))
        return fail("файла нет");
    if (fs::is_directory(status))
        return fail("это папка, а не файл с вопросами");
    if (fs::is_regular_file(status)) {
        const auto size = fs::file_size(file, ec);
        if (!ec && size > MaxSourceBytes)
            return fail("файл слишком большой (" + Megabytes(size) + "): файл вопросов не бывает больше "
                        + Megabytes(MaxSourceBytes) + " — проверьте, тот ли это файл");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return fail("файл не открывается для чтения");
    // Pipes have no size: read one byte past the limit to notice.
    std::string bytes;
    char block[1 << 16];
    while (bytes.size() <= MaxSourceBytes && in.read(block, sizeof block).gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return fail("файл не читается");
    if (bytes.size() > MaxSourceBytes)
        return fail("файл больше " + Megabytes(MaxSourceBytes) + ": файл вопросов не бывает таким большим — проверьте, "
                                                                 "тот ли это файл");
    return DecodeSource(bytes, problems);
}

} // namespace bank
