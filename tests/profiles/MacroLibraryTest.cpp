// The macro library against files on disk, the renumbering of key assignments when a macro goes, and
// the macro data block byte for byte.

#include "profiles/MacroLibrary.h"

#include "profiles/BasicProfiledata.h"

#include "ProfileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace profiletest {
namespace {

using Bytes = std::vector<uint8_t>;

KeyAssignmentEntry Key(uint8_t type, uint8_t param1, uint8_t param2 = 0)
{
    KeyAssignmentEntry key{};
    key.Type = type;
    key.Param1 = param1;
    key.Param2 = param2;
    key.DefaultType = 0x10;
    key.DefaultParam1 = 0x00;
    key.DefaultParam2 = 0x04;
    return key;
}

class MacroLibraryTest : public ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        std::filesystem::create_directories(Path("device"));
        library_.SetFolder(Path("device/"));
    }
    // Writes a library by hand: one entry per name, identifiers "id<N>".
    void WriteLibrary(const std::vector<std::string>& names)
    {
        Json::Value library;
        for (size_t i = 0; i < names.size(); ++i) {
            library["MacroInfo"][static_cast<int>(i)]["MacroName"] = names[i];
            library["MacroInfo"][static_cast<int>(i)]["Guid"] = "id" + std::to_string(i);
        }
        WriteText(Path("device/macro.config"), library.toStyledString());
        library_.Load();
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : library_.Entries())
            names.push_back(e.name);
        return names;
    }

    CMacroLibrary library_;
};

TEST_F(MacroLibraryTest, AddNamesTheLowestFreeNumberAndStopsAtFifty)
{
    library_.Load();
    EXPECT_EQ(library_.Count(), 0) << "no library yet reads as empty";
    WriteLibrary({"macro_1", "Macro_3"});
    ASSERT_EQ(library_.Add(), 2);
    EXPECT_EQ(library_.Entries()[2].name, "macro_2");
    EXPECT_FALSE(std::filesystem::exists(library_.MacroFile(2))) << "no file until the first save";
    while (library_.Count() < CMacroLibrary::kMaxMacros)
        ASSERT_GE(library_.Add(), 0);
    EXPECT_EQ(library_.Add(), -1);
    CMacroLibrary reread;
    reread.SetFolder(Path("device/"));
    reread.Load();
    EXPECT_EQ(reread.Count(), CMacroLibrary::kMaxMacros);
}

TEST_F(MacroLibraryTest, RenameRefusesEveryTakenNameAndBlankOnes)
{
    WriteLibrary({"jump", "reload"});
    EXPECT_EQ(library_.Rename(0, "jump"), CMacroLibrary::RenameResult::Duplicate);
    EXPECT_EQ(library_.Rename(0, "RELOAD"), CMacroLibrary::RenameResult::Duplicate);
    EXPECT_EQ(library_.Rename(0, " \t"), CMacroLibrary::RenameResult::Blank);
    EXPECT_EQ(library_.Rename(0, "连招 ⚔"), CMacroLibrary::RenameResult::Renamed);
    library_.Load();
    EXPECT_EQ(Names(), (std::vector<std::string>{"连招 ⚔", "reload"}));
}

TEST_F(MacroLibraryTest, SavedEventsReadBackAndStoredDelaysAreRead)
{
    WriteLibrary({"jump"});
    const std::vector<MacroEvent> events = {{true, MacroEvent::kKey, 4, 300},
                                            {false, MacroEvent::kKey, 4, 0},
                                            {true, MacroEvent::kMouseButton, 1, 65535}};
    ASSERT_TRUE(library_.Save(0, events));
    EXPECT_EQ(library_.ReadEvents(0), events);
    const Json::Value file = ReadJson(library_.MacroFile(0));
    EXPECT_EQ(file["Version"].asInt(), 64);
    EXPECT_EQ(file["Guid"].asString(), "id0");
    EXPECT_EQ(file["Events"][0]["Delay"].asString(), "300");
    EXPECT_EQ(file["Events"][1]["Action"].asString(), "up");

    // Delays as other writers store them.
    struct Case
    {
        const char* delay;
        uint16_t read;
    };
    for (const Case c : {Case{R"("007")", 7}, Case{"250", 250}, Case{R"("")", 0}, Case{R"("abc")", 0},
                         Case{"-5", 0}, Case{"70000", 65535}}) {
        SCOPED_TRACE(c.delay);
        WriteText(library_.MacroFile(0),
                  std::string(R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":)") + c.delay +
                      "}]}");
        ASSERT_EQ(library_.ReadEvents(0).size(), 1u);
        EXPECT_EQ(library_.ReadEvents(0)[0].delayMs, c.read);
    }
}

