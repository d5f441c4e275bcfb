// The factory data shipped in DefaultData/: every file parses, and each holds what the device objects
// read from it, read through the same classes and folder rules they use.

#include "platform/Folders.h"
#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MouseProfiledata.h"

#include "ProfileTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>

using profiletest::ReadJson;

namespace {

class DefaultDataTest : public profiletest::ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        if (const char* previous = std::getenv("ORVANT_EXE_DIR")) {
            m_previousExeDir = previous;
        }
        // The source tree's DefaultData, found as the executable's folder would find it.
        ::setenv("ORVANT_EXE_DIR", ORVANT_SOURCE_DIR, 1);
        m_folder = platform::DefaultDataFolder();
    }
    void TearDown() override
    {
        if (m_previousExeDir) {
            ::setenv("ORVANT_EXE_DIR", m_previousExeDir->c_str(), 1);
        } else {
            ::unsetenv("ORVANT_EXE_DIR");
        }
        ScratchFolderTest::TearDown();
    }

    // Loads a new profile of the kind from its default file, as a device does for a fresh profile.
    template <class Profile>
    void LoadFresh(Profile& profile, const std::string& typeName)
    {
        profile.SetDefaultPath(m_folder + typeName + ".Json");
        profile.SetProfilePath(Path(typeName + ".Json"));
        ASSERT_TRUE(profile.Load(profile.GetProfilePath()).isObject()) << typeName;
    }

    std::string m_folder;
    std::optional<std::string> m_previousExeDir;
};

TEST_F(DefaultDataTest, EveryFileIsAJsonObject)
{
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(m_folder)) {
        SCOPED_TRACE(item.path().string());
        EXPECT_TRUE(ReadJson(item.path().string()).isObject());
        ++files;
    }
    EXPECT_GE(files, 6);
}

TEST_F(DefaultDataTest, KeyboardHoldsEveryKeyPositionWithItsFactoryAssignment)
{
    CKeyboardProfiledata profile;
    LoadFresh(profile, "keyboard");
    const std::vector<KeyAssignmentEntry> keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);

    struct Case
    {
        int position;
        uint32_t assignment;
    };
    // One or two positions of each row of the keyboard's position table.
    for (const Case c :
         {Case{0, 0x200029},   Case{9, 0x200042},   Case{16, 0xA01B00},  Case{17, 0xA02400},
          Case{21, 0x200035},  Case{34, 0x20002A},  Case{43, 0x200014},  Case{59, 0x20005F},
          Case{64, 0x200004},  Case{79, 0x20008A},  Case{84, 0x200200},  Case{95, 0x202000},
          Case{104, 0x200000}, Case{110, 0xA00100}, Case{119, 0x200057}, Case{120, 0xD0A201},
          Case{124, 0xD0A205}, Case{125, 0x208000}, Case{126, 0x200000}, Case{169, 0x200000}}) {
        const KeyAssignmentEntry& key = keys[static_cast<size_t>(c.position)];
        EXPECT_EQ(static_cast<uint32_t>(key.DefaultType << 16 | key.DefaultParam1 << 8 | key.DefaultParam2),
                  c.assignment)
            << c.position;
        EXPECT_EQ(key.Type, key.DefaultType);
        EXPECT_EQ(key.Param1, key.DefaultParam1);
        EXPECT_EQ(key.Param2, key.DefaultParam2);
    }

    const KeyboardSystemRecord system = profile.GetSystemStages();
    EXPECT_LE(system.RepeatDelay, 3);
    EXPECT_LE(system.PollingRate, 3);
    const LightInfoRecord light = profile.GetLightInfo();
    EXPECT_LE(light.SelectItem, 30);
    EXPECT_LE(light.Light, 4);
    EXPECT_LE(light.Speed, 4);
    // The custom colour set in use holds a colour for every key.
    const Json::Value before = profile.GetDeviceEntry();
    EXPECT_EQ(profile.GetCustomLightColors(profile.GetCustomLightGroup(), 170).size(), 170u);
    EXPECT_EQ(profile.GetDeviceEntry(), before);
}

TEST_F(DefaultDataTest, MouseHasFiveEnabledDpiStagesAndOneLeftButton)
{
    CMouseProfiledata profile;
    LoadFresh(profile, "mouse");
    const std::vector<DpiStageRecord> stages = profile.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_GE(profile.GetActiveStage(), 0);
    EXPECT_LT(profile.GetActiveStage(), 5);
    // The records are packed: their 16-bit members are read into values, never bound by reference.
    int previousX = -1;
    for (size_t i = 0; i < stages.size(); ++i) {
        const int active = stages[i].StageActive, x = stages[i].StageDPIX, y = stages[i].StageDPIY;
        EXPECT_EQ(active, 1) << i;
        EXPECT_EQ(x, y) << i;
        EXPECT_GT(x, previousX) << i;
        previousX = x;
    }
    const std::vector<KeyAssignmentEntry> keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 11u);
    int leftButtons = 0;
    for (const KeyAssignmentEntry& key : keys) {
        leftButtons += (key.Type == 0x10 && key.Param1 == 0x01 && key.Param2 == 0) ? 1 : 0;
    }
    EXPECT_EQ(leftButtons, 1);
    EXPECT_LE(profile.GetSystemStages().ReportStage, 4);
    EXPECT_LE(profile.GetLightInfo().SelectItem, 9);
    ASSERT_FALSE(profile.GetCorrectList().empty());
}

