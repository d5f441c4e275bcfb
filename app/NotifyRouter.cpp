#include "app/NotifyRouter.h"

#include "devices/DeviceKinds.h"
#include "devices/IndexedControlName.h"
#include "dui/Control.h"
#include "dui/Progress.h"
#include "platform/DebugOutput.h"

#include <algorithm>
#include <charconv>
#include <string>

std::optional<NotifyName> SplitNotifyName(std::string_view name)
{
    const size_t cut = name.rfind('_');
    if (cut == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(cut + 1);
    int index = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), index);
    if (error != std::errc() || rest.empty() || rest[0] == '-') {
        index = 0; // no digits, or more than an int holds
    }
    (void)end;
    return NotifyName{name.substr(0, cut + 1), index};
}

void NotYetRouted(IRouteTarget&, const RouteCall&) {}

namespace {

// The DPI range the zentor edits accept.
constexpr int kZentorDpiMin = 200;
constexpr int kZentorDpiMax = 6500;
constexpr std::string_view kZentorSlider = "zentor_DPI_slider_";
constexpr std::string_view kZentorEdit = "zentor_DPI_edit_";

// A decimal number from the start of a text; 0 when it has none.
int LeadingDecimal(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    int value = 0;
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        return text.front() == '-' ? kZentorDpiMin : kZentorDpiMax;
    }
    return error == std::errc() ? value : 0;
}

std::string IndexedName(std::string_view prefix, int index)
{
    return std::string(prefix) + std::to_string(index);
}

void WindowInit(IRouteTarget& t, const RouteCall&)
{
    t.OnWindowInit();
}
void RootResized(IRouteTarget& t, const RouteCall&)
{
    t.OnRootResized();
}
void CloseToTray(IRouteTarget& t, const RouteCall&)
{
    t.CloseToTray();
}
void HideWindow(IRouteTarget& t, const RouteCall&)
{
    t.HideMainWindow();
}
void ToggleLight(IRouteTarget& t, const RouteCall&)
{
    t.ToggleLightControl();
}
void SysCommand(IRouteTarget& t, const RouteCall& c)
{
    t.SystemCommand(static_cast<dui::WPARAM>(c.argument));
}
void SelectionChanged(IRouteTarget& t, const RouteCall&)
{
    t.DeviceSelectionChanged();
}
void Neighbour(IRouteTarget& t, const RouteCall& c)
{
    t.SelectNeighbourDevice(c.argument);
}
void ProfileTimer(IRouteTarget& t, const RouteCall&)
{
    t.StartProfileTimer();
}
void Profile(IRouteTarget& t, const RouteCall& c)
{
    t.RunProfileAction(static_cast<ProfileAction>(c.argument));
}
void FunctionTab(IRouteTarget& t, const RouteCall& c)
{
    t.SelectFunctionTab(c.argument);
}
void Hook(IRouteTarget& t, const RouteCall& c)
{
    t.HookControl(c.argument != 0);
}

// While a zentor DPI slider is dragged its value shows in the edit of the same index.
void ZentorDrag(IRouteTarget& t, const RouteCall& c)
{
    auto* slider = c.sender ? static_cast<dui::CProgressUI*>(c.sender->GetInterface("Progress")) : nullptr;
    dui::CControlUI* edit = t.FindControl(IndexedName(kZentorEdit, c.index));
    if (slider && edit) {
        edit->SetText(std::to_string(slider->GetValue()));
    }
}

// A zentor DPI edit that loses the focus: its value, clamped to the DPI range, goes back into the edit
// and into the slider of the same index.
void ZentorEdit(IRouteTarget& t, const RouteCall& c)
{
    if (!c.sender) {
        return;
    }
    const int dpi = std::clamp(LeadingDecimal(c.sender->GetText()), kZentorDpiMin, kZentorDpiMax);
    c.sender->SetText(std::to_string(dpi));
    dui::CControlUI* control = t.FindControl(IndexedName(kZentorSlider, c.index));
    if (auto* slider =
            control ? static_cast<dui::CProgressUI*>(control->GetInterface("Progress")) : nullptr) {
        slider->SetValue(dpi);
    }
}

