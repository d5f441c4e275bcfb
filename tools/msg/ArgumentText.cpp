#include "tools/msg/ArgumentText.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace msgtool {

std::optional<uint64_t> ParseNumber(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative) {
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? ~value + 1 : value;
}

std::optional<std::string> ParseHex(std::string_view text)
{
    std::string out;
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == ':') {
            if (high >= 0) {
                return std::nullopt; // a blank inside a pair
            }
            continue;
        }
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        if (high < 0) {
            high = digit;
        } else {
            out += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    if (high >= 0) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> ReadWholeFile(const std::string& path, size_t limit, std::string& error)
{
    // Plain reads: a folder or an unreadable file is an error value here, never an exception.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got < 0) {
                error = std::strerror(errno);
            }
            ::close(fd);
            return got < 0 ? std::nullopt : std::optional<std::string>(std::move(content));
        }
        content.append(buffer, static_cast<size_t>(got));
        if (content.size() > limit) {
            content.resize(limit + 1); // enough to tell that it is too large; /dev/zero ends here too
            ::close(fd);
            return content;
        }
    }
}

} // namespace msgtool
