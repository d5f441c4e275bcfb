// Where a device keeps its files: its data folder (created on the way) and the shipped defaults.

#include "devices/NimbrelUSBDevice.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace devices_test {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object and restores it afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class DeviceFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/devices-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string root_;
};

TEST_F(DeviceFolders, DataFolderCreatesProductAndTypeFolders)
{
    const std::string dataHome = root_ + "/data/home";
    ScopedEnv env("XDG_DATA_HOME", dataHome);
    CNimbrelUSBDevice device;
    device.SetTypeName("keyboard");
    ASSERT_FALSE(fs::exists(dataHome));

    const std::string folder = device.DataFolder();
    EXPECT_EQ(folder, dataHome + "/ORVANT X80 PRO/keyboard/");
    EXPECT_TRUE(fs::is_directory(dataHome + "/ORVANT X80 PRO/keyboard"));
    // Asking again with the folders present gives the same path.
    EXPECT_EQ(device.DataFolder(), folder);
}

TEST_F(DeviceFolders, DefaultsLieBesideTheExecutable)
{
    ScopedEnv env("ORVANT_EXE_DIR", root_);
    CNimbrelUSBDevice device;
    device.SetTypeName("MousePad");
    EXPECT_EQ(device.DefaultDataFolder(), root_ + "/DefaultData/");
    EXPECT_EQ(device.DefaultDataFile(), root_ + "/DefaultData/MousePad.Json");
    EXPECT_FALSE(fs::exists(root_ + "/DefaultData")) << "the shipped folder is only read";
}

} // namespace
} // namespace devices_test
