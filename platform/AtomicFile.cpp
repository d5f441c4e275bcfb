#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// The folder part of a path, "." when there is none.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view content)
{
    const char* data = content.data();
    size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// The process's file mode mask, read from the kernel's status of this process. umask() cannot be read
// without being set, and setting it even for a moment changes the files other threads create then.
// When the mask cannot be read, new files are private to the user: never more open than was asked.
mode_t CurrentUmask()
{
    constexpr mode_t kPrivate = 077;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) != 0) {
            continue;
        }
        char* end = nullptr;
        const unsigned long mask = std::strtoul(line.c_str() + 6, &end, 8);
        return end != line.c_str() + 6 && mask <= 0777 ? static_cast<mode_t>(mask) : kPrivate;
    }
    return kPrivate;
}

mode_t ModeForNewFile()
{
    return 0666 & ~CurrentUmask();
}

// Makes the rename itself durable; a failure here does not undo the replacement, so it is ignored.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A link to an existing file is replaced through to its target, so the link stays a link.
std::string ThroughLink(const std::string& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string target = resolved;
    std::free(resolved);
    return target;
}

} // namespace

bool WriteFileAtomically(const std::string& requested, std::string_view content)
{
    if (requested.empty() || requested.back() == '/') {
        return false;
    }
    const std::string path = ThroughLink(requested);
    const std::string folder = FolderOf(path);
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." + name + ".tmp-XXXXXX";

    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat old
    {
    };
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : ModeForNewFile();
    bool ok = WriteAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace platform
