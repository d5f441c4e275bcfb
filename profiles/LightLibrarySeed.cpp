#include "profiles/LightLibrarySeed.h"

#include "profiles/JsonFields.h"
#include "profiles/StorageHelpers.h"
#include "profiles/StoredNames.h"

#include <filesystem>
#include <system_error>

namespace {

namespace pj = profiles::json;

// Copies a shipped file into the device folder unless the folder has it already.
bool CopyIfMissing(const std::string& from, const std::string& to)
{
    std::error_code error;
    if (std::filesystem::exists(to, error) || !std::filesystem::is_regular_file(from, error))
        return false;
    return std::filesystem::copy_file(from, to, error) && !error;
}

// Every "Guid" in the list, however deep its groups are nested.
void CollectGuids(const Json::Value& value, std::vector<std::string>& guids, int depth = 0)
{
    if (depth > 8)
        return;
    if (value.isArray()) {
        for (const Json::Value& item : value)
            CollectGuids(item, guids, depth + 1);
    } else if (value.isObject()) {
        guids.push_back(pj::ToString(pj::Member(value, "Guid")));
    }
}

} // namespace

int SeedLightLibrary(const std::string& deviceFolder, const std::string& defaultFolder,
                     const std::string& listName)
{
    if (!IsPlainFileName(listName))
        return 0;
    const std::string list = listName + ".config";
    int copied = CopyIfMissing(defaultFolder + list, deviceFolder + list) ? 1 : 0;
    std::vector<std::string> guids;
    CollectGuids(pj::Member(readjsonFile(deviceFolder + list), "LightInfo"), guids);
    for (const std::string& guid : guids) {
        if (IsPlainFileName(guid) &&
            CopyIfMissing(defaultFolder + guid + ".light", deviceFolder + guid + ".light"))
            ++copied;
    }
    return copied;
}
