#pragma once
// Byte blocks as hexadecimal text, the form memory takes in dumps and state files.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

std::string ToHex(std::span<const uint8_t> bytes);
// Accepts upper or lower case digits and ignores blanks; nothing on odd length or a non-digit.
std::optional<std::vector<uint8_t>> FromHex(std::string_view text);

} // namespace devsim
