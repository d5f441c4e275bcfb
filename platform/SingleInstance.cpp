#include "platform/SingleInstance.h"

#include "platform/Folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

SingleInstance::SingleInstance(std::string_view name)
    : path_(RuntimeFolder() + std::string(name.empty() ? kProductName : name) + ".lock")
{
}

SingleInstance::~SingleInstance()
{
    Release();
}

bool SingleInstance::TryAcquire()
{
    if (IsHeld()) {
        return true;
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void SingleInstance::Release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace platform
