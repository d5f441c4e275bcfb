// Loading, saving and the shared groups of the profile data object, on small documents.

#include "profiles/BasicProfiledata.h"

#include "ProfileTestSupport.h"

#include <cstring>
#include <filesystem>

using profiletest::ReadJson;
using profiletest::ReadText;
using profiletest::WriteText;

namespace {

class ProfileLoadTest : public profiletest::ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        m_defaultPath = CopyFixture("default_profile.Json", "keyboard.Json");
        m_profile.SetDefaultPath(m_defaultPath);
    }

    CBasicProfiledata m_profile;
    std::string m_defaultPath;
};

TEST_F(ProfileLoadTest, MissingFileIsCreatedHoldingOnlyTheDefaultEntry)
{
    const std::string path = Path("2026_01_01_00_00_00_000.Json");
    const Json::Value entry = m_profile.Load(path);

    const Json::Value defaults = ReadJson(m_defaultPath);
    EXPECT_EQ(entry, defaults["Device"][0]);
    const Json::Value written = ReadJson(path);
    EXPECT_EQ(written.getMemberNames(), std::vector<std::string>{"Device"});
    EXPECT_EQ(written["Device"][0], defaults["Device"][0]);
    EXPECT_EQ(m_profile.GetLightInfo().SelectItem, 6);
}

// Every kind of unusable profile reads as "no settings yet": the defaults are taken and stored, a file
// with content is kept beside the profile, and no other file changes.
TEST_F(ProfileLoadTest, UnusableProfileFallsBackToTheDefaultWithoutTouchingOtherFiles)
{
    struct Case
    {
        const char* name;
        std::string content;
        bool keptAsDamaged;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"truncated", ReadText(profiletest::FixturePath("truncated_profile.Json")), true},
        {"binary", std::string("\x00\xff\x10{", 4), true},
        {"top-level array", "[1, 2, 3]\n", true},
        {"device not an array", "{\"Device\": 5, \"profilename\": \"Keep\"}\n", false},
        {"entry not an object", "{\"Device\": [\"text\"], \"profilename\": \"Keep\"}\n", false},
        {"entry null", "{\"Device\": [null], \"profilename\": \"Keep\"}\n", false},
    };
    const std::string neighbour = CopyFixture("named_profile.Json", "neighbour.Json");
    const std::string neighbourBefore = ReadText(neighbour);
    const std::string defaultBefore = ReadText(m_defaultPath);
    const Json::Value defaults = ReadJson(m_defaultPath);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path("profile.Json");
        std::filesystem::remove(path + ".damaged");
        WriteText(path, c.content);

        EXPECT_EQ(m_profile.Load(path), defaults["Device"][0]);
        const Json::Value written = ReadJson(path);
        EXPECT_EQ(written["Device"][0], defaults["Device"][0]);
        // A readable file keeps its other members.
        if (c.content.find("Keep") != std::string::npos) {
            EXPECT_EQ(written["profilename"].asString(), "Keep");
        }
        EXPECT_EQ(std::filesystem::exists(path + ".damaged"), c.keptAsDamaged);
        if (c.keptAsDamaged) {
            EXPECT_EQ(ReadText(path + ".damaged"), c.content);
        }
        EXPECT_EQ(ReadText(neighbour), neighbourBefore);
        EXPECT_EQ(ReadText(m_defaultPath), defaultBefore);
    }
}

