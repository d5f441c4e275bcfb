#pragma once
// Every window message of the system, in one place: the registered messages (numbers obtained from
// their names, so that every module and every cooperating process agrees on them) and the private
// message numbers that only travel inside this process. Other code cites them by these names.
//
// Registered numbers live in the globals below (0 until registered). The hook, mouse and game names
// are registered at static initialisation of every module that includes this header; start-up
// registers the instance message before the single-instance check and the five GUID-named messages
// once it owns the instance (RegisterWindowMessages). Registering a name again yields the same
// number, so every copy agrees.
//
// Header only, so that programs outside the system (tools/msg) can use the names without the
// application's libraries.

#include "platform/Folders.h"
#include "platform/MessageBus.h"

#include <cstdint>
#include <optional>
#include <string_view>

// Windows message numbers that the system's own messages build on or carry.
inline constexpr uint32_t WM_COPYDATA = 0x004A;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202; // in UM_TRAY_NOTIFY's lParam (514)
inline constexpr uint32_t WM_RBUTTONUP = 0x0205; // in UM_TRAY_NOTIFY's lParam (517)
inline constexpr uint32_t WM_USER = 0x0400;      // first private message number
// The range of registered message numbers.
inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr uint32_t kLastRegisteredMessage = 0xFFFF;

// Private message numbers (plain numbers, not registered); all go to the main window unless said.
inline constexpr uint32_t UM_TRAY_NOTIFY = 1025;           // tray icon; lParam = mouse message
inline constexpr uint32_t UM_HOOK_CONTROL = 1054;          // wParam 1 start key capture, 0 stop
inline constexpr uint32_t UM_MENU_ITEM_CLICK = 1145;       // wParam = menu command record (receiver frees)
inline constexpr uint32_t UM_SHOW_SETTING_PROGRESS = 3072; // shows "setting_progress"
inline constexpr uint32_t UM_LANGUAGE_CHANGED = 3089;      // wParam = language index
inline constexpr uint32_t UM_DEVICE_ARRIVED = 3090;        // sent by discovery; wParam = device index
inline constexpr uint32_t UM_DEVICE_REMOVED = 3091;        // sent by discovery; wParam = device index
inline constexpr uint32_t UM_OPEN_SETTINGS = 3093;         // opens the settings window centred
inline constexpr uint32_t UM_CLEAR_UPDATE_BADGE = 3094;    // clears the fore image of "setbtn"
inline constexpr uint32_t UM_WIRELESS_LINK = 3331;         // wParam = device index; lParam 1 present, 0 lost
inline constexpr uint32_t UM_DEVICE_WORK_DONE = 3340; // posted by a device: answers wait for the UI thread

struct PrivateMessageEntry
{
    std::string_view constant;
    uint32_t number;
};

inline constexpr PrivateMessageEntry kPrivateMessages[] = {
    {"UM_TRAY_NOTIFY", UM_TRAY_NOTIFY},
    {"UM_HOOK_CONTROL", UM_HOOK_CONTROL},
    {"UM_MENU_ITEM_CLICK", UM_MENU_ITEM_CLICK},
    {"UM_SHOW_SETTING_PROGRESS", UM_SHOW_SETTING_PROGRESS},
    {"UM_LANGUAGE_CHANGED", UM_LANGUAGE_CHANGED},
    {"UM_DEVICE_ARRIVED", UM_DEVICE_ARRIVED},
    {"UM_DEVICE_REMOVED", UM_DEVICE_REMOVED},
    {"UM_OPEN_SETTINGS", UM_OPEN_SETTINGS},
    {"UM_CLEAR_UPDATE_BADGE", UM_CLEAR_UPDATE_BADGE},
    {"UM_WIRELESS_LINK", UM_WIRELESS_LINK},
    {"UM_DEVICE_WORK_DONE", UM_DEVICE_WORK_DONE},
};

// When a registered message is registered.
enum class WindowMessageGroup : uint8_t
{
    Instance, // start-up, before the single-instance check
    Guid,     // start-up, first instance only
    Hook,     // static initialisation: the keyboard hook, the global hook library and its mouse events
    Game      // static initialisation: the game integration
};

