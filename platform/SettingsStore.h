#pragma once
// The per-user settings store, standing in for the current user's registry: typed values (text or
// 32-bit integer) by name under key paths such as "SOFTWARE\ORVANT X80 PRO". Key paths take '\' or
// '/' as separator; keys and value names compare without regard to ASCII letter case, as registry
// names do.
//
// Everything lives in one text file (by default SettingsFolder() + "settings.ini"), read afresh by
// every call and replaced atomically by every change, so several stores on the same file (in this
// process or in others) always read each other's writes. A damaged file reads as empty.
//
// Lock order: the process-wide store lock, then the file lock (an flock on "<file>.lock"); both are
// held only inside one call.
//
// File format: a first line "; ORVANT X80 PRO settings", then "[key]" lines each followed by its
// "name=string:text" / "name=dword:decimal" lines; '%' and control characters (and '=' and '[' in names,
// ']' in keys) are written as %XX.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class SettingsStore
{
public:
    // The user's store in the settings folder.
    SettingsStore();
    // A store on the given file (tests, or a second store).
    explicit SettingsStore(std::string filePath);

    const std::string& FilePath() const { return path_; }

    bool KeyExists(std::string_view key) const;
    // The value, or nothing when the key or value is missing or holds the other type.
    std::optional<std::string> GetString(std::string_view key, std::string_view name) const;
    std::optional<uint32_t> GetInt(std::string_view key, std::string_view name) const;

    // Each change creates the key when missing; false when the file could not be written.
    bool CreateKey(std::string_view key);
    bool SetString(std::string_view key, std::string_view name, std::string_view value);
    bool SetInt(std::string_view key, std::string_view name, uint32_t value);
    // True when the value existed and was removed.
    bool DeleteValue(std::string_view key, std::string_view name);

private:
    std::string path_;
};

} // namespace platform
