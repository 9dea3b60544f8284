#include "tools/Charset.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace charset {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (Valid())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts from `in` on, appending to `out`, until the input ends or a
    // character cannot be converted; `in` is left at that character.
    // Returns the errno of the stop, 0 when all was converted.
    int Convert(std::string_view& in, std::string& out)
    {
        char buffer[4096];
        while (!in.empty()) {
            char* source = const_cast<char*>(in.data());
            std::size_t left = in.size();
            char* target = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t done = ::iconv(cd_, &source, &left, &target, &room);
            const int error = done == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(target - buffer));
            in.remove_prefix(in.size() - left);
            if (error != 0 && error != E2BIG)
                return error;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

} // namespace

CodePoint DecodeUtf8(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {1, lead};
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, value = lead & 0x07u;
    } else {
        return {};
    }
    if (at + length > text.size())
        return {};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0u) != 0x80u)
            return {};
        value = value << 6 | (next & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < minimum || value > 0x10FFFF || surrogate)
        return {};
    return {length, value};
}

std::size_t FirstInvalidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const auto point = DecodeUtf8(text, at);
        if (point.length == 0)
            return at;
        at += point.length;
    }
    return std::string_view::npos;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::size_t CountCharacters(std::string_view utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u)
            ++count;
    return count;
}

std::optional<std::string> ToUtf8(std::string_view bytes, const char* from)
{
    Converter converter("UTF-8", from);
    if (!converter.Valid())
        return std::nullopt;
    std::string out;
    out.reserve(bytes.size() * 2);
    if (converter.Convert(bytes, out) != 0)
        return std::nullopt;
    return out;
}

std::string ToCp1251WithReferences(std::string_view utf8)
{
    Converter converter("WINDOWS-1251", "UTF-8");
    if (!converter.Valid())
        throw std::runtime_error("iconv: no windows-1251 converter");
    std::string out;
    out.reserve(utf8.size());
    while (converter.Convert(utf8, out) != 0) {
        // The code page lacks this character (or the text is not UTF-8 here):
        // a reference keeps it.
        const auto point = DecodeUtf8(utf8, 0);
        out += "&#" + std::to_string(point.length ? point.value : 0xFFFDu) + ";";
        utf8.remove_prefix(point.length ? point.length : 1);
    }
    return out;
}

} // namespace charset
