// Runs arbitrary text as the simulator's control lines, one command a line, against a fresh simulator
// playing every product of its catalogue: nothing may crash, every answer must be one line (it travels
// as a line on the control socket), and the memory the commands left must survive a save and a load.
//
// save and load take a file name. A name with a folder in it could reach any file of the machine, so
// such lines are skipped; bare names land in the scratch folder, which is the working folder and is
// emptied before every input.

#include "tests/fuzz/FuzzScratchFolder.h"
#include "tools/devsim/ControlCommands.h"
#include "tools/devsim/DeviceSimulator.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// The simulator's sockets go to their own folder; the working folder takes what save writes.
struct Folders
{
    std::string sockets;
    std::string files;
};

const Folders& ScratchFolders()
{
    static const Folders folders = [] {
        Folders f{orvant_fuzz::ScratchFolder() + "sockets", orvant_fuzz::ScratchFolder() + "files"};
        std::error_code error;
        std::filesystem::create_directories(f.sockets, error);
        std::filesystem::create_directories(f.files, error);
        Check(::chdir(f.files.c_str()) == 0);
        return f;
    }();
    return folders;
}

void EmptyFolder(const std::string& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::filesystem::remove_all(entry.path(), error);
    }
}

// Every memory region that state files keep (all but the lighting frame being received), of every
// product, in catalogue and region order.
std::vector<std::vector<uint8_t>> KeptMemory(const devsim::CDeviceSimulator& sim)
{
    std::vector<std::vector<uint8_t>> memory;
    for (const devsim::CatalogEntry& entry : devsim::Catalog()) {
        for (size_t r = 0; r < devsim::kRegionCount; ++r) {
            if (static_cast<devsim::Region>(r) != devsim::Region::Frame) {
                memory.push_back(sim.ReadMemory(entry.name, static_cast<devsim::Region>(r)));
            }
        }
    }
    return memory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Folders& folders = ScratchFolders();
    EmptyFolder(folders.files);

    devsim::CDeviceSimulator sim(folders.sockets);
    for (const devsim::CatalogEntry& entry : devsim::Catalog()) {
        Check(sim.AddDevice(entry.name));
    }
    devsim::CControlCommands commands(sim);

    std::string_view rest(reinterpret_cast<const char*>(data), size);
    bool quit = false;
    while (!rest.empty() && !quit) {
        const size_t end = rest.find('\n');
        const std::string line(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.find('/') != std::string::npos) {
            continue;
        }
        const std::string answer = commands.Execute(line, quit);
        Check(answer.find('\n') == std::string::npos);
    }

    const std::vector<std::vector<uint8_t>> before = KeptMemory(sim);
    Check(sim.SaveState("state.json"));
    Check(sim.LoadState("state.json"));
    Check(KeptMemory(sim) == before);
    return 0;
}
