// The keyboard's, the mouse's and the headset's own groups.

#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MouseProfiledata.h"

#include "ProfileTestSupport.h"

#include <cstring>

using profiletest::ReadJson;
using profiletest::WriteText;

namespace {

class KindProfileTest : public profiletest::ScratchFolderTest
{
protected:
    // Loads a profile whose device entry is the given JSON text.
    template <class Profile>
    void LoadEntry(Profile& profile, const std::string& entry)
    {
        m_path = Path("profile.Json");
        WriteText(m_path, "{\"Device\": [" + entry + "]}");
        profile.SetProfilePath(m_path);
        profile.Load(m_path);
    }
    Json::Value SavedEntry() { return ReadJson(m_path)["Device"][0]; }

    std::string m_path;
};

using KeyboardProfileTest = KindProfileTest;

TEST_F(KeyboardProfileTest, SystemStagesAreCutTo16BitsAndWrittenMemberByMember)
{
    CKeyboardProfiledata profile;
    profile.Load(CopyFixture("odd_values.Json", "odd.Json"));
    const KeyboardSystemRecord read = profile.GetSystemStages();
    EXPECT_EQ(read.Repeat, 70000 & 0xFFFF);
    EXPECT_EQ(read.RepeatDelay, 0xFFFF);
    EXPECT_EQ(read.Key6Flag, 1);                 // true
    EXPECT_EQ(read.PollingRate, 0);              // a string
    EXPECT_EQ(profile.GetCustomLightGroup(), 1); // 2^32 + 1 cut to 32 bits

    LoadEntry(profile, R"({"SystemStages": {"Repeat": 3, "Vendor": "kept"}})");
    profile.SetSystemStages(KeyboardSystemRecord{20, 2, 1, 3, 1, 0});
    profile.Save();
    const Json::Value stages = SavedEntry()["SystemStages"];
    EXPECT_EQ(stages["Vendor"].asString(), "kept");
    EXPECT_EQ(stages["Repeat"].asInt(), 20);
    EXPECT_EQ(stages["PollingRate"].asInt(), 3);
    EXPECT_EQ(stages["WFlag"].asInt(), 1);
    EXPECT_EQ(stages["WinFlag"].asInt(), 0);

    LoadEntry(profile, R"({"KeyList": []})");
    const KeyboardSystemRecord none = profile.GetSystemStages();
    EXPECT_EQ(none.Repeat | none.WinFlag, 0);
}

TEST_F(KeyboardProfileTest, CustomColoursFillMissingPositionsWithZerosInTheDocument)
{
    CKeyboardProfiledata profile;
    LoadEntry(profile, R"({"CustomLightMode": {"CustomLightModeGroupIndex": 1, "LightColorInfo": [
        [{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 300}, null]]}})");
    EXPECT_EQ(profile.GetCustomLightGroup(), 1);

    const std::vector<CustomLightColor> group0 = profile.GetCustomLightColors(0, 3);
    ASSERT_EQ(group0.size(), 3u);
    EXPECT_EQ(group0[0].Blue, 3);
    EXPECT_EQ(group0[0].Alpha, 44);
    EXPECT_EQ(group0[1].Red | group0[2].Alpha, 0);
    // A group that does not exist yet comes back black and is stored.
    const std::vector<CustomLightColor> group2 = profile.GetCustomLightColors(2, 4);
    EXPECT_EQ(group2.size(), 4u);
    // A group no document can hold changes nothing.
    EXPECT_TRUE(profile.GetCustomLightColors(-1, 4).empty());
    EXPECT_TRUE(profile.GetCustomLightColors(2000000000, 4).empty());
    profile.Save();

    const Json::Value info = SavedEntry()["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(info[0].size(), 3u);
    EXPECT_EQ(info[0][0]["Alpha"].asInt(), 300); // read only: the file keeps what it had
    EXPECT_EQ(info[0][1]["Red"].asInt(), 0);
    EXPECT_TRUE(info[0][1].isMember("Alpha"));
    EXPECT_EQ(info[2].size(), 4u);
    EXPECT_TRUE(info[1].isNull());
}

