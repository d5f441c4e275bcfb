#include "profiles/StoredNames.h"

#include "platform/Event.h"
#include "profiles/StorageHelpers.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxStoredNameBytes && name.find_first_of("/\\") == name.npos &&
           name.find("..") == name.npos && name.find('\0') == name.npos;
}

bool SameNameNoCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string LowestFreeName(const char* pattern, const std::function<bool(std::string_view)>& taken)
{
    char buffer[256];
    for (int n = 1;; ++n) {
        std::snprintf(buffer, sizeof buffer, pattern, n);
        if (!taken(buffer))
            return buffer;
    }
}

std::string FreshStampName(const std::string& folder, std::string_view extension,
                           const std::vector<std::string>& known)
{
    const auto taken = [&](const std::string& name) {
        std::error_code error;
        return std::find(known.begin(), known.end(), name) != known.end() ||
               std::filesystem::exists(folder + name + std::string(extension), error);
    };
    std::string name = MakeTimeStampName();
    // The clock moves on by a millisecond at a time; a few tries are enough.
    for (int tries = 0; taken(name) && tries < 1000; ++tries) {
        platform::SleepMs(1);
        name = MakeTimeStampName();
    }
    return name;
}
