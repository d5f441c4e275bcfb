#include "platform/AtomicFile.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
