#pragma once
// CMacroLibrary: the macros of one device kind (keyboard or mouse). The device folder holds the library
// "macro.config" ("MacroInfo": "MacroName" and "Guid" per macro; a macro's position is its number) and
// one macro file per macro, named after its identifier with ".mac" ("Events", "MacroName", "Guid",
// "Version"). Every operation reads the library again before it changes it.
//
// Key assignments play a macro by its number, so deleting one renumbers the assignments of every
// profile (RemoveMacroFromKeys); when a profile is applied, the macros its keys play travel to the
// device as one macro data block (UsedMacroNumbers, BuildMacroBlock).
//
// Stored names are outside input: an identifier that could not name a file in the device folder
// (IsPlainFileName) leaves its macro without a file, with a debug line. Not thread-safe: one owner.

#include "profiles/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One event of a macro as stored.
struct MacroEvent
{
    // "Type" values the editor makes.
    enum Kind : uint8_t
    {
        kMouseButton = 1,
        kMoveHorizontal = 4,
        kMoveVertical = 5,
        kModifier = 9,
        kKey = 10
    };

    bool down = true; // "Action": "down" or "up"
    uint8_t type = kKey;
    uint8_t button = 0;
    uint16_t delayMs = 0; // the wait before the next event

    bool operator==(const MacroEvent&) const = default;
};

class CMacroLibrary
{
public:
    static constexpr const char* kLibraryFileName = "macro.config";
    static constexpr const char* kMacroExtension = ".mac";
    static constexpr int kMaxMacros = 50;
    static constexpr int kFileVersion = 64;
    // An import larger than this is not a macro.
    static constexpr uintmax_t kMaxImportBytes = 8u << 20;

    struct Entry
    {
        std::string name;
        std::string id;
    };

    enum class RenameResult
    {
        Renamed,
        Duplicate, // some macro, this one included, has that name
        Blank
    };

    // The device folder ends in '/'.
    void SetFolder(std::string deviceFolder) { folder_ = std::move(deviceFolder); }
    // Reads the library; a missing or damaged one is empty.
    void Load();
    const std::vector<Entry>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    // The macro file of a macro number; empty when out of range or its identifier is unusable.
    std::string MacroFile(int number) const;

    // The operations. Add answers the new macro's number ("macro_%d", the lowest free number; no file
    // until the first save) or -1 when the library is full. Import adds a macro whose file is a copy of
    // the given macro file; -1 when full or when the file is not a macro (nothing changes then).
    int Add();
    bool Delete(int number);
    RenameResult Rename(int number, std::string_view name);
    bool Save(int number, const std::vector<MacroEvent>& events);
    int Import(const std::string& file);
    bool Export(int number, const std::string& path) const;

    // The events of a macro's file, in order (none when the file is missing or unreadable).
    std::vector<MacroEvent> ReadEvents(int number) const;

private:
    bool NameTaken(std::string_view name) const;
    bool WriteLibrary();

    std::string folder_;
    std::vector<Entry> entries_;
};

// What a macro number in a key assignment means: types 0x70 and 0x71 play the macro numbered by the
// first parameter.
bool PlaysMacro(const KeyAssignmentEntry& key);

// The macros the keys play, each once, in order of first use; keys whose position is not on the device
// (isOnDevice false) and numbers at or above macroCount are left out.
std::vector<int> UsedMacroNumbers(const std::vector<KeyAssignmentEntry>& keys, int macroCount,
                                  const std::vector<bool>& isOnDevice);

// The device's macro data block for the listed macros: header 0x55AA, total size, count, offsets, then
// per macro its event count and 4-byte event records (delay low, delay high, type | 0x80 when down,
// button). Answers 0 with the block; 0 and an empty block when the list is empty or the library is
// unreadable; (total - space) / 4 + 1 when it does not fit the device's macro space of spaceBytes.
struct MacroBlock
{
    int result = 0;
    std::vector<uint8_t> bytes;
};
MacroBlock BuildMacroBlock(const CMacroLibrary& library, const std::vector<int>& numbers, size_t spaceBytes);
// The four bytes of one event as the device stores it.
std::array<uint8_t, 4> MacroEventRecord(const MacroEvent& event);

// After macro `deleted` is removed: keys that played it return to their default assignment, keys that
// played a later one play the number below. True when a key changed.
bool RemoveMacroFromKeys(std::vector<KeyAssignmentEntry>& keys, int deleted);

// The same for the key lists of the profile files (the device's other profiles), each read and saved
// through the profile data object's other-profile document; a file whose keys do not change is left as
// it is. Answers how many files changed.
class CBasicProfiledata;
int RemoveMacroFromProfiles(CBasicProfiledata& profile, const std::vector<std::string>& profileFiles,
                            int deleted);