// Registered message numbers in this process; 0 until registered.
inline uint32_t UWM_INSTANCE_MSG = 0;
inline uint32_t UWM_UPDATE_PROGRESS_MSG = 0;
inline uint32_t UWM_LIGHT_OWNER_MSG = 0;
inline uint32_t UWM_LIGHT_CONTROL_MSG = 0;
inline uint32_t UWM_WORKTOOL_QUERY_MSG = 0;
inline uint32_t UWM_AUDIO_COMMAND_MSG = 0;
inline uint32_t WM_HOOK_KEY_SINGLEKEY_MSG = 0;
inline uint32_t WM_HOOK_KEY_HITKEY_MSG = 0;
inline uint32_t WM_HOOK_KEY_KBMACRO_MSG = 0;
inline uint32_t WM_HOOK_KEY_MSMACRO_MSG = 0;
inline uint32_t WM_HOOK_KEY_KBMACROSINGLE_MSG = 0;
inline uint32_t WM_HOOK_KEY_KBMACROPREVIOUS_MSG = 0;
inline uint32_t WM_HOOK_KEY_KBMACROLATER_MSG = 0;
inline uint32_t WM_HOOK_MOU_SINGLEKEY_MSG = 0;
inline uint32_t WM_HOOK_MOU_HITKEY_MSG = 0;
inline uint32_t WM_HOOK_MOU_KBMACRO_MSG = 0;
inline uint32_t WM_HOOK_MOU_MSMACRO_MSG = 0;
inline uint32_t WM_HOOK_KEY_MSMACROSINGLE_MSG = 0;
inline uint32_t WM_HOOK_KEY_MSMACROPREVIOUS_MSG = 0;
inline uint32_t WM_HOOK_KEY_MSMACROLATER_MSG = 0;
inline uint32_t UWM_MOUSELBUTTONDOWN_USER_MSG = 0;
inline uint32_t UWM_MOUSELBUTTONUP_USER_MSG = 0;
inline uint32_t UWM_MOUSERBUTTONDOWN_USER_MSG = 0;
inline uint32_t UWM_MOUSERBUTTONUP_USER_MSG = 0;
inline uint32_t UWM_MOUSEMOVE_USER_MSG = 0;
inline uint32_t Game_Start = 0;
inline uint32_t Game_End = 0;
inline uint32_t Game_Kill = 0;
inline uint32_t Game_Death = 0;

struct RegisteredMessageEntry
{
    std::string_view constant; // the name code cites
    std::string_view name;     // the name registered, exactly as other processes register it
    WindowMessageGroup group;
    uint32_t* number; // where this process keeps its number
};

