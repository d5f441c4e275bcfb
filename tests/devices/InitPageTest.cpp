// The device page: binding key and LED buttons by name, the function tab switches, and notifications
// reaching only the page that holds their sender.

#include "PageDoubles.h"

#include "devices/DeviceKinds.h"
#include "dui/Label.h"
#include "dui/TabLayout.h"
#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

namespace devices_test {
namespace {

// A keyboard-sized page: 170 keys, 4 LEDs.
class KeyboardPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        device_.SetPageLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
        device_.SetKeyCount(170);
        device_.SetLedCount(4);
    }
    RecordingDevice device_;
};

TEST_F(KeyboardPage, BindsButtonsOfTheFirstDirectKeyPanelByName)
{
    AddTo<dui::CLabelUI>(device_);
    auto* panel = AddTo<KeyPanel>(device_);
    auto* second = AddTo<KeyPanel>(device_);
    auto* key0 = AddTo<KeyButton>(*panel, "key_0");
    auto* key169 = AddTo<KeyButton>(*panel, "key_169");
    auto* upper = AddTo<KeyButton>(*panel, "KEY_5");
    auto* tooHigh = AddTo<KeyButton>(*panel, "key_200");
    auto* noNumber = AddTo<KeyButton>(*panel, "key_");
    auto* led3 = AddTo<KeyButton>(*panel, "light_3");
    auto* ledHigh = AddTo<KeyButton>(*panel, "light_4");
    auto* other = AddTo<KeyButton>(*panel, "macro_7");
    auto* plain = AddTo<dui::CButtonUI>(*panel);
    plain->SetName("key_1");
    AddTo<KeyButton>(*second, "key_2");

    device_.InitPage();

    EXPECT_EQ(device_.GetKeyPanel(), panel);
    EXPECT_EQ(device_.GetKeyButton(0), key0);
    EXPECT_EQ(device_.GetKeyButton(169), key169);
    EXPECT_EQ(device_.GetKeyButton(5), upper);
    EXPECT_EQ(device_.GetKeyButton(1), nullptr) << "not a DeviceKeyButton";
    EXPECT_EQ(device_.GetKeyButton(2), nullptr) << "in the second key panel";
    EXPECT_EQ(device_.GetKeyButton(200), nullptr);
    EXPECT_EQ(device_.GetLedButton(3), led3);
    EXPECT_EQ(device_.GetLedButton(4), nullptr);
    // LED buttons are lit white; key buttons and ignored buttons keep their display.
    EXPECT_TRUE(led3->on);
    EXPECT_EQ(led3->colour, 0xFFFFFFu);
    EXPECT_EQ(led3->brightness, 255);
    for (KeyButton* b : {key0, tooHigh, noNumber, ledHigh, other}) {
        EXPECT_FALSE(b->on) << b->GetName();
        EXPECT_EQ(b->colour, 255u) << b->GetName();
    }
}

TEST_F(KeyboardPage, OutOfRangeButtonsAreIgnored)
{
    device_.SetLedCount(0);
    auto* panel = AddTo<KeyPanel>(device_);
    auto* led5 = AddTo<KeyButton>(*panel, "light_5");
    AddTo<KeyButton>(*panel, "key_170");
    device_.InitPage();
    EXPECT_EQ(device_.GetLedButton(5), nullptr);
    EXPECT_FALSE(led5->on);
    for (int k = 0; k < 170; ++k)
        ASSERT_EQ(device_.GetKeyButton(k), nullptr) << k;
}

TEST_F(KeyboardPage, KeyPanelMustBeADirectChild)
{
    auto* box = AddTo<dui::CVerticalLayoutUI>(device_);
    auto* nested = AddTo<KeyPanel>(*box);
    AddTo<KeyButton>(*nested, "key_3");
    device_.InitPage();
    EXPECT_EQ(device_.GetKeyPanel(), nullptr);
    EXPECT_EQ(device_.GetKeyButton(3), nullptr);
    EXPECT_EQ(device_.GetKeyCount(), 170) << "a page without key panel keeps its counts";
}

TEST_F(KeyboardPage, EmptyLayoutPathMeansNoButtons)
{
    device_.SetPageLayoutPath("");
    auto* panel = AddTo<KeyPanel>(device_);
    AddTo<KeyButton>(*panel, "key_3");
    device_.InitPage();
    EXPECT_EQ(device_.GetKeyCount(), 0);
    EXPECT_EQ(device_.GetLedCount(), 0);
    EXPECT_EQ(device_.GetKeyButton(3), nullptr);
    EXPECT_EQ(device_.GetKeyPanel(), nullptr);
}

TEST_F(KeyboardPage, BindingAgainForgetsRemovedButtons)
{
    auto* panel = AddTo<KeyPanel>(device_);
    auto* key = AddTo<KeyButton>(*panel, "key_7");
    device_.InitPage();
    ASSERT_EQ(device_.GetKeyButton(7), key);
    panel->Remove(key);
    device_.InitPage();
    EXPECT_EQ(device_.GetKeyButton(7), nullptr);
}

