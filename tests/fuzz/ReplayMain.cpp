// Replays fuzz inputs without libFuzzer: each argument is a file fed once to the fuzz entry point, or a
// folder whose files are fed in name order. Exits non-zero when an argument cannot be read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

// The argument itself, or the regular files directly inside it when it is a folder.
std::vector<std::string> InputsOf(const std::string& argument)
{
    std::error_code error;
    if (!std::filesystem::is_directory(argument, error)) {
        return {argument};
    }
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(argument, error)) {
        if (entry.is_regular_file(error)) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const std::string& path : InputsOf(argv[i])) {
            if (!Replay(path)) {
                return 1;
            }
        }
    }
    return 0;
}