TEST_F(DefaultDataTest, HeadsetHoldsTheTwelveEqualiserPresets)
{
    const std::vector<std::vector<int32_t>> presets{
        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},   {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
        {10, 4, 0, -3, -4, -3, -2, -1, 0, 0}, {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},       {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
        {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},  {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
        {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},  {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
        {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},  {2, 1, -2, -4, -8, 4, 12, 16, 18, 15}};
    CHs6533Profiledata profile;
    LoadFresh(profile, "HD");
    const Json::Value before = profile.GetDeviceEntry();
    for (int32_t type = 1; type <= 12; ++type) {
        EXPECT_EQ(profile.GetEqValues(type), presets[static_cast<size_t>(type - 1)]) << type;
    }
    EXPECT_EQ(profile.GetDeviceEntry(), before); // nothing had to be filled in
    const HeadsetSettingsRecord settings = profile.GetHeadsetSettings();
    EXPECT_GE(settings.EqType, 0);
    EXPECT_LE(settings.EqType, 13);
    EXPECT_EQ(settings.CustomEqSeletIndex, -1);
    EXPECT_TRUE(profile.GetCustomEqNames().empty());
    EXPECT_LE(profile.GetLightInfo().SelectItem, 8);
}

TEST_F(DefaultDataTest, MousePadHasLightingOnly)
{
    CBasicProfiledata profile;
    LoadFresh(profile, "MousePad");
    EXPECT_LE(profile.GetLightInfo().SelectItem, 8);
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_TRUE(profile.GetLightList().empty());
}

TEST_F(DefaultDataTest, BuiltInEffectNamesCoverEveryModelWithDistinctCodes)
{
    const Json::Value names = ReadJson(m_folder + "default_light.json");
    const Json::Value& effects = names["DefaultLightName"];
    const Json::Value& areas = names["AreaLightName"];
    ASSERT_EQ(effects.size(), 4u);
    ASSERT_EQ(areas.size(), 4u);
    // By model index: mouse, keyboard, mouse pad, headset.
    const Json::ArrayIndex counts[] = {10, 31, 9, 9};
    for (Json::ArrayIndex model = 0; model < 4; ++model) {
        SCOPED_TRACE(model);
        ASSERT_EQ(effects[model].size(), counts[model]);
        std::set<int> codes;
        for (const Json::Value& effect : effects[model]) {
            EXPECT_TRUE(effect["LightName"].isString());
            EXPECT_FALSE(effect["LightName"].asString().empty());
            EXPECT_TRUE(effect["visible"].isBool());
            ASSERT_TRUE(effect["value"].isIntegral());
            codes.insert(effect["value"].asInt());
        }
        // A code read back from a device names exactly one mode.
        EXPECT_EQ(codes.size(), effects[model].size());
        ASSERT_FALSE(areas[model].empty());
        for (const Json::Value& area : areas[model]) {
            EXPECT_TRUE(area["LightName"].isString());
        }
    }
    // The keyboard's modes with a fixed meaning are offered; the music modes carry codes 29 and 30,
    // which the keyboard sends as its host-driven code.
    const Json::Value& keyboard = effects[1];
    EXPECT_EQ(keyboard[20]["LightName"].asString(), "Custom Colours");
    EXPECT_EQ(keyboard[29]["LightName"].asString(), "Music");
    for (const Json::ArrayIndex mode : {20u, 29u, 30u}) {
        EXPECT_TRUE(keyboard[mode]["visible"].asBool()) << mode;
    }
    EXPECT_EQ(keyboard[29]["value"].asInt(), 29);
    EXPECT_EQ(keyboard[30]["value"].asInt(), 30);
}

TEST_F(DefaultDataTest, EveryLightLibraryEffectHasItsSteps)
{
    const std::string library = m_folder + "zentor_light.config";
    const Json::Value document = ReadJson(library);
    ASSERT_EQ(document["LightInfo"].size(), 4u);
    for (int32_t model = 0; model < 4; ++model) {
        CBasicProfiledata profile;
        LoadFresh(profile, "MousePad");
        profile.SetEntryIndex(model);
        profile.SetLightLibraryPath(library);
        profile.LoadLightLibrary(library);
        const Json::Value& effects = document["LightInfo"][model];
        ASSERT_GE(effects.size(), 11u); // reaches the mouse's first custom mode, 10
        for (Json::ArrayIndex n = 0; n < effects.size(); ++n) {
            EXPECT_FALSE(effects[n]["LightName"].asString().empty());
            LightInfoRecord record{};
            record.SelectItem = static_cast<uint8_t>(n);
            profile.SetLightInfo(record);
            profile.GetLightInfo();
            const std::vector<LedEffectStep> steps = profile.GetCustomEffectSteps();
            ASSERT_FALSE(steps.empty()) << model << "/" << n;
            for (const LedEffectStep& step : steps) {
                EXPECT_LE(step.LEDREGMode, 5);
                EXPECT_LE(step.LEDBrightness, 4);
                EXPECT_LE(step.LEDSpeed, 4);
                EXPECT_GT(step.Time, 0);
            }
        }
    }
}

} // namespace
