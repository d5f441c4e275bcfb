#include "platform/DebugOutput.h"
#include "platform/Folders.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Without XDG_RUNTIME_DIR, the runtime folder is "orvant-<uid>" in a scratch temporary folder.
class RuntimeFolder : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(scratch_.Path().empty()); }

    std::string Shared() const { return scratch_.Path() + "orvant-" + std::to_string(getuid()); }
    static struct stat Info(const std::string& path)
    {
        struct stat info
        {
        };
        EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
        return info;
    }
    // The folder is a private folder of this user inside the scratch folder, but not the shared one.
    void ExpectReplacement(const std::string& folder) const
    {
        EXPECT_NE(folder, Shared() + "/");
        EXPECT_EQ(folder.rfind(scratch_.Path(), 0), 0u) << folder;
        const struct stat info = Info(folder);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_uid, getuid());
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }

    orvant_test::ScratchFolder scratch_;
    orvant_test::ScopedEnv tmp_{"TMPDIR", scratch_.Path()};
    orvant_test::ScopedEnv runtime_{"XDG_RUNTIME_DIR", ""}; // empty counts as unset
};

TEST_F(RuntimeFolder, MissingFolderIsCreatedPrivate)
{
    EXPECT_EQ(platform::RuntimeFolder(), Shared() + "/");
    const struct stat info = Info(Shared());
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolder, OwnFolderWithWideModeIsNarrowed)
{
    ASSERT_EQ(mkdir(Shared().c_str(), 0700), 0);
    ASSERT_EQ(chmod(Shared().c_str(), 0777), 0);
    EXPECT_EQ(platform::RuntimeFolder(), Shared() + "/");
    EXPECT_EQ(Info(Shared()).st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolder, SymbolicLinkOrFileIsNotUsed)
{
    const std::string target = scratch_.Path() + "elsewhere";
    ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
    ASSERT_EQ(symlink(target.c_str(), Shared().c_str()), 0);
    platform::DebugCapture debug;
    const std::string folder = platform::RuntimeFolder();
    ExpectReplacement(folder);
    EXPECT_TRUE(debug.Contains("is not this user's own"));
    EXPECT_EQ(Info(target).st_mode & 0777, 0755u) << "the link's target is left alone";
    // Later calls keep to the same replacement.
    EXPECT_EQ(platform::RuntimeFolder(), folder);

    ASSERT_EQ(unlink(Shared().c_str()), 0);
    scratch_.Write("orvant-" + std::to_string(getuid()), "not a folder");
    ExpectReplacement(platform::RuntimeFolder());
}

// Giving the folder to another user needs privileges.
TEST_F(RuntimeFolder, SomeoneElsesFolderIsNotUsed)
{
    ASSERT_EQ(mkdir(Shared().c_str(), 0700), 0);
    if (chown(Shared().c_str(), getuid() + 1, getgid()) != 0) {
        GTEST_SKIP() << "cannot give the folder away here";
    }
    ExpectReplacement(platform::RuntimeFolder());
    EXPECT_EQ(Info(Shared()).st_uid, getuid() + 1);
}

TEST_F(RuntimeFolder, EnvironmentFolderIsUsedAsGiven)
{
    const std::string given = scratch_.Path() + "session";
    orvant_test::ScopedEnv runtime("XDG_RUNTIME_DIR", given);
    EXPECT_EQ(platform::RuntimeFolder(), given + "/");
    EXPECT_EQ(Info(given).st_mode & 0777, 0700u);
}

// The session folder a start after su inherits is another user's, or one it may not write into: the
// locks and the bus then live in this user's private temporary folder, as with no session folder.
TEST_F(RuntimeFolder, SessionFolderThisUserCannotUseGivesWayToThePrivateOne)
{
    const std::string file = scratch_.Write("a-file", "");
    const std::string foreign = scratch_.Path() + "foreign";
    const std::string readOnly = scratch_.Path() + "read-only";
    ASSERT_EQ(mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(readOnly.c_str(), 0500), 0);
    struct Case
    {
        const char* what;
        std::string folder;
        bool applies;
    } cases[] = {
        {"cannot be made", "/proc/orvant-runtime-test", true},
        {"a file", file, true},
        {"another user's", foreign, chown(foreign.c_str(), getuid() + 1, getgid()) == 0},
        {"not writable", readOnly, geteuid() != 0}, // root writes anywhere
    };
    for (const Case& c : cases) {
        if (!c.applies) {
            continue;
        }
        SCOPED_TRACE(c.what);
        orvant_test::ScopedEnv runtime("XDG_RUNTIME_DIR", c.folder);
        platform::DebugCapture debug;
        EXPECT_EQ(platform::RuntimeFolder(), Shared() + "/");
        EXPECT_TRUE(debug.Contains("is not this user's own or not writable"));
        EXPECT_EQ(Info(Shared()).st_mode & 0777, 0700u);
    }
}

} // namespace