// SetFunctionTab -------------------------------------------------------------------------------------

dui::CTabLayoutUI* AddSwitch(dui::CContainerUI& parent, const char* name, int pages, int selected)
{
    auto* tab = AddTo<dui::CTabLayoutUI>(parent);
    tab->SetName(name);
    for (int i = 0; i < pages; ++i)
        AddTo<dui::CControlUI>(*tab);
    tab->SelectItem(selected);
    return tab;
}

struct TabCase
{
    int tab;
    int kind;
    int functionPage;
    int keyFunctionPage; // 4: left unchanged (its page before the call)
};

class FunctionTab : public ::testing::TestWithParam<TabCase>
{
};

TEST_P(FunctionTab, SelectsTheSwitchPages)
{
    const TabCase c = GetParam();
    CNimbrelUSBDevice device;
    SupportedDeviceEntry record;
    record.kind = static_cast<uint16_t>(c.kind);
    device.SetDeviceRecord(record);
    auto* box = AddTo<dui::CVerticalLayoutUI>(device);
    auto* functions = AddSwitch(*box, "device_function_switch", 5, 4);
    auto* keyFunctions = AddSwitch(device, "device_key_function_switch", 5, 4);
    device.SetFunctionTab(c.tab);
    EXPECT_EQ(device.GetFunctionTab(), c.tab);
    EXPECT_EQ(functions->GetCurSel(), c.functionPage);
    EXPECT_EQ(keyFunctions->GetCurSel(), c.keyFunctionPage);
}

INSTANTIATE_TEST_SUITE_P(Table, FunctionTab,
                         ::testing::Values(TabCase{2, kKindKeyboard, 0, 1}, TabCase{6, kKindMouse, 0, 1},
                                           TabCase{3, kKindKeyboard, 1, 4}, TabCase{8, kKindMousePad, 1, 4},
                                           TabCase{4, kKindKeyboard, 3, 4}, TabCase{4, kKindMouse, 3, 4},
                                           TabCase{4, kKindKeyboardReceiver, 0, 2},
                                           TabCase{4, kKindMouseReceiver, 0, 2},
                                           TabCase{4, kKindHeadset, 0, 2}, TabCase{7, kKindKeyboard, 0, 2},
                                           TabCase{5, kKindMouse, 2, 4}, TabCase{1, kKindKeyboard, 0, 0},
                                           TabCase{0, kKindKeyboard, 0, 0}, TabCase{9, kKindMouse, 0, 0}));

TEST(FunctionTabMissingSwitch, StoresTheTabAndChangesNothing)
{
    CNimbrelUSBDevice device;
    auto* functions = AddSwitch(device, "device_function_switch", 3, 2);
    device.SetFunctionTab(2);
    EXPECT_EQ(device.GetFunctionTab(), 2);
    EXPECT_EQ(functions->GetCurSel(), 2);
    // A switch added later is found on the next call.
    auto* keyFunctions = AddSwitch(device, "device_key_function_switch", 3, 2);
    device.SetFunctionTab(2);
    EXPECT_EQ(functions->GetCurSel(), 0);
    EXPECT_EQ(keyFunctions->GetCurSel(), 1);
}

// Notifications --------------------------------------------------------------------------------------

TEST(PageNotifications, OnlyControlsOfTheOwnPageReachTheMap)
{
    RecordingDevice mine;
    RecordingDevice other;
    auto* ownButton = AddTo<dui::CButtonUI>(mine);
    ownButton->SetName("light_btn_apply");
    auto* otherButton = AddTo<dui::CButtonUI>(other);
    otherButton->SetName("light_btn_apply");
    dui::CButtonUI stray;
    stray.SetName("stray");

    platform::DebugCapture debug;
    dui::TNotifyUI msg;
    msg.sType = "click";
    msg.pSender = otherButton;
    mine.Notify(msg);
    msg.pSender = &stray;
    mine.Notify(msg);
    msg.pSender = nullptr;
    mine.Notify(msg);
    EXPECT_TRUE(mine.handled.empty());
    EXPECT_FALSE(debug.Contains("测试成功"));

    msg.pSender = ownButton;
    mine.Notify(msg);
    ASSERT_EQ(mine.handled.size(), 1u);
    EXPECT_EQ(mine.handled[0], "click:light_btn_apply");
    EXPECT_TRUE(debug.Contains("测试成功   、n"));
}

TEST(PageNotifications, SecondControlWithTheSameNameIsNotTheSender)
{
    // The lookup by name finds the first control of that name; a later namesake is not routed.
    RecordingDevice page;
    auto* first = AddTo<dui::CButtonUI>(page);
    first->SetName("twin");
    auto* second = AddTo<dui::CButtonUI>(page);
    second->SetName("twin");
    dui::TNotifyUI msg;
    msg.sType = "click";
    msg.pSender = second;
    page.Notify(msg);
    EXPECT_TRUE(page.handled.empty());
    msg.pSender = first;
    page.Notify(msg);
    EXPECT_EQ(page.handled.size(), 1u);
}

} // namespace
} // namespace devices_test
