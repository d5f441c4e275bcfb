// Runs arbitrary text as the simulator's control lines, one command a line, against a fresh simulator
// holding every product of its catalogue: nothing may crash, and every answer must be one line (it
// travels as a line on the control socket). The products start unplugged, so that an input pays for
// the sockets of only the products it plugs (the seeds plug what they use).
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Folders& folders = ScratchFolders();
    EmptyFolder(folders.files);

    devsim::CDeviceSimulator sim(folders.sockets);
    for (const devsim::CatalogEntry& entry : devsim::Catalog()) {
        Check(sim.AddDevice(entry.name, false));
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
    return 0;
}
