// The profile list against files on disk: the first start, each operation's naming and limits, hand
// written folders read as they are, imports of things that are not profiles, names in any script, and
// stored identifiers that try to leave the device folder.

#include "profiles/ProfileList.h"

#include "ProfileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace profiletest {
namespace {

using Names = std::vector<std::string>;

class ProfileListTest : public ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        std::filesystem::create_directories(Path("device"));
        WriteText(Path("default.Json"), R"({"Device":[{"KeyList":[1,2,3]}]})");
        Reset(1);
    }
    void Reset(int kind)
    {
        list_ = CProfileList();
        list_.SetDeviceKind(kind);
        list_.SetFolders(DeviceFolder(), Path("default.Json"));
    }
    std::string DeviceFolder() const { return Path("device/"); }
    std::string ListFile() const { return DeviceFolder() + CProfileList::kListFileName; }
    static std::string HandMadeId(size_t i) { return "2024_01_01_00_00_00_00" + std::to_string(i); }
    std::string DeviceFolderFile(size_t i) const { return DeviceFolder() + HandMadeId(i) + ".Json"; }
    // Writes a list file by hand: names with their identifiers, and each profile's file.
    void WriteHandMadeList(const Names& names, int select)
    {
        Json::Value list;
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string id = HandMadeId(i);
            Json::Value entry;
            entry["profilename"] = names[i];
            entry["profileUUID"] = id;
            entry["profileislink"] = 0;
            entry["profilelinkmame"] = "";
            list["profilelist"].append(entry);
            WriteText(DeviceFolder() + id + ".Json",
                      R"({"profilename":")" + names[i] + R"(","profileUUID":")" + id +
                          R"(","Device":[{"Mark":)" + std::to_string(i) + "}]}");
        }
        list["profileselect"] = select;
        WriteText(ListFile(), list.toStyledString());
    }
    Names NamesOf() const
    {
        Names names;
        for (const CProfileList::Entry& e : list_.Entries())
            names.push_back(e.name);
        return names;
    }
    Names NamesOnDisk() const
    {
        Names names;
        const Json::Value list = ReadJson(ListFile());
        for (const Json::Value& e : list["profilelist"])
            names.push_back(e["profilename"].asString());
        return names;
    }

    CProfileList list_;
};