using M = NameMatch;
using D = DeviceCondition;
constexpr NameCase kCase = NameCase::Sensitive;
constexpr NameCase kNoCase = NameCase::Insensitive;

constexpr RouteRule Exact(std::string_view name, D condition = D::Device,
                          RouteHandler handler = &NotYetRouted, int argument = 0, bool endsHere = false)
{
    return {name, M::Exact, kNoCase, condition, handler, argument, endsHere};
}
constexpr RouteRule Prefix(std::string_view name, D condition = D::Device,
                           RouteHandler handler = &NotYetRouted)
{
    return {name, M::Prefix, kNoCase, condition, handler, 0, false};
}
constexpr RouteRule ExactCase(std::string_view name, RouteHandler handler = &NotYetRouted, int argument = 0)
{
    return {name, M::Exact, kCase, D::Device, handler, argument, false};
}
constexpr RouteRule ProfileButton(std::string_view name, ProfileAction action)
{
    return Exact(name, D::Device, &Profile, static_cast<int>(action));
}

// The caption buttons end here: the library's own caption handling would close the window.
constexpr RouteRule kClickRules[] = {
    Exact("closebtn", D::Always, &CloseToTray, 0, true),
    Exact("nodevice_ok_btn", D::Always, &HideWindow),
    Exact("control_light_status", D::Always, &ToggleLight),
    Exact("minbtn", D::Always, &SysCommand, static_cast<int>(dui::SC_MINIMIZE), true),
    Exact("maxbtn", D::Always, &SysCommand, static_cast<int>(dui::SC_MAXIMIZE), true),
    Exact("restorebtn", D::Always, &SysCommand, static_cast<int>(dui::SC_RESTORE), true),
    Exact("skinbtn", D::Always),
    Exact("setbtn", D::Always),
    Prefix("key_"),
    Prefix("color_option_"),
    Prefix("audiocolor_option_"),
    Prefix("windowdeviceset_", D::Always),
    Prefix("DPI_color_option_"),
    Exact("default_btn"),
    Exact("reset_repeat_btn", D::Keyboard),
    ProfileButton("device_add_btn", ProfileAction::Add),
    ProfileButton("device_sub_btn", ProfileAction::Delete),
    ProfileButton("device_copy_btn", ProfileAction::Copy),
    ProfileButton("device_export_btn", ProfileAction::Export),
    ProfileButton("device_import_btn", ProfileAction::Import),
    ProfileButton("device_reset_btn", ProfileAction::Reset),
    ProfileButton("device_profile_edit_save_btn", ProfileAction::Rename),
    Exact("key_butt_keysave"),
    Exact("key_butt_keydefalut"),
    Exact("key_butt_keycancel"),
    Exact("key_butt_prosave"),
    Exact("macro_btn_starredio"),
    Exact("macro_btn_stopredio"),
    Exact("macro_btn_name_add"),
    Exact("macro_btn_name_sub"),
    Exact("macro_btn_name_edit"),
    Exact("macro_btn_save"),
    Exact("macro_btn_cancel"),
    Exact("macro_btn_export"),
    Exact("macro_btn_import"),
    Exact("macro_btn_up"),
    Exact("macro_btn_down"),
    Exact("macro_btn_uptop"),
    Exact("macro_btn_downbottom"),
    Exact("macro_btn_delete"),
    Exact("macro_btn_deleteall"),
    Exact("shootdate_save_btn"),
    Exact("shootdate_reset_btn"),
    Exact("shootdate_import_btn"),
    Exact("shootdate_export_btn"),
    Exact("bullet_selected_prev"),
    Exact("bullet_selected_next"),
    Exact("custom_bright_color_btn"),
    Exact("custom_off_color_btn"),
    Exact("deng_same_mode"),
    Exact("hs_EQ_btn_save"),
    Exact("hs_EQ_btn_delete"),
    ExactCase("profile_fun_spread_btn", &Profile, static_cast<int>(ProfileAction::ToggleMenu)),
    ExactCase("macro_inset_moveleftkey_btn"),
    ExactCase("macro_inset_moverightkey_btn"),
    ExactCase("macro_inset_moveupkey_btn"),
    ExactCase("macro_inset_movedownkey_btn"),
    Exact("device_select_prev", D::Always, &Neighbour, -1),
    Exact("device_select_next", D::Always, &Neighbour, +1),
    Exact("Close_bkColor_btn"),
    Exact("music_setting_btn", D::Always),
};

