#pragma once
// Percent escapes for texts that go into line-based files and file names: each byte that is a
// control character, DEL, '%' or one of the caller's specials is written as %XX (upper-case hex).

#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::string PercentEncode(std::string_view text, std::string_view specials);
// The original bytes, or nothing when an escape is cut short or not hexadecimal.
std::optional<std::string> PercentDecode(std::string_view text);

} // namespace platform