TEST_F(ProfileListTest, FirstStartMakesProfileOneFromTheDefaultProfile)
{
    list_.Load();
    ASSERT_EQ(NamesOf(), Names{"profile1"});
    EXPECT_EQ(list_.StoredSelection(), 0);
    EXPECT_EQ(list_.CurrentId(), list_.Entries()[0].id);
    const Json::Value list = ReadJson(ListFile());
    EXPECT_EQ(list["profileselect"].asInt(), 0);
    EXPECT_EQ(list["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(list["profilelist"][0]["profilelinkmame"].asString(), "");
    const Json::Value profile = ReadJson(list_.ProfileFile(0));
    EXPECT_EQ(profile["profilename"].asString(), "profile1");
    EXPECT_EQ(profile["profileUUID"].asString(), list_.CurrentId());
    EXPECT_EQ(profile["Device"][0]["KeyList"].size(), 3u);
}

TEST_F(ProfileListTest, AHandWrittenFolderIsReadAsItIs)
{
    WriteHandMadeList({"Work", "游戏 🎮", "Night"}, 2);
    const std::string before = ReadText(ListFile());
    list_.Load();
    EXPECT_EQ(NamesOf(), (Names{"Work", "游戏 🎮", "Night"}));
    EXPECT_EQ(list_.StoredSelection(), 2);
    EXPECT_EQ(list_.CurrentId(), "2024_01_01_00_00_00_002");
    EXPECT_EQ(ReadText(ListFile()), before);
    EXPECT_EQ(ReadJson(list_.ProfileFile(1))["Device"][0]["Mark"].asInt(), 1);
}

TEST_F(ProfileListTest, AddTakesTheLowestFreeNumberAndStopsAtFifty)
{
    struct Case
    {
        Names existing;
        std::string added;
    };
    const Case cases[] = {
        {{"profile1", "profile3"}, "profile2"},
        {{"PROFILE1"}, "profile2"},
        {{"Game"}, "profile1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.added);
        WriteHandMadeList(c.existing, 0);
        list_.Load();
        const int position = list_.Add();
        ASSERT_EQ(position, static_cast<int>(c.existing.size()));
        EXPECT_EQ(list_.Entries()[static_cast<size_t>(position)].name, c.added);
        EXPECT_EQ(ReadJson(ListFile())["profileselect"].asInt(), position);
        EXPECT_EQ(ReadJson(list_.ProfileFile(position))["profilename"].asString(), c.added);
    }

    WriteHandMadeList({"a"}, 0);
    list_.Load();
    while (list_.Count() < CProfileList::kMaxAdded)
        ASSERT_GE(list_.Add(), 0);
    EXPECT_EQ(list_.Add(), -1);
    EXPECT_EQ(list_.Count(), 50);
    EXPECT_EQ(list_.Copy(0), 50) << "copies have no limit";
    // Every profile has a file of its own, however fast they were made.
    std::set<std::string> ids;
    for (const CProfileList::Entry& e : list_.Entries())
        ids.insert(e.id);
    EXPECT_EQ(ids.size(), 51u);
}

TEST_F(ProfileListTest, DeleteKeepsTheLastProfileAndRemovesTheFile)
{
    WriteHandMadeList({"only"}, 0);
    list_.Load();
    EXPECT_FALSE(list_.Delete(0));
    EXPECT_EQ(list_.Count(), 1);

    WriteHandMadeList({"a", "b", "c"}, 2);
    list_.Load();
    const std::string file = list_.ProfileFile(0);
    ASSERT_TRUE(list_.Delete(0));
    EXPECT_EQ(NamesOnDisk(), (Names{"b", "c"}));
    EXPECT_EQ(ReadJson(ListFile())["profileselect"].asInt(), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_TRUE(list_.Delete(1));
    EXPECT_EQ(ReadJson(ListFile())["profileselect"].asInt(), 0);
    EXPECT_FALSE(list_.Delete(5));
}

TEST_F(ProfileListTest, CopyAndImportNameAroundTakenNames)
{
    WriteHandMadeList({"Game", "Game copy"}, 0);
    list_.Load();
    const int copy = list_.Copy(0);
    ASSERT_EQ(copy, 2);
    EXPECT_EQ(list_.Entries()[2].name, "Game copy copy");
    const Json::Value copied = ReadJson(list_.ProfileFile(copy));
    EXPECT_EQ(copied["Device"][0]["Mark"].asInt(), 0) << "the settings come from the copied profile";
    EXPECT_EQ(copied["profileUUID"].asString(), list_.Entries()[2].id);
    EXPECT_EQ(ReadJson(ListFile())["profileselect"].asInt(), 0) << "a copy does not change the selection";

    const std::string exported = Path("Game.json");
    ASSERT_TRUE(list_.Export(0, exported));
    for (const char* expected : {"Game(1)", "Game(1)(2)"}) {
        int position = -1;
        ASSERT_EQ(list_.Import(exported, &position), CProfileList::ImportResult::Imported);
        EXPECT_EQ(list_.Entries()[static_cast<size_t>(position)].name, expected);
        EXPECT_EQ(ReadJson(list_.ProfileFile(position))["Device"][0]["Mark"].asInt(), 0);
    }
}

TEST_F(ProfileListTest, AnImportThatIsNotAProfileChangesNothing)
{
    WriteHandMadeList({"a"}, 0);
    list_.Load();
    const std::string before = ReadText(ListFile());
    std::string garbage(CProfileList::kMaxImportBytes + 1, 'x');
    garbage[0] = '{';
    struct Case
    {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"not-json.json", "profile? no"},
        {"array.json", R"([{"profilename":"x","profileUUID":"y"}])"},
        {"no-uuid.json", R"({"profilename":"x","Device":[]})"},
        {"empty.json", ""},
        {"huge.json", garbage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(Path(c.name), c.content);
        EXPECT_EQ(list_.Import(Path(c.name)), CProfileList::ImportResult::NotAProfile);
    }
    EXPECT_EQ(list_.Import(Path("missing.json")), CProfileList::ImportResult::NotAProfile);
    EXPECT_EQ(list_.Import(Path("device")), CProfileList::ImportResult::NotAProfile);
    EXPECT_EQ(ReadText(ListFile()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(DeviceFolder()), {}), 2);
}

TEST_F(ProfileListTest, RenameRefusesTakenAndBlankNamesAndKeepsAnyScript)
{
    WriteHandMadeList({"Game", "Work"}, 0);
    list_.Load();
    struct Case
    {
        std::string name;
        CProfileList::RenameResult result;
    };
    const Case cases[] = {
        {"WORK", CProfileList::RenameResult::Duplicate},
        {"   ", CProfileList::RenameResult::Blank},
        {"Game", CProfileList::RenameResult::Renamed},
        {"游戏 🎮 ünïcode", CProfileList::RenameResult::Renamed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(list_.Rename(0, c.name), c.result);
    }
    EXPECT_EQ(NamesOnDisk(), (Names{"游戏 🎮 ünïcode", "Work"}));
    EXPECT_EQ(ReadJson(list_.ProfileFile(0))["profilename"].asString(), "游戏 🎮 ünïcode");

    // Through an export and an import the name lives on in the file's name.
    const std::string exported = Path("游戏 🎮 ünïcode.json");
    ASSERT_TRUE(list_.Export(0, exported));
    int position = -1;
    ASSERT_EQ(list_.Import(exported, &position), CProfileList::ImportResult::Imported);
    EXPECT_EQ(list_.Entries()[static_cast<size_t>(position)].name, "游戏 🎮 ünïcode(1)");
}

TEST_F(ProfileListTest, ResetTakesTheDefaultAndAHeadsetKeepsItsEqualisers)
{
    WriteText(Path("default.Json"), R"({"Device":[{"EQ":0,"CustomEQNameInfo":[]}]})");
    WriteHandMadeList({"Music"}, 0);
    WriteText(DeviceFolderFile(0),
              R"({"Device":[{"EQ":5,"CustomEQNameInfo":["Bass"],"CustomEQHzValueInfo":[[1,2]]}]})");
    for (const int kind : {1, CProfileList::kHeadsetKind}) {
        SCOPED_TRACE(kind);
        Reset(kind);
        list_.Load();
        const std::string saved = ReadText(DeviceFolderFile(0));
        ASSERT_TRUE(list_.Reset(0));
        const Json::Value profile = ReadJson(list_.ProfileFile(0));
        EXPECT_EQ(profile["profilename"].asString(), "Music");
        EXPECT_EQ(profile["Device"][0]["EQ"].asInt(), 0);
        const bool kept = kind == CProfileList::kHeadsetKind;
        EXPECT_EQ(profile["Device"][0]["CustomEQNameInfo"].size(), kept ? 1u : 0u);
        EXPECT_EQ(profile["Device"][0].isMember("CustomEQHzValueInfo"), kept);
        WriteText(DeviceFolderFile(0), saved);
    }
}

TEST_F(ProfileListTest, IdentifiersThatLeaveTheFolderAreSkipped)
{
    WriteText(Path("victim.Json"), "{}");
    Json::Value list;
    for (const std::string& id : {std::string("../victim"), std::string("a/b"), std::string(""),
                                  std::string(".."), std::string(201, 'x'), std::string("good")}) {
        Json::Value entry;
        entry["profilename"] = "n " + id;
        entry["profileUUID"] = id;
        list["profilelist"].append(entry);
    }
    list["profileselect"] = 5;
    WriteText(ListFile(), list.toStyledString());
    list_.Load();
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.Entries()[0].id, "good");
    EXPECT_EQ(list_.CurrentId(), "good");
    list_.Add();
    EXPECT_TRUE(list_.Delete(0));
    EXPECT_TRUE(std::filesystem::exists(Path("victim.Json")));
}

TEST_F(ProfileListTest, ADamagedListIsKeptAsideAndReplaced)
{
    WriteText(ListFile(), "{\"profilelist\": [ {\"profilename\": ");
    list_.Load();
    EXPECT_EQ(NamesOf(), Names{"profile1"});
    EXPECT_EQ(ReadText(ListFile() + ".damaged"), "{\"profilelist\": [ {\"profilename\": ");
}

} // namespace
} // namespace profiletest
