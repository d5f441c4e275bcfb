#include "platform/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? std::string(value) : fallback;
}

std::string HomeFolder()
{
    return EnvOr("HOME", "/tmp");
}

} // namespace

bool MakeFolders(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

std::string ExecutableFolder()
{
    if (const char* dir = std::getenv("ORVANT_EXE_DIR"); dir != nullptr && *dir != '\0') {
        return WithSlash(dir);
    }
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "./";
    }
    return WithSlash(exe.parent_path().string());
}

std::string DefaultDataFolder()
{
    return ExecutableFolder() + "DefaultData/";
}

std::string LocalAppDataFolder()
{
    return WithSlash(EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share"));
}

std::string ProductDataFolder()
{
    const std::string folder = LocalAppDataFolder() + std::string(kProductName) + "/";
    MakeFolders(folder);
    return folder;
}

std::string DeviceFolder(std::string_view deviceFolderName)
{
    const std::string folder = WithSlash(ProductDataFolder() + std::string(deviceFolderName));
    MakeFolders(folder);
    return folder;
}

std::string SettingsFolder()
{
    return WithSlash(EnvOr("XDG_CONFIG_HOME", HomeFolder() + "/.config")) + std::string(kProductName) + "/";
}

std::string RuntimeFolder()
{
    std::string folder = EnvOr("XDG_RUNTIME_DIR", "");
    if (folder.empty()) {
        folder = "/tmp/orvant-" + std::to_string(getuid());
    }
    folder = WithSlash(folder);
    std::error_code error;
    if (!std::filesystem::exists(folder, error)) {
        MakeFolders(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    return folder;
}

std::string TempFolder()
{
    return WithSlash(EnvOr("TMPDIR", "/tmp"));
}

} // namespace platform
