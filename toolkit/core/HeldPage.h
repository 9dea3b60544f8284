#pragma once
// The browser engine takes a page from memory as one data: address,
// "data:text/html;base64," and the page in base64 with '+', '/' and '=' written
// as %XX, and refuses an address over 2 MiB: pages up to about 1.5 MB fit.
// The station's view and the content checker both judge by this.
#include <cstddef>
#include <string_view>

namespace tk {

inline bool HeldPageFits(std::string_view bytes)
{
    constexpr std::size_t MaxAddress = 2 * 1024 * 1024;
    constexpr std::size_t Prefix = 22;
    constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t length = Prefix + (bytes.size() + 2) / 3 * 4;
    if (length > MaxAddress)
        return false;
    // Each group of three bytes gives four letters; count the escaped ones.
    for (std::size_t k = 0; k < bytes.size(); k += 3) {
        const std::size_t n = bytes.size() - k < 3 ? bytes.size() - k : 3;
        unsigned group = 0;
        for (std::size_t b = 0; b < 3; ++b)
            group = group << 8 | (b < n ? static_cast<unsigned char>(bytes[k + b]) : 0u);
        for (std::size_t l = 0; l < 4; ++l) {
            const bool padding = l > n;
            const char letter = Alphabet[(group >> (18 - 6 * l)) & 63];
            if (padding || letter == '+' || letter == '/')
                length += 2;
        }
    }
    return length <= MaxAddress;
}

} // namespace tk
