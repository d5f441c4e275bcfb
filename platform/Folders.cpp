#include "platform/Folders.h"

#include "platform/DebugOutput.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
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

// True when the path is a folder (not a symbolic link) of this user that nobody else may enter,
// creating it when missing and narrowing a wider mode.
bool IsPrivateFolder(const std::string& path)
{
    ::mkdir(path.c_str(), 0700);
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        return false;
    }
    return (info.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

// True when the path is a folder of this user that this user may create files in.
bool IsWritableOwnFolder(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           ::access(path.c_str(), W_OK | X_OK) == 0;
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
    static std::mutex lock; // owner: RuntimeFolder, taken alone
    static std::string replacement;
    static std::string refusedSession;
    if (const std::string folder = EnvOr("XDG_RUNTIME_DIR", ""); !folder.empty()) {
        const std::string path = WithSlash(folder);
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            MakeFolders(path);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, error);
        }
        if (IsWritableOwnFolder(path)) {
            return path;
        }
        // After su the session's folder is usually another user's: locks and sockets go to the
        // private folder below instead, where every program of this user finds them alike.
        std::lock_guard<std::mutex> guard(lock);
        if (refusedSession != path) {
            refusedSession = path;
            DebugPrintf("runtime folder %s is not this user's own or not writable\n", path.c_str());
        }
    }
    // In the shared temporary folder anyone may have made the folder first: use it only when it is a
    // real folder of this user, and close it to others.
    const std::string shared = TempFolder() + "orvant-" + std::to_string(::getuid());
    if (IsPrivateFolder(shared)) {
        return shared + "/";
    }
    std::lock_guard<std::mutex> guard(lock);
    if (replacement.rfind(TempFolder(), 0) != 0 || !IsPrivateFolder(replacement)) {
        std::string pattern = TempFolder() + "orvant-" + std::to_string(::getuid()) + "-XXXXXX";
        replacement = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        if (replacement.empty()) {
            DebugPrintf("runtime folder %s is not this user's own and no private one can be made\n",
                        shared.c_str());
        } else {
            DebugPrintf("runtime folder %s is not this user's own; using %s instead\n", shared.c_str(),
                        replacement.c_str());
        }
    }
    return replacement.empty() ? shared + "/" : replacement + "/";
}

std::string TempFolder()
{
    return WithSlash(EnvOr("TMPDIR", "/tmp"));
}

} // namespace platform
