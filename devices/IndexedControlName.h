#pragma once
// Indexed control names: a group of like controls carries a number after its last underscore
// ("key_12", "light_3"). The name splits at the last underscore into the prefix (underscore included)
// and the number.

#include <optional>
#include <string>
#include <string_view>

struct IndexedControlName
{
    std::string prefix; // up to and including the last underscore
    int number = 0;
};

// The parts of the name, or nothing when it has no underscore or no plain decimal number after it.
std::optional<IndexedControlName> SplitIndexedName(std::string_view name);
// Prefix comparison without regard to letter case (ASCII).
bool SamePrefix(std::string_view a, std::string_view b);
