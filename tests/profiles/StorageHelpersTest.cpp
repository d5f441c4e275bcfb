#include "profiles/StorageHelpers.h"

#include "platform/DebugOutput.h"
#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class StorageFolder : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(scratch_.Path().empty()); }

    std::string Write(const std::string& name, const std::string& content)
    {
        return scratch_.Write(name, content);
    }
    std::string Slurp(const std::string& path) { return scratch_.Slurp(path); }
    std::vector<std::string> Entries() { return scratch_.Entries(); }

    orvant_test::ScratchFolder scratch_;
    const std::string& folder_ = scratch_.Path();
};

using ReadJson = StorageFolder;

TEST_F(ReadJson, MissingFileIsNullAndTracesNotFoundThenPath)
{
    platform::DebugCapture capture;
    const std::string path = folder_ + "absent.Json";
    EXPECT_TRUE(readjsonFile(path).isNull());
    const std::vector<std::string> pieces = capture.Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "readjsonFile 错误吗：：2\n");
    EXPECT_NE(pieces[1].find(path), std::string::npos);
}

TEST_F(ReadJson, ContentsTable)
{
    struct Case
    {
        const char* name;
        std::string content;
        bool null;
        Json::ValueType type;
    };
    const std::vector<Case> cases = {
        {"empty file", "", true, Json::nullValue},
        {"unterminated array", "[1, 2", true, Json::nullValue},
        {"empty object is not null", "{}", false, Json::objectValue},
        {"byte order mark skipped", "\xEF\xBB\xBF{\"a\": 1}", false, Json::objectValue},
        {"comments allowed", "// saved\n{\"a\": 1 /* one */}\n", false, Json::objectValue},
        {"CR LF line ends", "{\r\n\"a\" : [1,2]\r\n}\r\n", false, Json::objectValue},
        {"nesting beyond the reader's limit", std::string(5000, '['), true, Json::nullValue},
        {"not json", "hello", true, Json::nullValue},
    };
    for (const Case& c : cases) {
        const Json::Value value = readjsonFile(Write("doc.Json", c.content));
        EXPECT_EQ(value.isNull(), c.null) << c.name;
        EXPECT_EQ(value.type(), c.type) << c.name;
    }
}

TEST_F(ReadJson, FolderReadsAsEmpty)
{
    EXPECT_EQ(ReadFileText(folder_), "");
    EXPECT_TRUE(readjsonFile(folder_).isNull());
}

TEST_F(ReadJson, ReadFileTextKeepsBytes)
{
    const std::string bytes("a\0b\r\n\xFF", 6);
    EXPECT_EQ(ReadFileText(Write("bin", bytes)), bytes);
}

using WriteJson = StorageFolder;

Json::Value SampleDocument()
{
    Json::Value doc;
    doc["ProfileName"] = "配置 一";
    doc["Assignment"] = 0x700100;
    doc["Enabled"] = true;
    doc["List"].append(1);
    doc["List"].append("two");
    doc["Empty"] = Json::Value(Json::objectValue);
    return doc;
}

TEST_F(WriteJson, RoundTripEqualsAndIsStyledTextWithOneLineEnd)
{
    const std::string path = folder_ + "Profile one.json";
    const Json::Value doc = SampleDocument();
    EXPECT_EQ(writejsonFile(path, doc), 0);
    EXPECT_EQ(readjsonFile(path), doc);
    EXPECT_EQ(Slurp(path), Json::StyledWriter().write(doc) + "\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Profile one.json"});
}

TEST_F(WriteJson, ReplacesExistingFileAndKeepsItsPermissions)
{
    const std::string path = Write("p.Json", "{\"old\": 1, \"much longer than the new text\": 2}");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    Json::Value doc;
    doc["new"] = 2;
    EXPECT_EQ(writejsonFile(path, doc), 0);
    EXPECT_EQ(readjsonFile(path), doc);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(WriteJson, MissingFolderChangesNothing)
{
    EXPECT_EQ(writejsonFile(folder_ + "no/such/x.Json", SampleDocument()), 0);
    EXPECT_TRUE(Entries().empty());
}

// A write that runs out of room (the file size limit plays a full disk) keeps the previous file
// whole and leaves no temporary file.
TEST_F(WriteJson, FullDiskLeavesPreviousFileIntact)
{
    const std::string before = "{\"kept\": true}\n";
    const std::string path = Write("p.Json", before);
    Json::Value big;
    big["Data"] = std::string(64 * 1024, 'x');

    struct rlimit saved
    {
    };
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = writejsonFile(path, big);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"p.Json"});
}

