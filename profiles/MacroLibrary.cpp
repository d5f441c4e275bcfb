#include "profiles/MacroLibrary.h"

#include "platform/DebugOutput.h"
#include "profiles/BasicProfiledata.h"
#include "profiles/JsonFields.h"
#include "profiles/StorageHelpers.h"
#include "profiles/StoredNames.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

namespace pj = profiles::json;

constexpr const char* kInfo = "MacroInfo";
constexpr const char* kName = "MacroName";
constexpr const char* kGuid = "Guid";
constexpr const char* kEvents = "Events";
constexpr uint16_t kBlockMagic = 0x55AA;
constexpr size_t kBlockHeader = 16;
constexpr uint8_t kPlayMacro = 0x70;
constexpr uint8_t kPlayMacroRepeated = 0x71;

// A delay as stored: decimal text (or a number), 0-65535; anything else 0.
uint16_t ReadDelay(const Json::Value& value)
{
    int64_t delay = 0;
    if (value.isString()) {
        const std::string text = value.asString();
        std::from_chars(text.data(), text.data() + text.size(), delay);
    } else {
        delay = pj::ToInteger(value);
    }
    return static_cast<uint16_t>(std::clamp<int64_t>(delay, 0, 0xFFFF));
}

MacroEvent ReadEvent(const Json::Value& item)
{
    MacroEvent event;
    event.down = pj::ToString(pj::Member(item, "Action")) == "down";
    event.type = pj::Read8(item, "Type");
    event.button = pj::Read8(item, "Button");
    event.delayMs = ReadDelay(pj::Member(item, "Delay"));
    return event;
}

Json::Value WriteEvent(const MacroEvent& event)
{
    Json::Value item(Json::objectValue);
    item["Action"] = event.down ? "down" : "up";
    item["Type"] = event.type;
    item["Button"] = event.button;
    item["Delay"] = std::to_string(event.delayMs);
    return item;
}

void Put16(std::vector<uint8_t>& block, size_t at, size_t value)
{
    block[at] = static_cast<uint8_t>(value);
    block[at + 1] = static_cast<uint8_t>(value >> 8);
}

bool CopyFileBytes(const std::string& from, const std::string& to)
{
    std::error_code error;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error) &&
           !error;
}

} // namespace

// Library ------------------------------------------------------------------------------------------------

void CMacroLibrary::Load()
{
    entries_.clear();
    const Json::Value library = readjsonFile(folder_ + kLibraryFileName);
    for (const Json::Value& item : pj::Member(library, kInfo)) {
        if (item.isObject())
            entries_.push_back(
                {pj::ToString(pj::Member(item, kName)), pj::ToString(pj::Member(item, kGuid))});
    }
}

bool CMacroLibrary::WriteLibrary()
{
    Json::Value library(Json::objectValue);
    library[kInfo] = Json::Value(Json::arrayValue);
    for (const Entry& e : entries_) {
        Json::Value item(Json::objectValue);
        item[kName] = e.name;
        item[kGuid] = e.id;
        library[kInfo].append(item);
    }
    const std::string path = folder_ + kLibraryFileName;
    writejsonFile(path, library);
    return readjsonFile(path) == library;
}

std::string CMacroLibrary::MacroFile(int number) const
{
    if (number < 0 || number >= Count())
        return {};
    const std::string& id = entries_[static_cast<size_t>(number)].id;
    if (!IsPlainFileName(id)) {
        platform::DebugPrintf("macro library: macro %d has an unusable identifier\n", number);
        return {};
    }
    return folder_ + id + kMacroExtension;
}

bool CMacroLibrary::NameTaken(std::string_view name) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return SameNameNoCase(e.name, name); });
}

int CMacroLibrary::Add()
{
    Load();
    if (Count() >= kMaxMacros)
        return -1;
    const std::string name = LowestFreeName("macro_%d", [this](std::string_view n) { return NameTaken(n); });
    std::vector<std::string> known;
    for (const Entry& e : entries_)
        known.push_back(e.id);
    const std::string id = FreshStampName(folder_, kMacroExtension, known);
    entries_.push_back({name, id});
    if (!WriteLibrary()) {
        Load();
        return -1;
    }
    return Count() - 1;
}

bool CMacroLibrary::Delete(int number)
{
    Load();
    if (number < 0 || number >= Count())
        return false;
    const std::string file = MacroFile(number);
    entries_.erase(entries_.begin() + number);
    if (!WriteLibrary()) {
        Load();
        return false;
    }
    std::error_code error;
    if (!file.empty())
        std::filesystem::remove(file, error);
    return true;
}

CMacroLibrary::RenameResult CMacroLibrary::Rename(int number, std::string_view name)
{
    if (IsBlank(name))
        return RenameResult::Blank;
    Load();
    if (number < 0 || number >= Count() || NameTaken(name))
        return RenameResult::Duplicate;
    entries_[static_cast<size_t>(number)].name = name;
    WriteLibrary();
    return RenameResult::Renamed;
}

