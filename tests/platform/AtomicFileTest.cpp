#include "platform/AtomicFile.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Every umask() call of this test program comes here first (a definition in the program takes the
// place of the C library's), so that a test can tell whether the code under test changed the mask.
namespace {
std::atomic<int> g_umaskCalls{0};
} // namespace

extern "C" mode_t umask(mode_t mask) noexcept
{
    ++g_umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(scratch_.Path().empty()); }

    std::string Slurp(const std::string& path) { return scratch_.Slurp(path); }
    size_t EntryCount() { return scratch_.Entries().size(); }

    orvant_test::ScratchFolder scratch_;
    const std::string& folder_ = scratch_.Path();
};

TEST_F(AtomicFile, CreatesThenReplacesWithoutLeftovers)
{
    const std::string path = folder_ + "settings.ini";
    ASSERT_TRUE(platform::WriteFileAtomically(path, "first"));
    EXPECT_EQ(Slurp(path), "first");
    ASSERT_TRUE(platform::WriteFileAtomically(path, std::string("a\0b", 3)));
    EXPECT_EQ(Slurp(path), std::string("a\0b", 3));
    ASSERT_TRUE(platform::WriteFileAtomically(path, ""));
    EXPECT_EQ(Slurp(path), "");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFile, KeepsPermissionsOfTheReplacedFile)
{
    const std::string path = folder_ + "f";
    ASSERT_TRUE(platform::WriteFileAtomically(path, "x"));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(platform::WriteFileAtomically(path, "y"));
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Sets the process's file mode mask for its lifetime.
class ScopedUmask
{
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

mode_t ModeOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST_F(AtomicFile, NewFileGetsTheModeTheUmaskLeaves)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{027}, mode_t{002}, mode_t{0}}) {
        const ScopedUmask scoped(mask);
        const std::string path = folder_ + "new-" + std::to_string(mask);
        ASSERT_TRUE(platform::WriteFileAtomically(path, "x"));
        EXPECT_EQ(ModeOf(path), 0666 & ~mask) << "umask " << std::oct << mask;
    }
}

// Setting the mask to read it, even for a moment, gives files that other threads create meanwhile the
// wrong mode; a thread cannot be sure to see that moment, so the test counts the calls instead.
TEST_F(AtomicFile, WritingANewFileLeavesTheUmaskAlone)
{
    const ScopedUmask scoped(027);
    const int before = g_umaskCalls;
    ASSERT_TRUE(platform::WriteFileAtomically(folder_ + "new", "x"));
    EXPECT_EQ(g_umaskCalls, before);
    EXPECT_EQ(ModeOf(folder_ + "new"), 0640);
}

TEST_F(AtomicFile, LinkToAFileStaysALink)
{
    const std::string target = folder_ + "real.Json";
    const std::string link = folder_ + "link.Json";
    ASSERT_TRUE(platform::WriteFileAtomically(target, "old"));
    fs::create_symlink(target, link);
    ASSERT_TRUE(platform::WriteFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(target), "new");
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(AtomicFile, FailuresLeaveEverythingAsItWas)
{
    fs::create_directory(folder_ + "dir");
    std::ofstream(folder_ + "dir/inside") << "kept";
    // A folder cannot be replaced by a file, a missing folder cannot take one, and a name is needed.
    EXPECT_FALSE(platform::WriteFileAtomically(folder_ + "dir", "x"));
    EXPECT_FALSE(platform::WriteFileAtomically(folder_ + "missing/f", "x"));
    EXPECT_FALSE(platform::WriteFileAtomically(folder_, "x"));
    EXPECT_FALSE(platform::WriteFileAtomically("", "x"));
    EXPECT_EQ(Slurp(folder_ + "dir/inside"), "kept");
    EXPECT_EQ(EntryCount(), 1u);
}

} // namespace
