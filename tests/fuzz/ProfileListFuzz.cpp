// Reads arbitrary bytes as a device's "ProfileList.ini" and runs every profile operation on the list:
// nothing may crash, every entry kept names a file inside the device folder, and the file beside the
// folder (which entries such as "../beside" name) is never touched.

#include "profiles/ProfileList.h"
#include "profiles/StoredNames.h"
#include "tests/fuzz/FuzzScratchFolder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using orvant_fuzz::Require;
using orvant_fuzz::WriteBytes;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string root = orvant_fuzz::ScratchFolder();
    const std::string folder = root + "device/";
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    WriteBytes(root + "beside.Json", reinterpret_cast<const uint8_t*>("{}"), 2);
    WriteBytes(root + "default.Json", reinterpret_cast<const uint8_t*>(R"({"Device":[{}]})"), 15);
    WriteBytes(folder + CProfileList::kListFileName, data, size);

    CProfileList list;
    list.SetDeviceKind(CProfileList::kHeadsetKind);
    list.SetFolders(folder, root + "default.Json");
    list.Load();
    Require(list.Count() >= 1);
    list.Select(list.Count() - 1);
    list.Add();
    list.Copy(0);
    list.Rename(0, "renamed");
    list.Reset(0);
    list.Delete(list.Count() - 1);
    list.Export(0, root + "exported.json");
    list.Import(root + "exported.json");
    for (const CProfileList::Entry& entry : list.Entries())
        Require(IsPlainFileName(entry.id));
    Require(std::filesystem::exists(root + "beside.Json"));
    return 0;
}
