#pragma once
// The single-instance rule: an exclusive lock on a file in the runtime folder, named after the
// product, held for the life of the object. The kernel drops the lock when the holder exits, however
// it exits, so a crashed instance never blocks the next start. The lock is not passed to programs the
// holder starts.

#include <string>
#include <string_view>

namespace platform {

// What an attempt to take the lock found.
enum class InstanceLock
{
    Acquired,      // this object holds the lock
    HeldElsewhere, // another instance holds it
    Unavailable    // the lock file cannot be made or locked: nobody can be known to hold it
};

class SingleInstance
{
public:
    // The lock file is RuntimeFolder() + name + ".lock" (the product name by default).
    explicit SingleInstance(std::string_view name = {});
    // Releases the lock.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock; Acquired also when this object holds it already. Never waits.
    InstanceLock TryAcquire();
    bool IsHeld() const { return fd_ >= 0; }
    void Release();
    const std::string& LockPath() const { return path_; }
    // The system error of the last attempt that was not Acquired (0 when none).
    int LastError() const { return error_; }

private:
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

} // namespace platform
