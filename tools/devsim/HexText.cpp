#include "tools/devsim/HexText.h"

#include <algorithm>

namespace devsim {

std::string ToHex(std::span<const uint8_t> bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> FromHex(std::string_view text)
{
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\t')
            continue;
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        if (high < 0) {
            high = d;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | d));
            high = -1;
        }
    }
    if (high >= 0)
        return std::nullopt;
    return bytes;
}

} // namespace devsim