bool CMacroLibrary::Save(int number, const std::vector<MacroEvent>& events)
{
    Load();
    const std::string file = MacroFile(number);
    if (file.empty())
        return false;
    Json::Value document(Json::objectValue);
    document[kName] = entries_[static_cast<size_t>(number)].name;
    document[kGuid] = entries_[static_cast<size_t>(number)].id;
    document[kEvents] = Json::Value(Json::arrayValue);
    for (const MacroEvent& e : events)
        document[kEvents].append(WriteEvent(e));
    document["Version"] = kFileVersion;
    writejsonFile(file, document);
    return readjsonFile(file) == document;
}

std::vector<MacroEvent> CMacroLibrary::ReadEvents(int number) const
{
    std::vector<MacroEvent> events;
    const std::string file = MacroFile(number);
    if (file.empty())
        return events;
    const Json::Value document = readjsonFile(file);
    for (const Json::Value& item : pj::Member(document, kEvents)) {
        if (item.isObject())
            events.push_back(ReadEvent(item));
    }
    return events;
}

int CMacroLibrary::Import(const std::string& file)
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxImportBytes || !pj::Member(readjsonFile(file), kEvents).isArray())
        return -1;
    const int number = Add();
    if (number < 0)
        return -1;
    // The file is taken as it is; its own name and identifier stay until the next save.
    if (!CopyFileBytes(file, MacroFile(number))) {
        Delete(number);
        return -1;
    }
    return number;
}

bool CMacroLibrary::Export(int number, const std::string& path) const
{
    const std::string file = MacroFile(number);
    return !file.empty() && !path.empty() && CopyFileBytes(file, path);
}

// Key assignments and the device block ----------------------------------------------------------------------

bool PlaysMacro(const KeyAssignmentEntry& key)
{
    return key.Type == kPlayMacro || key.Type == kPlayMacroRepeated;
}

std::vector<int> UsedMacroNumbers(const std::vector<KeyAssignmentEntry>& keys, int macroCount,
                                  const std::vector<bool>& isOnDevice)
{
    std::vector<int> used;
    for (size_t position = 0; position < keys.size(); ++position) {
        const KeyAssignmentEntry& key = keys[position];
        const bool onDevice = position < isOnDevice.size() && isOnDevice[position];
        if (!onDevice || !PlaysMacro(key) || key.Param1 >= macroCount)
            continue;
        if (std::find(used.begin(), used.end(), key.Param1) == used.end())
            used.push_back(key.Param1);
    }
    return used;
}

std::array<uint8_t, 4> MacroEventRecord(const MacroEvent& event)
{
    return {static_cast<uint8_t>(event.delayMs), static_cast<uint8_t>(event.delayMs >> 8),
            static_cast<uint8_t>(event.type | (event.down ? 0x80 : 0)), event.button};
}

MacroBlock BuildMacroBlock(const CMacroLibrary& library, const std::vector<int>& numbers, size_t spaceBytes)
{
    MacroBlock block;
    if (numbers.empty() || library.Count() == 0)
        return block;
    std::vector<std::vector<MacroEvent>> macros;
    size_t total = kBlockHeader;
    for (const int number : numbers) {
        macros.push_back(library.ReadEvents(number));
        total += 2 + 4 + 4 * macros.back().size();
    }
    // The block's own size field is 16 bits wide.
    const size_t space = std::min<size_t>(spaceBytes, 0xFFFF);
    if (total > space) {
        block.result = static_cast<int>((total - space) / 4 + 1);
        return block;
    }
    block.bytes.assign(total, 0);
    Put16(block.bytes, 0, kBlockMagic);
    Put16(block.bytes, 2, total);
    Put16(block.bytes, 4, macros.size());
    size_t at = kBlockHeader + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        Put16(block.bytes, kBlockHeader + 2 * i, at);
        Put16(block.bytes, at, macros[i].size());
        at += 4;
        for (const MacroEvent& event : macros[i]) {
            const std::array<uint8_t, 4> record = MacroEventRecord(event);
            std::copy(record.begin(), record.end(), block.bytes.begin() + static_cast<std::ptrdiff_t>(at));
            at += 4;
        }
    }
    return block;
}

bool RemoveMacroFromKeys(std::vector<KeyAssignmentEntry>& keys, int deleted)
{
    bool changed = false;
    for (KeyAssignmentEntry& key : keys) {
        if (!PlaysMacro(key))
            continue;
        if (key.Param1 == deleted) {
            key.Type = key.DefaultType;
            key.Param1 = key.DefaultParam1;
            key.Param2 = key.DefaultParam2;
            changed = true;
        } else if (key.Param1 > deleted) {
            --key.Param1;
            changed = true;
        }
    }
    return changed;
}

int RemoveMacroFromProfiles(CBasicProfiledata& profile, const std::vector<std::string>& profileFiles,
                            int deleted)
{
    int changed = 0;
    for (const std::string& file : profileFiles) {
        profile.LoadOther(file);
        std::vector<KeyAssignmentEntry> keys = profile.GetOtherKeyList();
        if (!RemoveMacroFromKeys(keys, deleted))
            continue;
        profile.SetOtherKeyList(keys);
        profile.SaveOtherEntryTo(file);
        ++changed;
    }
    return changed;
}