// In registration order within each group.
inline constexpr RegisteredMessageEntry kRegisteredMessages[] = {
    {"UWM_INSTANCE_MSG", platform::kProductName, WindowMessageGroup::Instance, &UWM_INSTANCE_MSG},
    {"UWM_UPDATE_PROGRESS_MSG", "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", WindowMessageGroup::Guid,
     &UWM_UPDATE_PROGRESS_MSG},
    {"UWM_LIGHT_OWNER_MSG", "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", WindowMessageGroup::Guid,
     &UWM_LIGHT_OWNER_MSG},
    {"UWM_LIGHT_CONTROL_MSG", "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", WindowMessageGroup::Guid,
     &UWM_LIGHT_CONTROL_MSG},
    {"UWM_WORKTOOL_QUERY_MSG", "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", WindowMessageGroup::Guid,
     &UWM_WORKTOOL_QUERY_MSG},
    // The last group ends in "BE19", not "BF19".
    {"UWM_AUDIO_COMMAND_MSG", "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", WindowMessageGroup::Guid,
     &UWM_AUDIO_COMMAND_MSG},
    {"WM_HOOK_KEY_SINGLEKEY_MSG", "WM_HOOK_KEY_SINGLEKEY_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_SINGLEKEY_MSG},
    {"WM_HOOK_KEY_HITKEY_MSG", "WM_HOOK_KEY_HITKEY_MSG", WindowMessageGroup::Hook, &WM_HOOK_KEY_HITKEY_MSG},
    {"WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_KBMACRO_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_KBMACRO_MSG},
    {"WM_HOOK_KEY_MSMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_MSMACRO_MSG},
    {"WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_KBMACROSINGLE_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_KBMACROSINGLE_MSG},
    {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_KBMACROPREVIOUS_MSG},
    {"WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_KBMACROLATER_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_KBMACROLATER_MSG},
    {"WM_HOOK_MOU_SINGLEKEY_MSG", "WM_HOOK_MOU_SINGLEKEY_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_MOU_SINGLEKEY_MSG},
    {"WM_HOOK_MOU_HITKEY_MSG", "WM_HOOK_MOU_HITKEY_MSG", WindowMessageGroup::Hook, &WM_HOOK_MOU_HITKEY_MSG},
    {"WM_HOOK_MOU_KBMACRO_MSG", "WM_HOOK_MOU_KBMACRO_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_MOU_KBMACRO_MSG},
    {"WM_HOOK_MOU_MSMACRO_MSG", "WM_HOOK_MOU_MSMACRO_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_MOU_MSMACRO_MSG},
    {"WM_HOOK_KEY_MSMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_MSMACROSINGLE_MSG},
    {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_MSMACROPREVIOUS_MSG},
    {"WM_HOOK_KEY_MSMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG", WindowMessageGroup::Hook,
     &WM_HOOK_KEY_MSMACROLATER_MSG},
    {"UWM_MOUSELBUTTONDOWN_USER_MSG", "UWM_MOUSELBUTTONDOWN_USER_MSG", WindowMessageGroup::Hook,
     &UWM_MOUSELBUTTONDOWN_USER_MSG},
    {"UWM_MOUSELBUTTONUP_USER_MSG", "UWM_MOUSELBUTTONUP_USER_MSG", WindowMessageGroup::Hook,
     &UWM_MOUSELBUTTONUP_USER_MSG},
    {"UWM_MOUSERBUTTONDOWN_USER_MSG", "UWM_MOUSERBUTTONDOWN_USER_MSG", WindowMessageGroup::Hook,
     &UWM_MOUSERBUTTONDOWN_USER_MSG},
    {"UWM_MOUSERBUTTONUP_USER_MSG", "UWM_MOUSERBUTTONUP_USER_MSG", WindowMessageGroup::Hook,
     &UWM_MOUSERBUTTONUP_USER_MSG},
    {"UWM_MOUSEMOVE_USER_MSG", "UWM_MOUSEMOVE_USER_MSG", WindowMessageGroup::Hook, &UWM_MOUSEMOVE_USER_MSG},
    {"Game_Start", "Game_Start", WindowMessageGroup::Game, &Game_Start},
    {"Game_End", "Game_End", WindowMessageGroup::Game, &Game_End},
    {"Game_Kill", "Game_Kill", WindowMessageGroup::Game, &Game_Kill},
    {"Game_Death", "Game_Death", WindowMessageGroup::Game, &Game_Death},
};

// Registers every message of the group and stores its number; false when a number could not be had
// or lies outside the registered range.
inline bool RegisterWindowMessages(WindowMessageGroup group)
{
    bool ok = true;
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        if (entry.group == group) {
            *entry.number = platform::RegisterWindowMessage(entry.name);
            ok = ok && *entry.number >= kFirstRegisteredMessage && *entry.number <= kLastRegisteredMessage;
        }
    }
    return ok;
}

inline bool RegisterAllWindowMessages()
{
    bool ok = true;
    for (WindowMessageGroup group : {WindowMessageGroup::Instance, WindowMessageGroup::Guid,
                                     WindowMessageGroup::Hook, WindowMessageGroup::Game}) {
        ok = RegisterWindowMessages(group) && ok;
    }
    return ok;
}

// The registered name for a constant's name ("UWM_INSTANCE_MSG" -> "ORVANT X80 PRO"), and back.
inline std::optional<std::string_view> RegisteredNameOf(std::string_view constant)
{
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        if (entry.constant == constant) {
            return entry.name;
        }
    }
    return std::nullopt;
}

inline std::optional<std::string_view> ConstantNameOf(std::string_view registeredName)
{
    for (const RegisteredMessageEntry& entry : kRegisteredMessages) {
        if (entry.name == registeredName) {
            return entry.constant;
        }
    }
    return std::nullopt;
}

// The hook, mouse and game messages are known from static initialisation on.
inline const bool kStaticWindowMessagesRegistered =
    RegisterWindowMessages(WindowMessageGroup::Hook) && RegisterWindowMessages(WindowMessageGroup::Game);