TEST_F(ProfileLoadTest, WithoutDefaultFileTheEntryStaysNullUntilASetterCreatesIt)
{
    std::filesystem::remove(m_defaultPath);
    const std::string path = Path("profile.Json");

    EXPECT_TRUE(m_profile.Load(path).isNull());
    const Json::Value written = ReadJson(path);
    ASSERT_TRUE(written["Device"].isArray());
    EXPECT_EQ(written["Device"].size(), 1u);
    EXPECT_TRUE(written["Device"][0].isNull());

    const LightInfoRecord zero{};
    const LightInfoRecord read = m_profile.GetLightInfo();
    EXPECT_EQ(std::memcmp(&read, &zero, sizeof zero), 0);
    EXPECT_TRUE(m_profile.GetKeyList().empty());
    EXPECT_TRUE(m_profile.GetLightList().empty());

    LightInfoRecord record{};
    record.SelectItem = 9;
    m_profile.SetLightInfo(record);
    m_profile.SetProfilePath(path);
    m_profile.Save();
    EXPECT_EQ(ReadJson(path)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
}

TEST_F(ProfileLoadTest, ReadableProfileIsLoadedWithoutRewritingIt)
{
    const std::string path = CopyFixture("named_profile.Json", "named.Json");
    const std::string before = ReadText(path);

    const Json::Value entry = m_profile.Load(path);

    EXPECT_EQ(entry, ReadJson(path)["Device"][0]);
    EXPECT_EQ(ReadText(path), before);
}

TEST_F(ProfileLoadTest, SaveKeepsEveryOtherMemberAndEntryOfTheFile)
{
    const std::string path = CopyFixture("named_profile.Json", "named.Json");
    m_profile.SetProfilePath(path);
    m_profile.Load(path);
    LightInfoRecord record = m_profile.GetLightInfo();
    record.Red = 200;
    m_profile.SetLightInfo(record);
    m_profile.Save();

    const Json::Value written = ReadJson(path);
    EXPECT_EQ(written["profilename"].asString(), "Work");
    EXPECT_EQ(written["profileUUID"].asString(), "2026_03_04_10_20_30_400");
    EXPECT_EQ(written["Device"][1]["Other"].asString(), "second entry");
    EXPECT_EQ(written["Device"][0]["LightInfo"]["Red"].asInt(), 200);
    EXPECT_EQ(written["Device"][0]["KeyList"],
              ReadJson(profiletest::FixturePath("named_profile.Json"))["Device"][0]["KeyList"]);
}

TEST_F(ProfileLoadTest, PathSettersIgnoreEmptyPaths)
{
    m_profile.SetProfilePath("/a/profile.Json");
    m_profile.SetProfilePath("");
    EXPECT_EQ(m_profile.GetProfilePath(), "/a/profile.Json");
    m_profile.SetDefaultPath("");
    EXPECT_EQ(m_profile.GetDefaultPath(), m_defaultPath);
    m_profile.SetLightLibraryPath("/a/lib.config");
    m_profile.SetLightLibraryPath("");
    EXPECT_EQ(m_profile.GetLightLibraryPath(), "");
}

TEST_F(ProfileLoadTest, OtherProfileIsChangedAndSavedWithoutTouchingTheProfileInUse)
{
    const std::string current = CopyFixture("named_profile.Json", "current.Json");
    const std::string other = CopyFixture("named_profile.Json", "other.Json");
    m_profile.SetProfilePath(current);
    m_profile.Load(current);
    const std::string currentBefore = ReadText(current);

    m_profile.LoadOther(other);
    std::vector<KeyAssignmentEntry> keys = m_profile.GetOtherKeyList();
    ASSERT_EQ(keys.size(), 3u);
    keys[1].Type = keys[1].DefaultType;
    keys[1].Param1 = keys[1].DefaultParam1;
    keys[1].Param2 = keys[1].DefaultParam2;
    m_profile.SetOtherKeyList(keys);
    m_profile.SaveOtherEntryTo(other);

    EXPECT_EQ(ReadJson(other)["Device"][0]["KeyList"][1]["Assignment"].asInt(), 0x20003A);
    EXPECT_EQ(ReadJson(other)["profilename"].asString(), "Work");
    EXPECT_EQ(ReadText(current), currentBefore);
    EXPECT_EQ(m_profile.GetKeyList()[1].Type, 0x70);
}

class SharedGroupsTest : public profiletest::ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        m_path = CopyFixture("named_profile.Json", "named.Json");
        m_profile.SetProfilePath(m_path);
        m_profile.Load(m_path);
    }

    CBasicProfiledata m_profile;
    std::string m_path;
};

TEST_F(SharedGroupsTest, LightInfoIsCutToBytesAndRewrittenWhole)
{
    const LightInfoRecord record = m_profile.GetLightInfo();
    EXPECT_EQ(record.SelectItem, 44); // 300 cut to 8 bits
    EXPECT_EQ(record.Light, 3);
    EXPECT_EQ(record.Fx, 1);
    EXPECT_EQ(record.MultiColor, 1);
    EXPECT_EQ(record.Blue, 30);
    EXPECT_EQ(record.ZZCCLedMode, 5);
    EXPECT_EQ(record.CustomGroup, 2);
    EXPECT_EQ(record.OldLedmode, 4);
    EXPECT_EQ(record.Reserved[0] | record.Reserved[1] | record.Reserved[2], 0);

    m_profile.SetLightInfo(record);
    m_profile.Save();
    const Json::Value written = ReadJson(m_path)["Device"][0]["LightInfo"];
    EXPECT_FALSE(written.isMember("Extra"));
    EXPECT_EQ(written.size(), 11u);
    EXPECT_EQ(written["SelectItem"].asInt(), 44);
    EXPECT_TRUE(written["MultiColor"].isIntegral());
    EXPECT_EQ(written["MultiColor"].asInt(), 1);
}

