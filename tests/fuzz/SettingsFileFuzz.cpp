// Reads arbitrary bytes as the settings file through every read of the store, then writes values
// whose key, name and text come from the same bytes: nothing may crash, and what was written must
// read back exactly, whatever the file held before.

#include "platform/SettingsStore.h"
#include "tests/fuzz/FuzzScratchFolder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace {

const std::string& SettingsPath()
{
    static const std::string path = orvant_fuzz::ScratchFolder() + "settings.ini";
    return path;
}

// The next piece of the input up to a zero byte (or its end), at most 64 bytes.
std::string_view NextPiece(std::string_view& rest)
{
    const size_t end = std::min({rest.find('\0'), rest.size(), size_t{64}});
    const std::string_view piece = rest.substr(0, end);
    rest.remove_prefix(std::min(rest.size(), end + 1));
    return piece;
}

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(SettingsPath(), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());

    platform::SettingsStore store(SettingsPath());
    store.GetInt("SOFTWARE\\ORVANT X80 PRO", "LANGUAGE");

    std::string_view rest = bytes;
    const std::string key(NextPiece(rest));
    const std::string name(NextPiece(rest));
    const std::string text(rest);
    store.GetString(key, name);

    Check(store.SetString(key, name, text));
    Check(store.GetString(key, name) == text);
    Check(store.KeyExists(key));
    Check(store.SetInt("Fuzz\\Numbers", "Size", static_cast<uint32_t>(size)));
    Check(store.GetInt("Fuzz\\Numbers", "Size") == static_cast<uint32_t>(size));
    Check(store.DeleteValue("Fuzz\\Numbers", "Size"));
    Check(!store.GetInt("Fuzz\\Numbers", "Size"));
    return 0;
}
