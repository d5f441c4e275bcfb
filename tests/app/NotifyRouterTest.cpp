// The notification routing: which control name reaches which operation, with which index, under which
// device condition, and whether the default handling follows.

#include "app/NotifyRouter.h"

#include "devices/DeviceKinds.h"
#include "dui/Edit.h"
#include "dui/Slider.h"
#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

class CRecordingTarget : public IRouteTarget
{
public:
    int kind = kKindNone;
    std::vector<std::string> calls;
    std::map<std::string, dui::CControlUI*> controls;

    int CurrentDeviceKind() const override { return kind; }
    dui::CControlUI* FindControl(std::string_view name) override
    {
        auto it = controls.find(std::string(name));
        return it == controls.end() ? nullptr : it->second;
    }
    void OnWindowInit() override { calls.push_back("init"); }
    void OnRootResized() override { calls.push_back("resized"); }
    void CloseToTray() override { calls.push_back("tray"); }
    void HideMainWindow() override { calls.push_back("hide"); }
    void ToggleLightControl() override { calls.push_back("light"); }
    void SystemCommand(dui::WPARAM command) override { calls.push_back("sys " + std::to_string(command)); }
    void DeviceSelectionChanged() override { calls.push_back("select"); }
    void SelectNeighbourDevice(int direction) override
    {
        calls.push_back("neighbour " + std::to_string(direction));
    }
    void StartProfileTimer() override { calls.push_back("profile"); }
    void RunProfileAction(ProfileAction action) override
    {
        calls.push_back("profile action " + std::to_string(static_cast<int>(action)));
    }
    void SelectFunctionTab(int tab) override { calls.push_back("tab " + std::to_string(tab)); }
    void HookControl(bool start) override { calls.push_back(start ? "hook 1" : "hook 0"); }
};