TEST_F(SharedGroupsTest, AbsentLightInfoReadsZeroAndIsNotWritten)
{
    WriteText(m_path, "{\"Device\": [{\"KeyList\": []}]}");
    m_profile.Load(m_path);
    const LightInfoRecord record = m_profile.GetLightInfo();
    EXPECT_EQ(record.SelectItem | record.Light | record.Red | record.OldLedmode, 0);
    m_profile.Save();
    EXPECT_FALSE(ReadJson(m_path)["Device"][0].isMember("LightInfo"));
}

TEST_F(SharedGroupsTest, AudioLightReadsColourTypeOnWhateverTheFileHolds)
{
    const AudioZuvovIvudoz audio = m_profile.GetAudioLight();
    EXPECT_EQ(audio.AudioMode, 2);
    EXPECT_EQ(audio.FgColorB, 6);
    EXPECT_EQ(audio.SevenColorFlags, 1); // 5 under the bool rule
    EXPECT_EQ(audio.ColorTypeFlags, 1);  // 0 in the file

    AudioZuvovIvudoz changed = audio;
    changed.BkColorR = 77;
    changed.SevenColorFlags = 0;
    m_profile.SetAudioLight(changed);
    m_profile.Save();
    const Json::Value written = ReadJson(m_path)["Device"][0]["AudioLightInfo"];
    EXPECT_EQ(written["BkColorR"].asInt(), 77);
    EXPECT_EQ(written["7ColorFlags"].asInt(), 0);
    EXPECT_EQ(written["ColorTypeFlags"].asInt(), 1);
}

TEST_F(SharedGroupsTest, LightListMarksNullElementsAsAbsent)
{
    const std::vector<LightListEntry> list = m_profile.GetLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Present, 1);
    EXPECT_EQ(list[0].LEDREGMode, 1);
    EXPECT_EQ(list[0].LEDSpeed, 3);
    EXPECT_EQ(list[0].LEDDirection, 1); // 2 under the bool rule
    EXPECT_EQ(list[0].LEDMultiColor, 0);
    EXPECT_EQ(list[0].green, 0); // 256 cut to 8 bits
    EXPECT_EQ(list[1].Present, 0);
    EXPECT_EQ(list[1].red | list[1].LEDREGMode, 0);
}

TEST_F(SharedGroupsTest, KeyListSplitsAssignmentsAndAddsOnlyAssignmentsBeyondTheArray)
{
    std::vector<KeyAssignmentEntry> keys = m_profile.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1].Position, 1);
    EXPECT_EQ(keys[1].Type, 0x70);
    EXPECT_EQ(keys[1].Param1, 0x01);
    EXPECT_EQ(keys[1].Param2, 0x00);
    EXPECT_EQ(keys[1].DefaultPosition, 1);
    EXPECT_EQ(keys[1].DefaultType, 0x20);
    EXPECT_EQ(keys[1].DefaultParam2, 0x3A);

    keys.resize(5);
    keys[3] = KeyAssignmentEntry{99, 0x20, 0x02, 0x04, 0, 99, 0x11, 0x11, 0x11, 0};
    keys[4] = KeyAssignmentEntry{0, 0xD0, 0xA2, 0x05, 0, 0, 0, 0, 0, 0};
    keys[0].DefaultType = 0x55; // never written
    m_profile.SetKeyList(keys);
    m_profile.Save();

    const Json::Value list = ReadJson(m_path)["Device"][0]["KeyList"];
    ASSERT_EQ(list.size(), 5u);
    for (Json::ArrayIndex i = 0; i < 3; ++i) {
        EXPECT_TRUE(list[i].isMember("DefaultAssignment")) << i;
    }
    EXPECT_EQ(list[0]["DefaultAssignment"].asInt(), 0x200029);
    EXPECT_EQ(list[3].getMemberNames(), std::vector<std::string>{"Assignment"});
    EXPECT_EQ(list[3]["Assignment"].asInt(), 0x200204);
    EXPECT_EQ(list[4]["Assignment"].asInt(), 0xD0A205);
}

TEST_F(SharedGroupsTest, RoundTripOfEveryGroupGivesBackTheSameDocument)
{
    // Records read from a normalised document and written back leave it unchanged.
    m_profile.SetLightInfo(m_profile.GetLightInfo());
    m_profile.SetAudioLight(m_profile.GetAudioLight());
    m_profile.SetKeyList(m_profile.GetKeyList());
    m_profile.Save();
    const Json::Value once = ReadJson(m_path);

    CBasicProfiledata again;
    again.SetProfilePath(m_path);
    again.Load(m_path);
    again.SetLightInfo(again.GetLightInfo());
    again.SetAudioLight(again.GetAudioLight());
    again.SetKeyList(again.GetKeyList());
    again.Save();
    EXPECT_EQ(ReadJson(m_path), once);
}

