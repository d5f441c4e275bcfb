#include "profiles/ProfileList.h"

#include "platform/DebugOutput.h"
#include "profiles/JsonFields.h"
#include "profiles/StorageHelpers.h"
#include "profiles/StoredNames.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

namespace pj = profiles::json;

constexpr const char* kList = "profilelist";
constexpr const char* kSelect = "profileselect";
constexpr const char* kName = "profilename";
constexpr const char* kId = "profileUUID";
constexpr const char* kIsLink = "profileislink";
constexpr const char* kLinkName = "profilelinkmame";
constexpr const char* kFirstName = "profile1";

Json::Value ListEntry(const std::string& name, const std::string& id)
{
    Json::Value entry(Json::objectValue);
    entry[kName] = name;
    entry[kId] = id;
    entry[kIsLink] = 0;
    entry[kLinkName] = "";
    return entry;
}

// A profile document carries its list entry's name and identifier.
void Stamp(Json::Value& document, const std::string& name, const std::string& id)
{
    if (!document.isObject())
        document = Json::Value(Json::objectValue);
    document[kName] = name;
    document[kId] = id;
}

std::string Text(const Json::Value& object, const char* member)
{
    return pj::ToString(pj::Member(object, member));
}

} // namespace

void CProfileList::SetFolders(std::string deviceFolder, std::string defaultProfileFile)
{
    folder_ = std::move(deviceFolder);
    defaultFile_ = std::move(defaultProfileFile);
}

std::string CProfileList::ProfileFile(int position) const
{
    if (position < 0 || position >= Count())
        return {};
    return folder_ + entries_[static_cast<size_t>(position)].id + kProfileExtension;
}

void CProfileList::Reread()
{
    const std::string path = folder_ + kListFileName;
    Json::Value read = readjsonFile(path);
    const Json::Value& items = pj::Member(read, kList);
    const bool usable = items.isArray();
    if (!usable && IsDamagedDocument(path, Json::Value()))
        KeepDamagedCopy(path);
    list_ = Json::Value(Json::objectValue);
    list_[kList] = Json::Value(Json::arrayValue);
    list_[kSelect] =
        static_cast<int>(std::clamp<int64_t>(pj::ToInteger(pj::Member(read, kSelect)), 0, 1 << 20));
    entries_.clear();
    if (!usable)
        return;
    for (const Json::Value& item : items) {
        if (!item.isObject())
            continue;
        const std::string id = Text(item, kId);
        if (!IsPlainFileName(id)) {
            platform::DebugPrintf("profile list: entry with unusable identifier skipped\n");
            continue;
        }
        const std::string name = Text(item, kName);
        list_[kList].append(ListEntry(name, id));
        entries_.push_back({name, id});
    }
    selection_ = std::clamp(list_[kSelect].asInt(), 0, std::max(0, Count() - 1));
}

bool CProfileList::WriteList()
{
    const std::string path = folder_ + kListFileName;
    writejsonFile(path, list_);
    // writejsonFile leaves a file it cannot write as it was; read back to know.
    return readjsonFile(path) == list_;
}

bool CProfileList::NameTaken(std::string_view name) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return SameNameNoCase(e.name, name); });
}

Json::Value CProfileList::ReadDefaultProfile() const
{
    return readjsonFile(defaultFile_);
}

int CProfileList::AppendProfile(const std::string& name, Json::Value document, bool selectIt)
{
    std::vector<std::string> known;
    for (const Entry& e : entries_)
        known.push_back(e.id);
    const std::string id = FreshStampName(folder_, kProfileExtension, known);
    Stamp(document, name, id);
    const std::string file = folder_ + id + kProfileExtension;
    writejsonFile(file, document);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return -1; // the profile could not be stored; the list stays as it was
    list_[kList].append(ListEntry(name, id));
    entries_.push_back({name, id});
    if (selectIt)
        list_[kSelect] = Count() - 1;
    if (!WriteList()) {
        std::filesystem::remove(file, error);
        Reread();
        return -1;
    }
    return Count() - 1;
}

void CProfileList::Load()
{
    Reread();
    if (entries_.empty()) {
        list_[kSelect] = 0;
        AppendProfile(kFirstName, ReadDefaultProfile(), true);
    }
    selection_ = std::clamp(list_[kSelect].asInt(), 0, std::max(0, Count() - 1));
    currentId_ = entries_.empty() ? std::string() : entries_[static_cast<size_t>(selection_)].id;
}

