#include "devices/IndexedControlName.h"

#include <charconv>
#include <strings.h>

std::optional<IndexedControlName> SplitIndexedName(std::string_view name)
{
    const size_t cut = name.rfind('_');
    if (cut == std::string_view::npos)
        return std::nullopt;
    const std::string_view digits = name.substr(cut + 1);
    if (digits.empty() || digits.size() > 9 || digits[0] < '0' || digits[0] > '9')
        return std::nullopt;
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return IndexedControlName{std::string(name.substr(0, cut + 1)), number};
}

bool SamePrefix(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}
