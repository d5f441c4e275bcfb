#pragma once
// Reading the command line's values: numbers, hexadecimal bytes and files. Each answers nothing for a
// bad value and leaves the error's wording to the caller.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace msgtool {

// A decimal or "0x" hexadecimal number, optionally negative (then taken as its two's complement, as
// a window message parameter would hold it).
std::optional<uint64_t> ParseNumber(std::string_view text);
// Pairs of hexadecimal digits; blanks and ':' between pairs are allowed.
std::optional<std::string> ParseHex(std::string_view text);
// The whole file, or its first limit + 1 bytes when it is longer; on failure the system's reason in
// error.
std::optional<std::string> ReadWholeFile(const std::string& path, size_t limit, std::string& error);

} // namespace msgtool