TEST_F(SharedGroupsTest, OddValuesFollowTheReadRulesWithoutFailing)
{
    const std::string path = CopyFixture("odd_values.Json", "odd.Json");
    CBasicProfiledata profile;
    profile.Load(path);

    const LightInfoRecord light = profile.GetLightInfo();
    EXPECT_EQ(light.SelectItem, 0);    // a string is not a number
    EXPECT_EQ(light.Light, 255);       // -1 cut to 8 bits
    EXPECT_EQ(light.Speed, 2);         // 2.9 truncated
    EXPECT_EQ(light.MultiColor, 1);    // 0.5 is non-zero
    EXPECT_EQ(light.Red, 255);         // the largest unsigned 64-bit value cut to 8 bits
    EXPECT_EQ(light.Green, 0);         // an array
    EXPECT_EQ(light.Blue, 0);          // an object
    EXPECT_EQ(light.ZZCCLedMode, 255); // a huge real clamped
    const AudioZuvovIvudoz audio = profile.GetAudioLight();
    EXPECT_EQ(audio.AudioMode, 0);
    EXPECT_TRUE(profile.GetLightList().empty());

    const std::vector<KeyAssignmentEntry> keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].Type | keys[0].Param1 | keys[0].Param2, 0);
    EXPECT_EQ(keys[1].Type, 0);
    EXPECT_EQ(keys[2].Type, 0xFF); // cut to 24 bits
    EXPECT_EQ(keys[2].Param2, 0xFF);

    // Writing into a group of the wrong type replaces it.
    profile.SetAudioLight(AudioZuvovIvudoz{1, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(profile.GetAudioLight().AudioMode, 1);
}

class CustomEffectTest : public profiletest::ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        m_library = CopyFixture("light_library.config", "zentor_light.config");
        CopyFixture("fixture_ocean.light", "fixture_ocean.light");
        WriteText(Path("profile.Json"), "{\"Device\": [{\"LightInfo\": {\"SelectItem\": 0}}]}");
        m_profile.Load(Path("profile.Json"));
        m_profile.SetLightLibraryPath(m_library);
    }

    std::vector<LedEffectStep> StepsFor(int selectItem)
    {
        LightInfoRecord record{};
        record.SelectItem = static_cast<uint8_t>(selectItem);
        m_profile.SetLightInfo(record);
        m_profile.GetLightInfo();
        return m_profile.GetCustomEffectSteps();
    }

    CBasicProfiledata m_profile;
    std::string m_library;
};

TEST_F(CustomEffectTest, StepsOfTheSelectedEffectAreReadBesideTheLibrary)
{
    EXPECT_TRUE(m_profile.GetCustomEffectSteps().empty()); // no library loaded yet
    EXPECT_TRUE(m_profile.LoadLightLibrary(m_library).isObject());

    const std::vector<LedEffectStep> steps = StepsFor(0);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].LEDREGMode, 4);
    EXPECT_EQ(steps[0].LEDDirection, 1);
    EXPECT_EQ(steps[0].blue, 255);
    EXPECT_EQ(steps[0].Time, 4000);
    EXPECT_EQ(steps[0].Cyle, -1);
    EXPECT_EQ(steps[1].LEDBrightness, 3);
    EXPECT_EQ(steps[1].LEDSpeed, 0); // missing
    EXPECT_EQ(steps[1].Time, 0);     // 2^32 cut to 32 bits
}

TEST_F(CustomEffectTest, MissingEffectFileEntryOrLibraryGivesNoSteps)
{
    m_profile.LoadLightLibrary(m_library);
    EXPECT_TRUE(StepsFor(1).empty()); // its file does not exist
    EXPECT_TRUE(StepsFor(2).empty()); // no "Guid"
    EXPECT_TRUE(StepsFor(7).empty()); // beyond the library
    m_profile.SetEntryIndex(3);
    EXPECT_TRUE(StepsFor(0).empty()); // no element for this entry index
    m_profile.SetEntryIndex(0);
    EXPECT_TRUE(m_profile.LoadLightLibrary(Path("none.config")).isNull());
    EXPECT_TRUE(StepsFor(0).empty());
}

TEST_F(CustomEffectTest, EffectFileIsAlsoFoundInTheCurrentFolder)
{
    const std::string elsewhere = Path("elsewhere/");
    std::filesystem::create_directories(elsewhere);
    std::filesystem::rename(m_library, elsewhere + "zentor_light.config");
    m_profile.SetLightLibraryPath(elsewhere + "zentor_light.config");
    m_profile.LoadLightLibrary(elsewhere + "zentor_light.config");

    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(Folder());
    const size_t count = StepsFor(0).size();
    std::filesystem::current_path(before);
    EXPECT_EQ(count, 2u);
}

} // namespace
