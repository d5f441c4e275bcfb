#pragma once
// The single-instance rule: an exclusive lock on a file in the runtime folder, named after the
// product, held for the life of the object. The kernel drops the lock when the holder exits, however
// it exits, so a crashed instance never blocks the next start. The lock is not passed to programs the
// holder starts.

#include <string>
#include <string_view>

namespace platform {

class SingleInstance
{
public:
    // The lock file is RuntimeFolder() + name + ".lock" (the product name by default).
    explicit SingleInstance(std::string_view name = {});
    // Releases the lock.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this object holds the lock afterwards; false when another instance holds it or the
    // lock file cannot be opened. Never waits.
    bool TryAcquire();
    bool IsHeld() const { return fd_ >= 0; }
    void Release();
    const std::string& LockPath() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace platform
