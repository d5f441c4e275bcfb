#pragma once
// Rules for the names of stored things: which names may become a file name in a device folder, how
// display names are compared, the lowest free numbered name, and fresh identifiers.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The longest identifier or file name taken from a stored document.
inline constexpr size_t kMaxStoredNameBytes = 200;

// True when a name read from a file may name a file in its folder: not empty, at most
// kMaxStoredNameBytes, no folder separator, no "..", no NUL.
bool IsPlainFileName(std::string_view name);

// Display names are compared without regard to letter case (ASCII letters; other scripts as they are).
bool SameNameNoCase(std::string_view a, std::string_view b);

// The first name of printf-style pattern (one %d) with 1, 2, 3 … that taken refuses.
std::string LowestFreeName(const char* pattern, const std::function<bool(std::string_view)>& taken);

// A time-stamp identifier (MakeTimeStampName) that is none of the known ones and names no file of the
// extension in the folder: two made within one millisecond would otherwise be the same, and a second
// profile would overwrite the first one's file.
std::string FreshStampName(const std::string& folder, std::string_view extension,
                           const std::vector<std::string>& known);
