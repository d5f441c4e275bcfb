// A fresh device folder gets the shipped light library; what the user has is never replaced.

#include "profiles/LightLibrarySeed.h"

#include "ProfileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace profiletest {
namespace {

class LightLibrarySeedTest : public ScratchFolderTest
{
protected:
    const std::string shipped_ = std::string(ORVANT_SOURCE_DIR) + "/DefaultData/";
};

TEST_F(LightLibrarySeedTest, CopiesTheListAndItsEffectsOnceAndKeepsTheUsersFiles)
{
    const Json::Value list = ReadJson(shipped_ + "zentor_light.config");
    std::set<std::string> effects;
    for (const Json::Value& group : list["LightInfo"])
        for (const Json::Value& effect : group)
            effects.insert(effect["Guid"].asString());
    ASSERT_GT(effects.size(), 1u);

    WriteText(Path("2025_01_01_00_00_00_001.light"), R"({"LEDEffectList":[]})");
    EXPECT_EQ(SeedLightLibrary(Folder(), shipped_, "zentor_light"), static_cast<int>(effects.size()))
        << "the list and every effect but the user's";
    EXPECT_EQ(ReadText(Path("zentor_light.config")), ReadText(shipped_ + "zentor_light.config"));
    EXPECT_EQ(ReadText(Path("2025_01_01_00_00_00_002.light")),
              ReadText(shipped_ + "2025_01_01_00_00_00_002.light"));
    EXPECT_EQ(ReadText(Path("2025_01_01_00_00_00_001.light")), R"({"LEDEffectList":[]})");
    EXPECT_EQ(SeedLightLibrary(Folder(), shipped_, "zentor_light"), 0);
}

TEST_F(LightLibrarySeedTest, NamesThatLeaveTheFolderAreSkipped)
{
    std::filesystem::create_directories(Path("shipped"));
    WriteText(Path("shipped/list.config"), R"({"LightInfo":[[{"Guid":"../outside"},{"Guid":"fine"}]]})");
    WriteText(Path("shipped/fine.light"), "{}");
    WriteText(Path("outside.light"), "{}");
    std::filesystem::create_directories(Path("device"));
    EXPECT_EQ(SeedLightLibrary(Path("device/"), Path("shipped/"), "list"), 2);
    EXPECT_TRUE(std::filesystem::exists(Path("device/fine.light")));
    EXPECT_EQ(SeedLightLibrary(Path("device/"), Path("shipped/"), "../list"), 0);
}

} // namespace
} // namespace profiletest
