// The profile panel in a device page built from the shipped layout, driven as the main window drives
// it: set-up from the device page, the function tabs each kind lacks, the operations keeping the combo
// box in step with the list file, the messages and file dialogs of the buttons, and applying a profile
// through the device worker.

#include "app/ControlRegistry.h"
#include "app/MsgWnd.h"
#include "app/ProfileCommands.h"
#include "devices/NimbrelUSBDevice.h"
#include "devices/SupportedDevices.h"
#include "dui/Combo.h"
#include "dui/FileDialog.h"
#include "dui/Option.h"
#include "dui/testing/UiTestHarness.h"
#include "panels/DeviceProfileUI.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using orvant_test::ScopedEnv;

// A page whose device half answers as told.
class TestDevice : public CNimbrelUSBDevice
{
public:
    ~TestDevice() override { StopDeviceWork(); }
    int WriteProfileToDevice() override
    {
        ++writes;
        return macroResult.load();
    }
    std::atomic<int> writes = 0;
    std::atomic<int> macroResult = 0;
};

// The page: the eight function tabs (the headset's three hidden, as its layout has them) and the profile
// panel from its shipped sub-layout.
constexpr const char* kPage = R"(<NimbrelKeyboardDevice>
  <Option name="deng_Op_tab" group="t"/><Option name="key_Op_tab" group="t"/>
  <Option name="macro_Op_tab" group="t"/><Option name="system_Op_tab" group="t"/>
  <Option name="cursor_Op_tab" group="t"/><Option name="6533_voice_Op_tab" group="t" visible="false"/>
  <Option name="magic_Op_tab" group="t" visible="false"/><Option name="Virtual7.1_Op_tab" group="t" visible="false"/>
  <DeviceProfileUI/>
</NimbrelKeyboardDevice>)";

class PageFactory : public dui::IDialogBuilderCallback
{
public:
    explicit PageFactory(dui::CPaintManagerUI& pm) : pm_(pm) {}
    dui::CControlUI* CreateControl(std::string_view name) override
    {
        if (name == "NimbrelKeyboardDevice")
            return new TestDevice;
        if (name == "DeviceProfileUI")
            return dui::CDialogBuilder().Create("XML\\CustomControlXML\\DeviceProfile.xml", {}, nullptr, &pm_);
        return nullptr;
    }

private:
    dui::CPaintManagerUI& pm_;
};

// Answers the file dialogs with a fixed path (empty: cancelled).
class FixedDialog : public dui::IFileDialogProvider
{
public:
    bool RunFileDialog(const dui::TFileDialogRequest& request, std::string& path) override
    {
        requests.push_back(request);
        path = answer;
        return !answer.empty();
    }
    std::string answer;
    std::vector<dui::TFileDialogRequest> requests;
};

class ProfilePanelTest : public orvant_test::ScratchRuntimeTest
{
protected:
    void SetUp() override
    {
        ScratchRuntimeTest::SetUp();
        dui::testing::EnsureApplication();
        RegisterControlClasses();
        savedPath_ = dui::CPaintManagerUI::GetResourcePath();
        dui::CPaintManagerUI::SetResourcePath(std::string(ORVANT_SOURCE_DIR) + "/skin/");
        dui::SetFileDialogProvider(&dialog_);
        Build(kKindKeyboard);
    }
    void TearDown() override
    {
        dui::SetFileDialogProvider(nullptr);
        dui::CPaintManagerUI::SetResourcePath(savedPath_);
    }
    // Builds the page as the pages are set up, for a device of the kind (the keyboard's folder).
    void Build(int kind)
    {
        device_ = static_cast<TestDevice*>(harness_.Load(kPage, &factory_));
        ASSERT_NE(device_, nullptr);
        SupportedDeviceEntry record = SupportedDeviceTable()[0];
        record.kind = kind;
        device_->SetTypeName("keyboard");
        device_->SetDeviceRecord(record);
        device_->InitPage();
        panel_ = CProfileCommands::PanelOf(device_);
        ASSERT_NE(panel_, nullptr);
    }
    dui::CComboUI* Combo() { return static_cast<dui::CComboUI*>(harness_.Find("device_profile_combo")); }
    std::vector<std::string> ComboNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < Combo()->GetCount(); ++i)
            names.push_back(Combo()->GetItemAt(i)->GetText());
        return names;
    }
    std::string Folder() const { return scratch_.Path() + "/data/ORVANT X80 PRO/keyboard/"; }
    void Run(ProfileAction action) { commands_.Run(device_, action); }
    void Settle()
    {
        ASSERT_TRUE(dui::testing::PumpEventsUntil([&] {
            device_->RunUiCompletions();
            return device_->IsDeviceWorkIdle();
        }));
    }

    ScopedEnv exeDir_{"ORVANT_EXE_DIR", std::string(ORVANT_SOURCE_DIR)};
    std::string savedPath_;
    dui::testing::CUiTestHarness harness_{{800, 600}};
    PageFactory factory_{harness_.Manager()};
    FixedDialog dialog_;
    TestDevice* device_ = nullptr;
    CDeviceProfileUI* panel_ = nullptr;
    std::vector<std::string> messages_;
    int answer_ = 1;
    CProfileCommands commands_{nullptr, [this](std::string_view text, bool, int) {
                                   messages_.emplace_back(text);
                                   return answer_;
                               }};
};