TEST(NotifyNameTest, SplitsAtTheLastUnderscore)
{
    struct Case
    {
        std::string_view name;
        bool split;
        std::string_view prefix;
        int index;
    } cases[] = {
        {"DPI_slider_10", true, "DPI_slider_", 10},
        {"DPI_slider_", true, "DPI_slider_", 0},
        {"DPI_slider_x", true, "DPI_slider_", 0},
        {"DPI_slider_3a", true, "DPI_slider_", 3},
        {"DPI_slider_99999999999", true, "DPI_slider_", 0},
        {"zentor_DPI_edit_2", true, "zentor_DPI_edit_", 2},
        {"closebtn", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        auto split = SplitNotifyName(c.name);
        ASSERT_EQ(split.has_value(), c.split);
        if (split) {
            EXPECT_EQ(split->prefix, c.prefix);
            EXPECT_EQ(split->index, c.index);
        }
    }
}

TEST(NotifyRouterTest, NamesReachTheirRulesWithIndexAndCaseRule)
{
    struct Case
    {
        std::string_view type;
        std::string_view name;
        std::string_view rule; // "" when nothing matches
        int index;
    } cases[] = {
        {"valuechanged", "DPI_slider_10", "DPI_slider_", 10},
        {"valuechanged", "DPI_slider_", "DPI_slider_", 0},
        {"valuechanged", "dpi_SLIDER_4", "DPI_slider_", 4},
        {"valuechanged", "DPIslider", "", 0},
        {"movevaluechanged", "zentor_DPI_slider_2", "zentor_DPI_slider_", 2},
        {"movevaluechanged", "DPI_slider_2", "DPI_slider_", 2},
        {"click", "CLOSEBTN", "closebtn", 0},
        {"click", "macro_inset_moveleftkey_btn", "macro_inset_moveleftkey_btn", 0},
        {"click", "Macro_Inset_MoveLeftKey_Btn", "", 0},
        {"click", "PROFILE_fun_spread_btn", "", 0},
        {"click", "key_87", "key_", 87},
        {"click", "key_butt_keysave", "key_butt_keysave", 0},
        {"click", "DPI_color_option_3", "DPI_color_option_", 3},
        {"click", "color_option_3", "color_option_", 3},
        {"click", "unknown_btn", "", 0},
        {"selectchanged", "Device_Select", "device_select", 0},
        {"killfocus", "zentor_DPI_edit_1", "zentor_DPI_edit_", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + std::string(c.name));
        const NotifyTypeEntry* entry = CNotifyRouter::FindType(c.type);
        ASSERT_NE(entry, nullptr);
        int index = -1;
        const RouteRule* rule = CNotifyRouter::Match(entry->rules, c.name, index);
        if (c.rule.empty()) {
            EXPECT_EQ(rule, nullptr);
        } else {
            ASSERT_NE(rule, nullptr);
            EXPECT_EQ(rule->name, c.rule);
            EXPECT_EQ(index, c.index);
        }
    }
}

TEST(NotifyRouterTest, RoutedOperationsRunUnderTheirDeviceCondition)
{
    struct Case
    {
        std::string_view type;
        std::string_view name;
        int kind;
        std::vector<std::string> calls;
        bool defaultHandling;
    } cases[] = {
        {"windowinit", "", kKindNone, {"init"}, true},
        {"windowsize", "root", kKindNone, {"resized"}, true},
        {"windowsize", "panel", kKindNone, {}, true},
        {"click", "closebtn", kKindNone, {"tray"}, false},
        {"click", "ClOsEbTn", kKindMouse, {"tray"}, false},
        {"click", "nodevice_ok_btn", kKindNone, {"hide"}, true},
        {"click", "control_light_status", kKindNone, {"light"}, true},
        {"click", "minbtn", kKindNone, {"sys " + std::to_string(dui::SC_MINIMIZE)}, false},
        {"click", "maxbtn", kKindNone, {"sys " + std::to_string(dui::SC_MAXIMIZE)}, false},
        {"click", "restorebtn", kKindNone, {"sys " + std::to_string(dui::SC_RESTORE)}, false},
        {"click", "device_select_prev", kKindNone, {"neighbour -1"}, true},
        {"click", "device_select_next", kKindKeyboard, {"neighbour 1"}, true},
        {"selectchanged", "device_select", kKindNone, {"select"}, true},
        {"selectchanged", "synchro_device_select", kKindMouse, {"select"}, true},
        {"itemselect", "device_profile_combo", kKindKeyboard, {"profile"}, true},
        {"itemselect", "device_profile_combo", kKindNone, {}, true},
        {"setfocus", "keyset_keyboard_text_edit", kKindKeyboard, {"hook 1"}, true},
        {"setfocus", "keyset_keyboard_text_edit", kKindNone, {}, true},
        {"killfocus", "keyset_keyboard_text_edit", kKindNone, {"hook 0"}, true},
        {"click_wpremove", "anything", kKindKeyboard, {}, false},
        {"click_wpedit", "anything", kKindKeyboard, {}, false},
        {"click_wpadd", "anything", kKindKeyboard, {}, true},
        {"unknowntype", "closebtn", kKindKeyboard, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + std::string(c.name) + " kind " + std::to_string(c.kind));
        CRecordingTarget target;
        target.kind = c.kind;
        CNotifyRouter router(target);
        EXPECT_EQ(router.Route(c.type, nullptr, c.name), c.defaultHandling);
        EXPECT_EQ(target.calls, c.calls);
    }
}

TEST(NotifyRouterTest, KindConditionsFollowTheCurrentDevice)
{
    struct Case
    {
        DeviceCondition condition;
        int kind;
        bool holds;
    } cases[] = {
        {DeviceCondition::Keyboard, kKindMouse, false},
        {DeviceCondition::Keyboard, kKindKeyboard, true},
        {DeviceCondition::Keyboard, kKindKeyboardReceiver, true},
        {DeviceCondition::Mouse, kKindMouseReceiver, true},
        {DeviceCondition::Mouse, kKindKeyboard, false},
        {DeviceCondition::Device, kKindNone, false},
        {DeviceCondition::Device, kKindHeadset, true},
        {DeviceCondition::Always, kKindNone, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CNotifyRouter::ConditionHolds(c.condition, c.kind), c.holds)
            << static_cast<int>(c.condition) << " kind " << c.kind;
    }
    // The keyboard-only slider is keyboard-conditioned, the DPI slider mouse-conditioned.
    int index = 0;
    const NotifyTypeEntry* sliders = CNotifyRouter::FindType("valuechanged");
    EXPECT_EQ(CNotifyRouter::Match(sliders->rules, "repeat_rate_slider", index)->condition,
              DeviceCondition::Keyboard);
    EXPECT_EQ(CNotifyRouter::Match(sliders->rules, "DPI_slider_1", index)->condition, DeviceCondition::Mouse);
}

TEST(NotifyRouterTest, ComboRefreshListFollowsTheComboTable)
{
    const NotifyTypeEntry* combos = CNotifyRouter::FindType("itemselect");
    int index = 0;
    EXPECT_NE(CNotifyRouter::Match(combos->after, "keyset_media_combo", index), nullptr);
    EXPECT_NE(CNotifyRouter::Match(combos->rules, "keyset_function_combo", index), nullptr);
    EXPECT_NE(CNotifyRouter::Match(combos->after, "keyset_function_combo", index), nullptr);
    EXPECT_EQ(CNotifyRouter::Match(combos->after, "device_profile_combo", index), nullptr);
}

TEST(NotifyRouterTest, EveryNonTimerNotificationWritesItsDebugLine)
{
    CRecordingTarget target;
    CNotifyRouter router(target);
    platform::DebugCapture capture;
    router.Route("msenter", nullptr, "some_button");
    router.Route("timer", nullptr, "ticker");
    EXPECT_TRUE(capture.Contains("msenter some_button"));
    EXPECT_FALSE(capture.Contains("ticker"));
}

// Zentor DPI: a drag writes the slider value into the edit of the same index; leaving the edit clamps
// its value to 200-6500 and moves the slider.
TEST(NotifyRouterTest, ZentorDpiSliderAndEditStayInStep)
{
    auto slider = std::make_unique<dui::CSliderUI>();
    auto edit = std::make_unique<dui::CEditUI>();
    slider->SetName("zentor_DPI_slider_10");
    edit->SetName("zentor_DPI_edit_10");
    slider->SetMinValue(0);
    slider->SetMaxValue(10000);
    CRecordingTarget target;
    target.kind = kKindMouse;
    target.controls = {{"zentor_DPI_slider_10", slider.get()}, {"zentor_DPI_edit_10", edit.get()}};
    CNotifyRouter router(target);

    slider->SetValue(1600);
    router.Route("movevaluechanged", slider.get(), slider->GetName());
    EXPECT_EQ(edit->GetText(), "1600");

    struct Case
    {
        std::string_view text;
        std::string_view shown;
        int value;
    } cases[] = {{"800", "800", 800}, {"99999", "6500", 6500}, {"50", "200", 200},
                 {"abc", "200", 200}, {"-300", "200", 200},    {"99999999999999", "6500", 6500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        edit->SetText(c.text);
        router.Route("killfocus", edit.get(), edit->GetName());
        EXPECT_EQ(edit->GetText(), c.shown);
        EXPECT_EQ(slider->GetValue(), c.value);
    }

    // Without a current device nothing moves.
    target.kind = kKindNone;
    edit->SetText("900");
    router.Route("killfocus", edit.get(), edit->GetName());
    EXPECT_EQ(slider->GetValue(), 6500);
    EXPECT_EQ(edit->GetText(), "900");
}

TEST(NotifyRouterTest, MenuItemsAreMatchedWithoutCase)
{
    CRecordingTarget target;
    CNotifyRouter router(target);
    EXPECT_TRUE(router.RouteMenuItem("ABOUT_menu"));
    EXPECT_TRUE(router.RouteMenuItem("back_click"));
    EXPECT_FALSE(router.RouteMenuItem("exit"));
}

} // namespace