TEST_F(KeyboardProfileTest, CustomColoursAndGroupRoundTrip)
{
    CKeyboardProfiledata profile;
    LoadEntry(profile, "{}");
    EXPECT_EQ(profile.GetCustomLightGroup(), 0);
    const std::vector<CustomLightColor> colors{{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 1}};
    profile.SetCustomLightColors(colors, 1);
    profile.SetCustomLightGroup(1);
    profile.Save();

    CKeyboardProfiledata again;
    again.Load(m_path);
    EXPECT_EQ(again.GetCustomLightGroup(), 1);
    const std::vector<CustomLightColor> read = again.GetCustomLightColors(1, 3);
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < colors.size(); ++i) {
        EXPECT_EQ(std::memcmp(&read[i], &colors[i], sizeof colors[i]), 0) << i;
    }
}

using MouseProfileTest = KindProfileTest;

TEST_F(MouseProfileTest, DpiStagesOfAShorterProfileMergeIntoTheCachedList)
{
    CMouseProfiledata profile;
    profile.Load(CopyFixture("mouse_four_stages.Json", "four.Json"));
    std::vector<DpiStageRecord> stages = profile.GetDpiStages();
    ASSERT_EQ(stages.size(), 4u);
    EXPECT_EQ(profile.GetActiveStage(), 2);
    EXPECT_EQ(stages[2].StageDPIX, 70000 & 0xFFFF);
    EXPECT_EQ(stages[2].StageXY, 1);

    profile.Load(CopyFixture("mouse_two_stages.Json", "two.Json"));
    stages = profile.GetDpiStages();
    ASSERT_EQ(stages.size(), 4u);
    EXPECT_EQ(profile.GetActiveStage(), 0);
    EXPECT_EQ(stages[0].StageDPIX, 100);
    EXPECT_EQ(stages[1].StageColorG, 2);
    EXPECT_EQ(stages[2].StageDPIY, 40);
    EXPECT_EQ(stages[3].StageColorR, 9);
}

TEST_F(MouseProfileTest, DpiStagesAndActiveStageAreWritten)
{
    CMouseProfiledata profile;
    LoadEntry(profile, R"({"DPIStages": {"StageDPIs": [{"StageDPIX": 1, "Note": "kept"}, {}, {}]}})");
    profile.SetDpiStages({DpiStageRecord{1, 0, 500, 600, 7, 8, 9}, DpiStageRecord{0, 1, 2, 3, 4, 5, 6}});
    profile.SetActiveStage(1);
    EXPECT_EQ(profile.GetActiveStage(), 1);
    profile.Save();

    const Json::Value dpi = SavedEntry()["DPIStages"];
    EXPECT_EQ(dpi["StageActive"].asInt(), 1);
    ASSERT_EQ(dpi["StageDPIs"].size(), 3u);
    EXPECT_EQ(dpi["StageDPIs"][0]["StageDPIY"].asInt(), 600);
    EXPECT_EQ(dpi["StageDPIs"][0]["Note"].asString(), "kept");
    EXPECT_EQ(dpi["StageDPIs"][1]["StageXY"].asInt(), 1);
    EXPECT_TRUE(dpi["StageDPIs"][2].empty());
}

TEST_F(MouseProfileTest, SystemStagesCarryTheReportRateInTheHighHalf)
{
    CMouseProfiledata profile;
    profile.Load(CopyFixture("mouse_four_stages.Json", "four.Json"));
    MouseSystemRecord record = profile.GetSystemStages();
    EXPECT_EQ(record.DoubleClickTime, 500);
    EXPECT_EQ(record.WheelScorlllinse, 3);
    EXPECT_EQ(record.ReportStage, 2);

    record.ReportStage = 3;
    record.MouseSpeed = 15;
    profile.SetProfilePath(Path("four.Json"));
    profile.SetSystemStages(record);
    profile.Save();
    EXPECT_EQ(ReadJson(Path("four.Json"))["Device"][0]["ReportStages"]["StageActive"].asInt(), 3);
    EXPECT_EQ(ReadJson(Path("four.Json"))["Device"][0]["SystemStages"]["MouseSpeed"].asInt(), 15);

    LoadEntry(profile, R"({"SystemStages": {"MouseSpeed": 4}})");
    EXPECT_EQ(profile.GetSystemStages().ReportStage, 0);
}

TEST_F(MouseProfileTest, CorrectionsAreReadWithTheirNames)
{
    CMouseProfiledata profile;
    profile.Load(CopyFixture("mouse_four_stages.Json", "four.Json"));
    const std::vector<CorrectEntry> list = profile.GetCorrectList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].CorrectName, "Gerade Linien");
    EXPECT_EQ(list[1].CorrectName, "強い");
    EXPECT_EQ(list[1].CorrectPixThresh, 4); // 260 cut to 8 bits
    EXPECT_EQ(list[1].CorrectSelect, 1);

    LoadEntry(profile, R"({"CorrectInfo": [null, {"CorrectName": 5}]})");
    const std::vector<CorrectEntry> odd = profile.GetCorrectList();
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd[1].CorrectName, "");
}

