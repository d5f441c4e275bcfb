#include "platform/SettingsStore.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::SettingsStore;

constexpr const char* kKey = "SOFTWARE\\ORVANT X80 PRO";

class Settings : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(scratch_.Path().empty()); }

    // In a folder that does not exist yet: the first change creates it.
    std::string File() const { return scratch_.Path() + "config/ORVANT X80 PRO/settings.ini"; }

    orvant_test::ScratchFolder scratch_;
};

TEST_F(Settings, ReadYourWritesAcrossStoresAndReopen)
{
    SettingsStore writer(File());
    EXPECT_FALSE(writer.GetInt(kKey, "LANGUAGE"));
    EXPECT_FALSE(writer.KeyExists(kKey));
    ASSERT_TRUE(writer.SetInt(kKey, "LANGUAGE", 2));
    ASSERT_TRUE(writer.SetString(kKey, "Version", "1.0.3"));
    EXPECT_EQ(writer.GetInt(kKey, "LANGUAGE"), 2u);

    SettingsStore other(File());
    EXPECT_TRUE(other.KeyExists(kKey));
    EXPECT_EQ(other.GetInt(kKey, "LANGUAGE"), 2u);
    EXPECT_EQ(other.GetString(kKey, "Version"), "1.0.3");
    ASSERT_TRUE(other.SetInt(kKey, "LANGUAGE", 0xFFFFFFFFu));
    EXPECT_EQ(writer.GetInt(kKey, "LANGUAGE"), 0xFFFFFFFFu);
}

TEST_F(Settings, NamesIgnoreCaseAndSeparatorSpelling)
{
    SettingsStore store(File());
    ASSERT_TRUE(store.SetInt("SOFTWARE\\ORVANT X80 PRO", "LANGUAGE", 7));
    EXPECT_EQ(store.GetInt("software/orvant x80 pro/", "language"), 7u);
    EXPECT_EQ(store.GetInt("\\Software\\\\ORVANT X80 PRO", "Language"), 7u);
    // Writing under another spelling changes the same value.
    ASSERT_TRUE(store.SetInt("software/orvant x80 pro", "language", 8));
    EXPECT_EQ(store.GetInt(kKey, "LANGUAGE"), 8u);
    EXPECT_FALSE(store.GetInt("SOFTWARE", "LANGUAGE"));
}

TEST_F(Settings, ValuesAreTyped)
{
    SettingsStore store(File());
    ASSERT_TRUE(store.SetString(kKey, "S", "12"));
    ASSERT_TRUE(store.SetInt(kKey, "I", 12));
    EXPECT_FALSE(store.GetInt(kKey, "S"));
    EXPECT_FALSE(store.GetString(kKey, "I"));
    // Setting the other type replaces the value.
    ASSERT_TRUE(store.SetString(kKey, "I", "now text"));
    EXPECT_EQ(store.GetString(kKey, "I"), "now text");
    EXPECT_FALSE(store.GetInt(kKey, "I"));
}

TEST_F(Settings, AwkwardTextsSurvive)
{
    const std::vector<std::string> texts = {
        "", "a=b", "line\nbreak\r\n", "100%", "%41", "[x]", "配置 一", "\\path\\", std::string("nul\0in", 6)};
    SettingsStore store(File());
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(store.SetString(kKey, texts[i], texts[i])) << i;
        ASSERT_TRUE(store.SetString("Key]" + texts[i], "v", texts[i])) << i;
    }
    SettingsStore reopened(File());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(reopened.GetString(kKey, texts[i]), texts[i]) << i;
        EXPECT_EQ(reopened.GetString("Key]" + texts[i], "v"), texts[i]) << i;
    }
}

TEST_F(Settings, DeleteValueAndCreateKey)
{
    SettingsStore store(File());
    ASSERT_TRUE(store.CreateKey(kKey));
    EXPECT_TRUE(store.KeyExists(kKey));
    EXPECT_FALSE(store.GetInt(kKey, "LANGUAGE"));
    ASSERT_TRUE(store.SetInt(kKey, "LANGUAGE", 1));
    EXPECT_TRUE(store.DeleteValue(kKey, "language"));
    EXPECT_FALSE(store.GetInt(kKey, "LANGUAGE"));
    EXPECT_FALSE(store.DeleteValue(kKey, "LANGUAGE"));
    EXPECT_FALSE(store.DeleteValue("Missing", "LANGUAGE"));
    EXPECT_TRUE(store.KeyExists(kKey));
}

TEST_F(Settings, DamagedFileReadsAsEmptyAndIsReplacedOnChange)
{
    const std::string header = "; ORVANT X80 PRO settings\n";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"garbage", "\x01\x02garbage\xFF"},
        {"no header", "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=dword:2\n"},
        {"value before key", header + "LANGUAGE=dword:2\n[SOFTWARE\\ORVANT X80 PRO]\n"},
        {"bad number", header + "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=dword:2x\n"},
        {"number too big", header + "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=dword:4294967296\n"},
        {"bad escape", header + "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=string:%G1\n"},
        {"cut escape", header + "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=string:%4"},
        {"unknown type", header + "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=qword:2\n"},
    };
    const std::string path = scratch_.Path() + "settings.ini";
    for (const auto& [name, content] : cases) {
        scratch_.Write("settings.ini", content);
        SettingsStore store(path);
        EXPECT_FALSE(store.KeyExists(kKey)) << name;
        EXPECT_FALSE(store.GetInt(kKey, "LANGUAGE")) << name;
        ASSERT_TRUE(store.SetInt(kKey, "Other", 5)) << name;
        EXPECT_EQ(SettingsStore(path).GetInt(kKey, "Other"), 5u) << name;
    }
    // The well-formed version of the same content reads.
    scratch_.Write("settings.ini", header + "[SOFTWARE\\ORVANT X80 PRO]\nLANGUAGE=dword:2\n");
    EXPECT_EQ(SettingsStore(path).GetInt(kKey, "LANGUAGE"), 2u);
}

TEST_F(Settings, DefaultStoreLivesInTheSettingsFolder)
{
    const orvant_test::ScopedEnv config("XDG_CONFIG_HOME", scratch_.Path() + "config");
    SettingsStore store;
    EXPECT_EQ(store.FilePath(), File());
    ASSERT_TRUE(store.SetInt(kKey, "LANGUAGE", 3));
    EXPECT_EQ(SettingsStore(File()).GetInt(kKey, "LANGUAGE"), 3u);
}

// Two processes changing different values at the same time lose none of them.
TEST_F(Settings, ConcurrentChangesFromTwoProcessesAreAllKept)
{
    constexpr int kCount = 40;
    const std::string path = File();
    SettingsStore(path).CreateKey(kKey);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    const std::string prefix = child == 0 ? "child" : "parent";
    SettingsStore store(path);
    bool ok = true;
    for (int i = 0; i < kCount; ++i) {
        ok = store.SetInt(kKey, prefix + std::to_string(i), static_cast<uint32_t>(i)) && ok;
    }
    if (child == 0) {
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(ok);
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(store.GetInt(kKey, "child" + std::to_string(i)), static_cast<uint32_t>(i));
        EXPECT_EQ(store.GetInt(kKey, "parent" + std::to_string(i)), static_cast<uint32_t>(i));
    }
}

} // namespace
