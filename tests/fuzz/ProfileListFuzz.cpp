// Reads arbitrary bytes as a device's "ProfileList.ini" and runs a profile operation on the list: nothing
// may crash, every entry kept names a file inside the device folder, and the file beside the folder
// (which entries such as "../beside" name) is never touched. The first byte is not part of the list: it
// picks the operation, so that each input writes only a few files.

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
    if (size == 0)
        return 0;
    WriteBytes(folder + CProfileList::kListFileName, data + 1, size - 1);

    CProfileList list;
    list.SetDeviceKind(CProfileList::kHeadsetKind);
    list.SetFolders(folder, root + "default.Json");
    list.Load();
    Require(list.Count() >= 1);
    const int last = list.Count() - 1;
    switch (data[0] % 8) {
    case 0:
        list.Select(last);
        break;
    case 1:
        list.Add();
        break;
    case 2:
        list.Copy(last);
        break;
    case 3:
        list.Rename(last, "renamed");
        break;
    case 4:
        list.Reset(last);
        break;
    case 5:
        list.Delete(last);
        break;
    case 6:
        list.Import(folder + CProfileList::kListFileName);
        break;
    default:
        if (list.Export(last, root + "exported.json"))
            list.Import(root + "exported.json");
        break;
    }
    for (const CProfileList::Entry& entry : list.Entries())
        Require(IsPlainFileName(entry.id));
    Require(std::filesystem::exists(root + "beside.Json"));
    return 0;
}