TEST_F(MacroLibraryTest, DeleteRemovesTheFileAndRenumbersTheRest)
{
    WriteLibrary({"a", "b", "c"});
    ASSERT_TRUE(library_.Save(1, {}));
    const std::string file = library_.MacroFile(1);
    ASSERT_TRUE(library_.Delete(1));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(library_.Entries()[1].id, "id2");
    EXPECT_FALSE(library_.Delete(7));
}

TEST_F(MacroLibraryTest, ImportAndExportCopyTheFileAndRefuseWhatIsNotAMacro)
{
    WriteLibrary({"a"});
    ASSERT_TRUE(library_.Save(0, {{true, MacroEvent::kKey, 5, 10}}));
    ASSERT_TRUE(library_.Export(0, Path("out.mac")));
    EXPECT_EQ(ReadText(Path("out.mac")), ReadText(library_.MacroFile(0)));
    const int imported = library_.Import(Path("out.mac"));
    ASSERT_EQ(imported, 1);
    EXPECT_EQ(library_.Entries()[1].name, "macro_1");
    EXPECT_EQ(ReadText(library_.MacroFile(1)), ReadText(Path("out.mac")));

    for (const char* content : {"", "not json", R"({"Events":5})", R"([1,2])"}) {
        SCOPED_TRACE(content);
        WriteText(Path("bad.mac"), content);
        EXPECT_EQ(library_.Import(Path("bad.mac")), -1);
    }
    EXPECT_EQ(library_.Import(Path("missing.mac")), -1);
    EXPECT_EQ(library_.Count(), 2);
}

TEST_F(MacroLibraryTest, IdentifiersThatLeaveTheFolderNameNoFile)
{
    WriteText(Path("victim.mac"), "{}");
    Json::Value library;
    library["MacroInfo"][0]["MacroName"] = "evil";
    library["MacroInfo"][0]["Guid"] = "../victim";
    WriteText(Path("device/macro.config"), library.toStyledString());
    library_.Load();
    EXPECT_EQ(library_.MacroFile(0), "");
    EXPECT_FALSE(library_.Save(0, {}));
    EXPECT_FALSE(library_.Export(0, Path("x.mac")));
    EXPECT_TRUE(library_.Delete(0));
    EXPECT_TRUE(std::filesystem::exists(Path("victim.mac")));
}

TEST(MacroBlock, EventRecordsAndUsedMacros)
{
    EXPECT_EQ(MacroEventRecord({true, MacroEvent::kKey, 4, 300}),
              (std::array<uint8_t, 4>{0x2C, 0x01, 0x8A, 0x04}));
    EXPECT_EQ(MacroEventRecord({false, MacroEvent::kMouseButton, 2, 0}),
              (std::array<uint8_t, 4>{0, 0, 0x01, 0x02}));

    // Keys 0 and 2 play macro 2, key 3 macro 0; key 1 is not on the device; key 4 names no macro.
    const std::vector<KeyAssignmentEntry> keys = {Key(0x70, 2), Key(0x71, 1), Key(0x71, 2),
                                                  Key(0x70, 0), Key(0x70, 9), Key(0x10, 2)};
    const std::vector<bool> onDevice = {true, false, true, true, true, true};
    EXPECT_EQ(UsedMacroNumbers(keys, 3, onDevice), (std::vector<int>{2, 0}));
    EXPECT_TRUE(UsedMacroNumbers(keys, 0, onDevice).empty());
}