bool CProfileList::Select(int position)
{
    Reread();
    if (position < 0 || position >= Count())
        return false;
    list_[kSelect] = position;
    selection_ = position;
    currentId_ = entries_[static_cast<size_t>(position)].id;
    WriteList();
    return true;
}

int CProfileList::Add()
{
    Reread();
    if (Count() >= kMaxAdded)
        return -1;
    const std::string name = LowestFreeName("profile%d", [this](std::string_view n) { return NameTaken(n); });
    return AppendProfile(name, ReadDefaultProfile(), true);
}

int CProfileList::Copy(int position)
{
    Reread();
    if (position < 0 || position >= Count())
        return -1;
    std::string name = entries_[static_cast<size_t>(position)].name + " copy";
    while (NameTaken(name))
        name += " copy";
    return AppendProfile(name, readjsonFile(ProfileFile(position)), false);
}

CProfileList::ImportResult CProfileList::Import(const std::string& file, int* position)
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxImportBytes)
        return ImportResult::NotAProfile;
    Json::Value document = readjsonFile(file);
    if (!document.isObject() || !document.isMember(kName) || !document.isMember(kId))
        return ImportResult::NotAProfile;
    Reread();
    const std::string title = FileTitleOf(file);
    std::string name = title;
    for (int k = 1; NameTaken(name); ++k)
        name += "(" + std::to_string(k) + ")";
    const int added = AppendProfile(name, std::move(document), false);
    if (position != nullptr)
        *position = added;
    // A profile stored under an empty identifier is a leftover of an import gone wrong.
    std::filesystem::remove(folder_ + kProfileExtension, error);
    return added < 0 ? ImportResult::Failed : ImportResult::Imported;
}

bool CProfileList::Delete(int position)
{
    Reread();
    if (position < 0 || position >= Count() || Count() < 2)
        return false;
    const std::string file = ProfileFile(position);
    Json::Value kept(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < list_[kList].size(); ++i) {
        if (static_cast<int>(i) != position)
            kept.append(list_[kList][i]);
    }
    list_[kList] = kept;
    entries_.erase(entries_.begin() + position);
    list_[kSelect] = position > 0 ? position - 1 : 0;
    if (!WriteList())
        return false;
    std::error_code error;
    std::filesystem::remove(file, error);
    return true;
}

CProfileList::RenameResult CProfileList::Rename(int position, std::string_view name)
{
    if (IsBlank(name))
        return RenameResult::Blank;
    Reread();
    if (position < 0 || position >= Count())
        return RenameResult::Duplicate;
    for (int i = 0; i < Count(); ++i) {
        if (i != position && SameNameNoCase(entries_[static_cast<size_t>(i)].name, name))
            return RenameResult::Duplicate;
    }
    entries_[static_cast<size_t>(position)].name = name;
    list_[kList][position][kName] = std::string(name);
    WriteList();
    const std::string file = ProfileFile(position);
    Json::Value document = readjsonFile(file);
    if (document.isObject()) {
        document[kName] = std::string(name);
        writejsonFile(file, document);
    }
    return RenameResult::Renamed;
}

bool CProfileList::Export(int position, const std::string& path)
{
    Reread();
    const Json::Value document = readjsonFile(ProfileFile(position));
    if (!document.isObject() || path.empty())
        return false;
    writejsonFile(path, document);
    return readjsonFile(path) == document;
}

bool CProfileList::Reset(int position)
{
    Reread();
    if (position < 0 || position >= Count())
        return false;
    const Entry entry = entries_[static_cast<size_t>(position)];
    const std::string file = ProfileFile(position);
    Json::Value document = ReadDefaultProfile();
    Stamp(document, entry.name, entry.id);
    if (kind_ == kHeadsetKind) {
        // The user's own equalisers are not factory settings: they survive a reset.
        const Json::Value old = readjsonFile(file);
        const Json::Value& oldEntry = pj::Element(pj::Member(old, "Device"), 0);
        for (const char* member : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = pj::Member(oldEntry, member);
            if (!kept.isNull())
                pj::MemberSlot(*pj::ElementSlot(pj::MemberSlot(document, "Device"), 0), member) = kept;
        }
    }
    writejsonFile(file, document);
    return true;
}
