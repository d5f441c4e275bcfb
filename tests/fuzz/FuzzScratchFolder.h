#pragma once
// The one scratch folder of a fuzz target's process, made on first use and removed with everything in
// it at exit. It lies on the shared-memory file system where there is one: the code under test writes
// its files durably (fsync), which a memory file system answers at once, so a target that writes
// files on every input runs thousands of inputs a second instead of a dozen, through the very same
// write path users get. Elsewhere it lies in $TMPDIR (or /tmp).

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace orvant_fuzz {

namespace detail {

inline std::string MakeScratchFolder()
{
    std::string base = "/dev/shm";
    std::error_code error;
    if (!std::filesystem::is_directory(base, error) || ::access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    }
    std::string pattern = base + "/orvant-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    return pattern + "/";
}

inline void RemoveScratchFolder();

} // namespace detail

// The folder, ending in '/'.
inline const std::string& ScratchFolder()
{
    static const std::string folder = detail::MakeScratchFolder();
    // Registered once the folder exists, so that it runs before the name is destroyed.
    static const bool removedAtExit = std::atexit(detail::RemoveScratchFolder) == 0;
    (void)removedAtExit;
    return folder;
}

inline void detail::RemoveScratchFolder()
{
    std::error_code error;
    std::filesystem::remove_all(ScratchFolder(), error);
}

// Replaces a file with the bytes.
inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// A property every input must keep; a broken one stops the run like a crash.
inline void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace orvant_fuzz