TEST_F(WriteJson, WindowsSpelledPathUsesTheFolder)
{
    fs::create_directory(folder_ + "Keyboard");
    const std::string path = folder_ + "Keyboard\\2024_01_02_03_04_05_006.Json";
    EXPECT_EQ(writejsonFile(path, SampleDocument()), 0);
    EXPECT_TRUE(fs::exists(folder_ + "Keyboard/2024_01_02_03_04_05_006.Json"));
    EXPECT_EQ(readjsonFile(path), SampleDocument());
}

TEST(StorageFolders, DeviceFolderIsCreatedUnderProductFolder)
{
    orvant_test::ScratchFolder scratch;
    const std::string home = scratch.Path() + "data";
    const orvant_test::ScopedEnv data("XDG_DATA_HOME", home);
    const std::string device = GetDeviceFolder("Keyboard");
    EXPECT_EQ(device, home + "/ORVANT X80 PRO/Keyboard/");
    EXPECT_TRUE(fs::is_directory(device));
    EXPECT_EQ(GetProductDataFolder(), home + "/ORVANT X80 PRO/");
    EXPECT_EQ(GetDefaultDataFolder(), GetExecutableFolder() + "DefaultData/");
}

TEST(StorageText, ToHex8)
{
    const std::vector<std::pair<uint32_t, const char*>> cases = {
        {0x1A, "0000001A"}, {0, "00000000"}, {0xFFFFFFFFu, "FFFFFFFF"}, {0x12AB34CD, "12AB34CD"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(ToHex8(value), text);
    }
}

TEST(StorageText, SplitNameNumber)
{
    struct Case
    {
        const char* text;
        bool found;
        const char* prefix;
        int number;
    };
    const Case cases[] = {
        {"slider_12", true, "slider_", 12},
        {"a_b_7", true, "a_b_", 7},
        {"nounderscore", false, "", 0},
        {"key_", true, "key_", 0},
        {"key_3x", true, "key_", 3},
        {"key_-3", true, "key_", 0},
        {"key_99999999999999", true, "key_", INT_MAX},
    };
    for (const Case& c : cases) {
        std::string prefix;
        int number = -1;
        EXPECT_EQ(SplitNameNumber(c.text, prefix, number), c.found) << c.text;
        if (c.found) {
            EXPECT_EQ(prefix, c.prefix) << c.text;
            EXPECT_EQ(number, c.number) << c.text;
        }
    }
}

TEST(StorageText, IsBlank)
{
    const std::vector<std::pair<const char*, bool>> cases = {
        {"   ", true}, {" a ", false}, {"", true}, {"\t\r\n", true}, {"\xE3\x80\x80", true}, {"配置", false}};
    for (const auto& [text, blank] : cases) {
        EXPECT_EQ(IsBlank(text), blank) << text;
    }
}

TEST(StorageText, FileTitleOf)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"/home/u/Profile one.json", "Profile one"},
        {"C:\\data\\Keyboard\\2024_01_01.Json", "2024_01_01"},
        {"macro.backup.mac", "macro.backup"},
        {"noext", "noext"},
        {"/dir.with.dot/file", "file"},
    };
    for (const auto& [path, title] : cases) {
        EXPECT_EQ(FileTitleOf(path), title) << path;
    }
}

TEST(StorageText, RemoveChar)
{
    std::string text = "a-b--c-";
    RemoveChar(text, '-');
    EXPECT_EQ(text, "abc");
}

TEST(StorageText, ConversionsGiveValidUtf8)
{
    const std::string replacement = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},
        {"配置 一", "配置 一"},
        {"bad\xFFtail", "bad" + replacement + "tail"},
        {"\xC0\xAF", replacement + replacement},                   // overlong '/'
        {"\xED\xA0\x80", replacement + replacement + replacement}, // surrogate
        {"cut\xE9\x85", "cut" + replacement + replacement},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(Utf8ToWide(in), out);
        EXPECT_EQ(WideToUtf8(in), out);
        EXPECT_EQ(WideToAnsi(in), out);
        EXPECT_EQ(WideToOem(in), out);
    }
    EXPECT_EQ(Utf8ToUtf32("a配😀"), std::u32string(U"a配😀"));
    EXPECT_EQ(Utf32ToUtf8(U"a配😀"), "a配😀");
}

TEST(StorageText, TimeStampNameFormat)
{
    const std::string name = MakeTimeStampName();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})"))) << name;
}

} // namespace