constexpr RouteRule kOptionRules[] = {
    Prefix("DPI_enable_check_", D::Mouse),
    Prefix("DPI_select_check_", D::Mouse),
    Prefix("polling_rate_option_"),
    Prefix("repeat_delay_check_", D::Keyboard),
    Prefix("mouse_device_seting_option_", D::Mouse),
    Prefix("shoot_gun_op_"),
    Prefix("bullet_op_"),
    Prefix("magic_option_"),
    Prefix("6533_eq_option_"),
    Prefix("key_ComBox_check_"),
    Exact("pointer_precision_check", D::Mouse),
    Exact("scrolls_page_check", D::Mouse),
    Exact("winlockflag_option", D::Keyboard),
    Exact("wflag_option", D::Keyboard),
    Exact("6flag_option", D::Keyboard),
    Exact("device_select", D::Always, &SelectionChanged),
    Exact("synchro_device_select", D::Always, &SelectionChanged),
    Exact("deng_Op_tab", D::Device, &FunctionTab, 1),
    Exact("key_Op_tab", D::Device, &FunctionTab, 2),
    Exact("macro_Op_tab", D::Device, &FunctionTab, 3),
    Exact("system_Op_tab", D::Device, &FunctionTab, 4),
    Exact("cursor_Op_tab", D::Device, &FunctionTab, 5),
    Exact("6533_voice_Op_tab", D::Device, &FunctionTab, 6),
    Exact("magic_Op_tab", D::Device, &FunctionTab, 7),
    Exact("Virtual7.1_Op_tab", D::Device, &FunctionTab, 8),
    Exact("deng_FXL_check"),
    Exact("deng_FXR_check"),
    Exact("deng_7color_check"),
    Exact("bullet_x_check"),
    Exact("bullet_y_check"),
    Exact("magic_enable_option"),
    Exact("6533_MicIn_option"),
    Exact("6533_MicMoniter_option"),
    Exact("deng_7audiocolor_check"),
    Exact("audio_BkColor_check"),
    Exact("audio_FgColor_check"),
};

constexpr RouteRule kSliderRules[] = {
    Prefix("DPI_slider_", D::Mouse),
    Prefix("6533_eq_hz_slider_"),
    Exact("pointer_speed_slider", D::Mouse),
    Exact("scroll_speed_slider", D::Mouse),
    Exact("double_click_slider", D::Mouse),
    Exact("repeat_rate_slider", D::Keyboard),
    Exact("deng_light_slider"),
    Exact("deng_speed_slider"),
    Exact("6533_MicIn_slider"),
    Exact("6533_MicMoniter_slider"),
    Exact("R_light_slider", D::Device, &NotYetRouted, 6),
    Exact("G_light_slider", D::Device, &NotYetRouted, 7),
    Exact("B_light_slider", D::Device, &NotYetRouted, 8),
};

constexpr RouteRule kSliderDragRules[] = {
    Prefix(kZentorSlider, D::Device, &ZentorDrag),
    Prefix("DPI_slider_", D::Mouse),
};

constexpr RouteRule kComboRules[] = {
    Exact("device_profile_combo", D::Device, &ProfileTimer),
    Exact("light_combo_modeSelect"),
    Exact("light_combo_custommodeSelect"),
    Exact("light_combo_ZZCCmodeSelect"),
    Exact("light_combo_audiomodeSelect"),
    Exact("keyset_function_combo"),
    Exact("keyset_macro_over_combo"),
    Exact("macro_name_list"),
    Exact("custom_eq_name_combo"),
};

