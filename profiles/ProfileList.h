#pragma once
// CProfileList: the named profiles of one device kind. The device folder holds the list file
// "ProfileList.ini" (a JSON document: "profilelist" with "profilename", "profileUUID", "profileislink"
// and "profilelinkmame" per entry, and "profileselect") and one profile file per entry, named after the
// entry's identifier with ".Json". The list file is the truth: every operation reads it again before it
// changes anything, and writes it whole.
//
// Stored names are outside input: an entry whose identifier could not name a file in the device folder
// (IsPlainFileName) is left out with a debug line, so nothing outside the folder is ever read, written
// or deleted. A list file that cannot be read as a list is kept under ".damaged" before it is replaced.
// Display names are compared without regard to letter case and may hold any UTF-8.
//
// Not thread-safe: the UI thread owns it.

#include <json/value.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CProfileList
{
public:
    static constexpr const char* kListFileName = "ProfileList.ini";
    static constexpr const char* kProfileExtension = ".Json";
    // Adding stops at this many profiles (copies and imports do not).
    static constexpr int kMaxAdded = 50;
    // An import larger than this is not a profile.
    static constexpr uintmax_t kMaxImportBytes = 8u << 20;
    // The device kind whose reset keeps the custom equalisers.
    static constexpr int kHeadsetKind = 7;

    struct Entry
    {
        std::string name;
        std::string id;
    };

    enum class RenameResult
    {
        Duplicate = 0, // another profile has that name
        Renamed = 1,
        Blank = 2
    };

    enum class ImportResult
    {
        Imported,
        NotAProfile, // unreadable, too large, not JSON, or without "profilename" and "profileUUID"
        Failed       // the list or the new profile file could not be written
    };

    // The device folder ends in '/'; the default profile is the factory document new profiles copy.
    void SetFolders(std::string deviceFolder, std::string defaultProfileFile);
    void SetDeviceKind(int kind) { kind_ = kind; }
    const std::string& DeviceFolder() const { return folder_; }

    // Reads the list. A missing, damaged or empty list becomes one profile "profile1", stored with its
    // profile file (a copy of the default profile). The selection is "profileselect", kept in range.
    void Load();
    // The entries as last read, in list order, and the stored selection.
    const std::vector<Entry>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    int StoredSelection() const { return selection_; }
    // The profile file of an entry (device folder + identifier + ".Json"); empty when out of range.
    std::string ProfileFile(int position) const;

    // Makes the entry current: "profileselect" is stored; its identifier is the current one.
    bool Select(int position);
    const std::string& CurrentId() const { return currentId_; }

    // The operations, each answering the new entry's position or -1 when nothing changed.
    // Add: "profile%d", the lowest free number, from the default profile; refused at kMaxAdded.
    int Add();
    // Copy: the entry's name with " copy" (again while taken), and a copy of its profile file.
    int Copy(int position);
    // Import: a profile file written by Export (or by hand); named after the file.
    ImportResult Import(const std::string& file, int* position = nullptr);
    // Delete: refused for the last profile; removes the entry and its profile file.
    bool Delete(int position);
    RenameResult Rename(int position, std::string_view name);
    // Writes the entry's profile document to the path; false when it cannot be read or written.
    bool Export(int position, const std::string& path);
    // Replaces the entry's profile with the default one (a headset keeps its custom equalisers).
    bool Reset(int position);

private:
    // Reads the list file into list_ and entries_ (dropping entries that cannot be used).
    void Reread();
    bool WriteList();
    bool NameTaken(std::string_view name) const;
    // Appends an entry for a new profile with the document, stored under a fresh identifier.
    int AppendProfile(const std::string& name, Json::Value document, bool selectIt);
    Json::Value ReadDefaultProfile() const;

    int kind_ = 0;
    std::string folder_;
    std::string defaultFile_;
    Json::Value list_;
    std::vector<Entry> entries_;
    int selection_ = 0;
    std::string currentId_;
};
