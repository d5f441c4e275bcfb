// Reads arbitrary bytes as a device's macro library or as a macro file (the first byte decides), then
// reads every macro, builds the device's macro data block and imports the bytes as a macro: nothing may
// crash, the block's size follows its layout, and the file beside the folder (which identifiers such
// as "../beside" name) is never touched.

#include "profiles/MacroLibrary.h"
#include "tests/fuzz/FuzzScratchFolder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using orvant_fuzz::Require;
using orvant_fuzz::WriteBytes;

constexpr char kLibrary[] =
    R"({"MacroInfo":[{"MacroName":"a","Guid":"one"},{"MacroName":"b","Guid":"two"}]})";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string root = orvant_fuzz::ScratchFolder();
    const std::string folder = root + "device/";
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    WriteBytes(root + "beside.mac", reinterpret_cast<const uint8_t*>("{}"), 2);
    const bool isLibrary = (data[0] & 1) != 0;
    if (isLibrary) {
        WriteBytes(folder + CMacroLibrary::kLibraryFileName, data + 1, size - 1);
    } else {
        WriteBytes(folder + CMacroLibrary::kLibraryFileName, reinterpret_cast<const uint8_t*>(kLibrary),
                   sizeof kLibrary - 1);
        WriteBytes(folder + "one.mac", data + 1, size - 1);
    }

    CMacroLibrary library;
    library.SetFolder(folder);
    library.Load();
    std::vector<int> numbers;
    size_t events = 0;
    for (int n = 0; n < library.Count(); ++n) {
        numbers.push_back(n);
        events += library.ReadEvents(n).size();
    }
    const MacroBlock block = BuildMacroBlock(library, numbers, 0xFFFF);
    const size_t expected = numbers.empty() ? 0 : 16 + 6 * numbers.size() + 4 * events;
    Require(block.result != 0 || block.bytes.size() == expected);
    Require(block.result == 0 || block.bytes.empty());
    if (library.Count() > 0) {
        library.Save(0, library.ReadEvents(0));
        library.Rename(0, "renamed");
        library.Delete(library.Count() - 1);
    }
    WriteBytes(root + "import.mac", data + 1, size - 1);
    library.Import(root + "import.mac");
    Require(std::filesystem::exists(root + "beside.mac"));
    return 0;
}