// After the combo table: these refresh the key assignment being edited.
constexpr RouteRule kComboRefreshRules[] = {
    Exact("keyset_function_combo"),   Exact("keyset_mousekey_combo"), Exact("keyset_mouseswing_combo"),
    Exact("keyset_mousewheel_combo"), Exact("keyset_mousedpi_combo"), Exact("keyset_media_combo"),
    Exact("keyset_system_combo"),     Exact("keyset_macro_combo"),    Exact("keyset_macro_over_combo"),
    Exact("keyset_gunkey_combo"),     Exact("keyset_combokey_combo"),
};

constexpr RouteRule kEditRules[] = {
    Prefix(kZentorEdit, D::Device, &ZentorEdit),
    Prefix("DPI_edit_", D::Mouse),
    Exact("deng_edit_R"),
    Exact("deng_edit_G"),
    Exact("deng_edit_B"),
    Exact("deng_audioedit_R"),
    Exact("deng_audioedit_G"),
    Exact("deng_audioedit_B"),
    // Stopping key capture must also work once the device has gone.
    Exact("keyset_keyboard_text_edit", D::Always, &Hook, 0),
    Exact("bullet_x_eidt"),
    Exact("bullet_y_eidt"),
    Exact("bullet_delay_eidt"),
    Exact("macro_delay"),
    Exact("keyset_mouseswing_num_edit"),
    Exact("keyset_mouseswing_delay_edit"),
    Exact("keyset_mouseswing_speed_edit"),
    Exact("keyset_mousewheel_num_edit"),
    Exact("keyset_mousewheel_delay_edit"),
    Exact("keyset_mousewheel_speed_edit"),
    Exact("keyset_mousefire_interval_edit"),
    Exact("keyset_mousefire_num_edit"),
    Exact("keyset_macro_cycle_edit"),
};

constexpr RouteRule kColourRules[] = {
    Exact("deng_Color_Pallet"),
    Exact("deng_audioColor_Pallet"),
};

constexpr RouteRule kSelectEndRules[] = {
    Exact("device_key_light"),
    Exact("mouse_device_key_light"),
};

constexpr RouteRule kWindowInitRules[] = {{"", M::Any, kNoCase, D::Always, &WindowInit, 0, false}};
constexpr RouteRule kWindowSizeRules[] = {Exact("root", D::Always, &RootResized)};
constexpr RouteRule kItemActivateRules[] = {Exact("macro_action")};
constexpr RouteRule kSetFocusRules[] = {Exact("keyset_keyboard_text_edit", D::Device, &Hook, 1)};

constexpr RouteRule kMenuRules[] = {
    Exact("about_menu", D::Always),
    Exact("setwnd_menu", D::Always),
    Exact("redio_previous_record_time", D::Device, &NotYetRouted, 1),
    Exact("redio_previous_constant_time", D::Device, &NotYetRouted, 2),
    Exact("redio_previous_ignore_time", D::Device, &NotYetRouted, 3),
    Exact("redio_later_record_time", D::Device, &NotYetRouted, 1),
    Exact("redio_later_constant_time", D::Device, &NotYetRouted, 2),
    Exact("redio_later_ignore_time", D::Device, &NotYetRouted, 3),
    Exact("left_down"),
    Exact("left_up"),
    Exact("left_click"),
    Exact("middle_down"),
    Exact("middle_up"),
    Exact("middle_click"),
    Exact("right_down"),
    Exact("right_up"),
    Exact("right_click"),
    Exact("forward_down"),
    Exact("forward_up"),
    Exact("forward_click"),
    Exact("back_down"),
    Exact("back_up"),
    Exact("back_click"),
    Exact("macro_action_edit"),
};

