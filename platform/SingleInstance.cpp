#include "platform/SingleInstance.h"

#include "platform/Folders.h"

#include <cerrno>
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

InstanceLock SingleInstance::TryAcquire()
{
    if (IsHeld()) {
        return InstanceLock::Acquired;
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = errno;
        return InstanceLock::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno;
        ::close(fd);
        return error_ == EWOULDBLOCK ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
    }
    fd_ = fd;
    error_ = 0;
    return InstanceLock::Acquired;
}

void SingleInstance::Release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace platform