using HeadsetProfileTest = KindProfileTest;

TEST_F(HeadsetProfileTest, EqualiserTypesMapToTheirSlots)
{
    struct Case
    {
        int32_t type;
        int32_t slot;
    };
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{7, 7}, Case{12, 12}, Case{13, -1}, Case{14, 1},
                         Case{20, 1}, Case{-3, 1}}) {
        EXPECT_EQ(CHs6533Profiledata::EqSlotOf(c.type), c.slot) << c.type;
    }

    CHs6533Profiledata profile;
    LoadEntry(profile, R"({"EQHzValueInfo": [[], [{"value": 5}, {"value": -4}]]})");
    EXPECT_EQ(profile.GetEqValues(0)[0], 5);
    EXPECT_EQ(profile.GetEqValues(20)[1], -4);
}

TEST_F(HeadsetProfileTest, CustomTypeNeitherReadsNorWrites)
{
    CHs6533Profiledata profile;
    LoadEntry(profile, "{}");
    EXPECT_TRUE(profile.GetEqValues(13).empty());
    profile.SetEqValues(13, std::vector<int32_t>(10, 3));
    EXPECT_TRUE(profile.GetCustomEqValues(-1).empty());
    profile.Save();
    EXPECT_EQ(SavedEntry(), Json::Value(Json::objectValue));
}

TEST_F(HeadsetProfileTest, MissingBandsReadZeroAndAreStored)
{
    CHs6533Profiledata profile;
    LoadEntry(profile, R"({"CustomEQHzValueInfo": [[{"value": 9}]]})");
    const std::vector<int32_t> preset = profile.GetEqValues(4);
    EXPECT_EQ(preset, std::vector<int32_t>(10, 0));
    const std::vector<int32_t> custom = profile.GetCustomEqValues(0);
    ASSERT_EQ(custom.size(), 10u);
    EXPECT_EQ(custom[0], 9);
    EXPECT_EQ(custom[9], 0);
    profile.Save();

    const Json::Value entry = SavedEntry();
    ASSERT_EQ(entry["EQHzValueInfo"].size(), 5u);
    ASSERT_EQ(entry["EQHzValueInfo"][4].size(), 10u);
    EXPECT_EQ(entry["EQHzValueInfo"][4][9]["value"].asInt(), 0);
    EXPECT_EQ(entry["CustomEQHzValueInfo"][0][0]["value"].asInt(), 9);
    EXPECT_EQ(entry["CustomEQHzValueInfo"][0].size(), 10u);
}

TEST_F(HeadsetProfileTest, SettingsBandsAndNamesRoundTrip)
{
    CHs6533Profiledata profile;
    LoadEntry(profile,
              R"({"SystemSetStages": {"EqType": 13, "CustomEqSeletIndex": -1, "MicInValue": 4294967295}})");
    HeadsetSettingsRecord settings = profile.GetHeadsetSettings();
    EXPECT_EQ(settings.EqType, 13);
    EXPECT_EQ(settings.CustomEqSeletIndex, -1);
    EXPECT_EQ(settings.MicInValue, -1); // cut to signed 32 bits

    settings = HeadsetSettingsRecord{1, 3, 5, 0, 1, 80, 0, 50};
    profile.SetHeadsetSettings(settings);
    const std::vector<int32_t> bands{7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    profile.SetEqValues(5, bands);
    profile.SetCustomEqValues(1, bands);
    profile.SetCustomEqNames({"Mine", "Für Filme"});
    profile.Save();

    CHs6533Profiledata again;
    again.Load(m_path);
    const HeadsetSettingsRecord read = again.GetHeadsetSettings();
    EXPECT_EQ(std::memcmp(&read, &settings, sizeof settings), 0);
    EXPECT_EQ(again.GetEqValues(5), bands);
    EXPECT_EQ(again.GetCustomEqValues(1), bands);
    EXPECT_EQ(again.GetCustomEqNames(), (std::vector<std::string>{"Mine", "Für Filme"}));
    EXPECT_EQ(SavedEntry()["CustomEQNameInfo"][1]["Name"].asString(), "Für Filme");
}

} // namespace