TEST_F(ProfilePanelTest, SetUpGivesTheDeviceItsFirstProfile)
{
    EXPECT_EQ(ComboNames(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(panel_->GetEditedName(), "profile1");
    EXPECT_EQ(device_->GetProfileId(), panel_->GetCurrentProfileId());
    EXPECT_TRUE(std::filesystem::exists(Folder() + "ProfileList.ini"));
    EXPECT_TRUE(std::filesystem::exists(Folder() + device_->GetProfileId() + ".Json"));
    auto* lighting = static_cast<dui::COptionUI*>(harness_.Find("deng_Op_tab"));
    EXPECT_TRUE(lighting->IsSelected());
}

TEST_F(ProfilePanelTest, EachKindShowsItsFunctionTabs)
{
    struct Case
    {
        int kind;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {kKindKeyboard, {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}},
        {kKindMouse, {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"}},
        {kKindMousePad, {"deng_Op_tab"}},
        {kKindHeadset, {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Build(c.kind);
        std::vector<std::string> shown;
        for (std::string_view tab : CDeviceProfileUI::kTabNames) {
            if (harness_.Find(tab)->IsVisible())
                shown.emplace_back(tab);
        }
        EXPECT_EQ(shown, c.shown);
    }
    panel_->SelectFunctionTab(3);
    for (int tab = 1; tab <= 8; ++tab) {
        auto* option = static_cast<dui::COptionUI*>(harness_.Find(CDeviceProfileUI::kTabNames[tab - 1]));
        EXPECT_EQ(option->IsSelected(), tab == 3) << tab;
    }
}

TEST_F(ProfilePanelTest, TheComboBoxFollowsEveryOperation)
{
    Run(ProfileAction::Add);
    EXPECT_EQ(ComboNames(), (std::vector<std::string>{"profile1", "profile2"}));
    EXPECT_EQ(Combo()->GetCurSel(), 0) << "the selection waits for the user's choice";
    Run(ProfileAction::Copy);
    EXPECT_EQ(ComboNames(), (std::vector<std::string>{"profile1", "profile2", "profile1 copy"}));

    panel_->SetEditedName("Ночь 夜");
    Run(ProfileAction::Rename);
    EXPECT_EQ(ComboNames()[0], "Ночь 夜");
    EXPECT_EQ(Combo()->GetText(), "Ночь 夜");
    EXPECT_TRUE(messages_.empty());

    // Deleting the second profile selects the first again, as a choice the window then applies.
    panel_->SelectProfile(1, false);
    harness_.ClearNotifications();
    Run(ProfileAction::Delete);
    EXPECT_EQ(ComboNames(), (std::vector<std::string>{"Ночь 夜", "profile1 copy"}));
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_EQ(harness_.Count(dui::DUI_MSGTYPE_ITEMSELECT, "device_profile_combo"), 1);

    Run(ProfileAction::ToggleMenu);
    EXPECT_FALSE(panel_->IsMenuShown());
    Run(ProfileAction::ToggleMenu);
    EXPECT_TRUE(panel_->IsMenuShown());
}

TEST_F(ProfilePanelTest, RenameProblemsAreTold)
{
    Run(ProfileAction::Add);
    struct Case
    {
        const char* name;
        std::vector<std::string> messages;
    };
    for (const Case& c : {Case{"", {}}, Case{"PROFILE2", {"message_text_5"}}, Case{"  ", {"message_text_25"}}}) {
        SCOPED_TRACE(c.name);
        messages_.clear();
        panel_->SetEditedName(c.name);
        Run(ProfileAction::Rename);
        EXPECT_EQ(messages_, c.messages);
        EXPECT_EQ(ComboNames()[0], "profile1");
    }
}

TEST_F(ProfilePanelTest, ImportAndExportGoThroughTheFileDialogs)
{
    const std::string exported = scratch_.Path() + "/Raid night.json";
    dialog_.answer = exported;
    Run(ProfileAction::Export);
    ASSERT_EQ(dialog_.requests.size(), 1u);
    EXPECT_TRUE(dialog_.requests[0].bSave);
    ASSERT_EQ(dialog_.requests[0].filters.size(), 1u);
    EXPECT_EQ(dialog_.requests[0].filters[0].sName, "Profile Files(*.json)");
    ASSERT_TRUE(std::filesystem::exists(exported));

    Run(ProfileAction::Import);
    EXPECT_FALSE(dialog_.requests[1].bSave);
    EXPECT_EQ(ComboNames(), (std::vector<std::string>{"profile1", "Raid night"}));
    EXPECT_TRUE(messages_.empty());

    std::ofstream(scratch_.Path() + "/junk.json") << "not a profile";
    dialog_.answer = scratch_.Path() + "/junk.json";
    Run(ProfileAction::Import);
    EXPECT_EQ(messages_, std::vector<std::string>{"message_text_profile_import"});
    EXPECT_EQ(ComboNames().size(), 2u);

    messages_.clear();
    dialog_.answer = scratch_.Path() + "/no such folder/x.json";
    Run(ProfileAction::Export);
    EXPECT_EQ(messages_, std::vector<std::string>{"message_text_profile_export"});

    messages_.clear();
    dialog_.answer.clear(); // cancelled
    Run(ProfileAction::Import);
    Run(ProfileAction::Export);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ProfilePanelTest, ResetAsksFirstThenAppliesTheProfile)
{
    const std::string file = Folder() + device_->GetProfileId() + ".Json";
    std::ofstream(file) << R"({"profilename":"profile1","Device":[{"Mark":1}]})";
    answer_ = 0;
    Run(ProfileAction::Reset);
    EXPECT_EQ(messages_, std::vector<std::string>{"message_text_22"});
    EXPECT_NE(std::filesystem::file_size(file), 0u);
    Settle();
    EXPECT_EQ(device_->writes, 0) << "cancelled: nothing happens";

    answer_ = 1;
    Run(ProfileAction::Reset);
    Settle();
    EXPECT_EQ(device_->writes, 1);
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("Mark"), std::string::npos);
}

TEST_F(ProfilePanelTest, ApplyingTellsWhenTheMacrosDoNotFit)
{
    Run(ProfileAction::Add);
    struct Case
    {
        int macroResult;
        std::vector<std::string> messages;
    };
    const std::string tooLong = CMsgWnd::ResolveText("message_text_16");
    ASSERT_NE(tooLong.find("%d"), std::string::npos);
    for (const Case& c : {Case{0, {}}, Case{-1, {"message_text_7"}},
                          Case{7, {tooLong.substr(0, tooLong.find("%d")) + "7" + tooLong.substr(tooLong.find("%d") + 2)}}}) {
        SCOPED_TRACE(c.macroResult);
        messages_.clear();
        device_->macroResult = c.macroResult;
        Combo()->SelectItem(1, false, false);
        commands_.ApplyChosen(device_);
        Settle();
        EXPECT_EQ(messages_, c.messages);
        EXPECT_EQ(device_->GetProfileId(), panel_->List().Entries()[1].id);
    }
}

} // namespace