TEST_F(MacroLibraryTest, TheBlockHoldsTheListedMacrosInOrderOrReportsTheExcess)
{
    WriteLibrary({"zero", "one", "two"});
    ASSERT_TRUE(library_.Save(0, {{true, MacroEvent::kKey, 4, 1}}));
    ASSERT_TRUE(library_.Save(2, {{true, MacroEvent::kKey, 5, 300}, {false, MacroEvent::kKey, 5, 2}}));
    const MacroBlock block = BuildMacroBlock(library_, {2, 0}, 128);
    ASSERT_EQ(block.result, 0);
    // 16 + 6 * 2 + 4 * 3 = 40 bytes.
    const Bytes expected = {0xAA, 0x55, 40, 0, 2,    0,    0,    0,    0,    0,    0,    0,
                            0,    0,    0,  0,                                                 // header
                            20,   0,    32, 0,                                                 // offsets
                            2,    0,    0,  0, 0x2C, 0x01, 0x8A, 0x05, 0x02, 0x00, 0x0A, 0x05, // macro 2
                            1,    0,    0,  0, 0x01, 0x00, 0x8A, 0x04};                        // macro 0
    EXPECT_EQ(block.bytes, expected);

    const MacroBlock tooBig = BuildMacroBlock(library_, {2, 0}, 32);
    EXPECT_EQ(tooBig.result, (40 - 32) / 4 + 1);
    EXPECT_TRUE(tooBig.bytes.empty());
    EXPECT_EQ(BuildMacroBlock(library_, {}, 128).result, 0);
    EXPECT_TRUE(BuildMacroBlock(library_, {}, 128).bytes.empty());
}

TEST(MacroBlock, DeletingAMacroRenumbersTheKeysThatPlayLaterOnes)
{
    std::vector<KeyAssignmentEntry> keys = {Key(0x70, 0), Key(0x71, 1, 3), Key(0x70, 3), Key(0x10, 1)};
    ASSERT_TRUE(RemoveMacroFromKeys(keys, 1));
    EXPECT_EQ(keys[0].Param1, 0);
    EXPECT_EQ(keys[1].Type, 0x10) << "back to its default assignment";
    EXPECT_EQ(keys[1].Param1, 0x00);
    EXPECT_EQ(keys[1].Param2, 0x04);
    EXPECT_EQ(keys[2].Param1, 2);
    EXPECT_EQ(keys[3].Param1, 1) << "not a macro key";
    std::vector<KeyAssignmentEntry> none = {Key(0x10, 5)};
    EXPECT_FALSE(RemoveMacroFromKeys(none, 0));
}

TEST_F(MacroLibraryTest, DeletingAMacroRenumbersEveryProfileFile)
{
    // Assignments: type << 16 | macro << 8; the default of every key is 0x200029.
    const auto key = [](uint32_t assignment) {
        return R"({"Assignment":)" + std::to_string(assignment) + R"(,"DefaultAssignment":2097193})";
    };
    WriteText(Path("a.Json"), R"({"Device":[{"KeyList":[)" + key(0x700000) + "," + key(0x710100) + "," +
                                  key(0x700300) + "," + key(0x200029) + "]}]})");
    WriteText(Path("b.Json"), R"({"Device":[{"KeyList":[)" + key(0x200004) + "]}]})");
    const std::string untouched = ReadText(Path("b.Json"));
    CBasicProfiledata profile;
    profile.SetEntryIndex(0);
    EXPECT_EQ(RemoveMacroFromProfiles(profile, {Path("a.Json"), Path("b.Json")}, 1), 1);
    const Json::Value keys = ReadJson(Path("a.Json"))["Device"][0]["KeyList"];
    EXPECT_EQ(keys[0]["Assignment"].asUInt(), 0x700000u);
    EXPECT_EQ(keys[1]["Assignment"].asUInt(), 0x200029u) << "back to its default";
    EXPECT_EQ(keys[2]["Assignment"].asUInt(), 0x700200u);
    EXPECT_EQ(keys[3]["Assignment"].asUInt(), 0x200029u);
    EXPECT_EQ(ReadText(Path("b.Json")), untouched);
}

} // namespace
} // namespace profiletest