constexpr NotifyTypeEntry kTypes[] = {
    {"windowinit", kWindowInitRules, {}, true},
    {"windowsize", kWindowSizeRules, {}, true},
    {"colorchanged", kColourRules, {}, true},
    {"click", kClickRules, {}, true},
    {"selectchanged", kOptionRules, {}, true},
    {"valuechanged", kSliderRules, {}, true},
    {"movevaluechanged", kSliderDragRules, {}, true},
    {"itemselect", kComboRules, kComboRefreshRules, true},
    {"killfocus", kEditRules, {}, true},
    {"click_select_end", kSelectEndRules, {}, true},
    {"itemactivate", kItemActivateRules, {}, true},
    {"setfocus", kSetFocusRules, {}, true},
    {"msenter", {}, {}, true},
    {"msleave", {}, {}, true},
    {"itemclick", {}, {}, true},
    {"textchanged", {}, {}, true},
    {"click_wpadd", {}, {}, true},
    {"click_wpselect", {}, {}, true},
    {"click_wpremove", {}, {}, false},
    {"click_wpedit", {}, {}, false},
};

bool NameEquals(std::string_view a, std::string_view b, NameCase nameCase)
{
    return nameCase == NameCase::Sensitive ? a == b : SamePrefix(a, b);
}

} // namespace

std::span<const NotifyTypeEntry> CNotifyRouter::Types()
{
    return kTypes;
}

std::span<const RouteRule> CNotifyRouter::MenuItems()
{
    return kMenuRules;
}

const NotifyTypeEntry* CNotifyRouter::FindType(std::string_view type)
{
    for (const NotifyTypeEntry& entry : kTypes) {
        if (entry.type == type) {
            return &entry;
        }
    }
    return nullptr;
}

const RouteRule* CNotifyRouter::Match(std::span<const RouteRule> rules, std::string_view name, int& index)
{
    const std::optional<NotifyName> split = SplitNotifyName(name);
    for (const RouteRule& rule : rules) {
        index = 0;
        switch (rule.match) {
        case NameMatch::Any:
            return &rule;
        case NameMatch::Exact:
            if (NameEquals(name, rule.name, rule.nameCase)) {
                return &rule;
            }
            break;
        case NameMatch::Prefix:
            if (split && NameEquals(split->prefix, rule.name, rule.nameCase)) {
                index = split->index;
                return &rule;
            }
            break;
        }
    }
    index = 0;
    return nullptr;
}

bool CNotifyRouter::ConditionHolds(DeviceCondition condition, int deviceKind)
{
    switch (condition) {
    case DeviceCondition::Always:
        return true;
    case DeviceCondition::Device:
        return deviceKind != kKindNone;
    case DeviceCondition::Keyboard:
        return deviceKind == kKindKeyboard || deviceKind == kKindKeyboardReceiver;
    case DeviceCondition::Mouse:
        return deviceKind == kKindMouse || deviceKind == kKindMouseReceiver;
    }
    return false;
}

bool CNotifyRouter::RunFirstMatch(std::span<const RouteRule> rules, dui::CControlUI* sender,
                                  std::string_view name, bool& endsHere)
{
    int index = 0;
    const RouteRule* rule = Match(rules, name, index);
    if (!rule) {
        return false;
    }
    if (ConditionHolds(rule->condition, target_.CurrentDeviceKind())) {
        rule->handler(target_, RouteCall{sender, name, index, rule->argument});
    }
    endsHere = endsHere || rule->endsHere;
    return true;
}

bool CNotifyRouter::Route(std::string_view type, dui::CControlUI* sender, std::string_view senderName)
{
    if (type != "timer") {
        platform::DebugPrintf("%.*s %.*s\n", static_cast<int>(type.size()), type.data(),
                              static_cast<int>(senderName.size()), senderName.data());
    }
    const NotifyTypeEntry* entry = FindType(type);
    if (!entry) {
        return true;
    }
    bool endsHere = false;
    RunFirstMatch(entry->rules, sender, senderName, endsHere);
    RunFirstMatch(entry->after, sender, senderName, endsHere);
    return entry->defaultHandling && !endsHere;
}

bool CNotifyRouter::RouteMenuItem(std::string_view itemName)
{
    bool endsHere = false;
    return RunFirstMatch(kMenuRules, nullptr, itemName, endsHere);
}
