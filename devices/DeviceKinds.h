#pragma once
// Device kind codes and interface roles, as the supported-device table, the tiles and the device objects
// use them, and the type words that name each kind's data folder and default profile file.

#include <cstdint>
#include <string_view>

enum DeviceKind : int
{
    kKindNone = 0,
    kKindKeyboard = 1, // wired keyboard
    kKindMouse = 2,    // wired mouse
    kKindMousePad = 3,
    kKindHeadsetTile = 4,   // shown as a headset; no table row uses it
    kKindHub = 5,           // no table row uses it
    kKindMouseReceiver = 6, // mouse through its wireless receiver
    kKindHeadset = 7,
    kKindKeyboardReceiver = 9 // keyboard through its wireless receiver
};

enum InterfaceRole : int
{
    kRoleCommand = 0, // the vendor-defined command interface
    kRoleEvent = 255  // the consumer-control interface carrying event reports
};

// Type words: the per-device data folder and the default profile file ("<word>.Json") of each kind.
inline constexpr std::string_view kTypeNameMouse = "mouse";
inline constexpr std::string_view kTypeNameKeyboard = "keyboard";
inline constexpr std::string_view kTypeNameMousePad = "MousePad";
inline constexpr std::string_view kTypeNameHeadset = "HD";

// True for the kinds that reach the computer through a wireless receiver (their link B).
inline constexpr bool IsReceiverKind(int kind)
{
    return kind == kKindKeyboardReceiver || kind == kKindMouseReceiver;
}
