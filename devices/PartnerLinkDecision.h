#pragma once
// The decisions behind a keyboard's or mouse's wired/wireless pair of slots, apart from the window
// that acts on them: which slot's record names the device a slot belongs to, what an arriving or
// departing command interface does to the device's link, and which path a link switch opens.
//
// A cable arriving while the receiver is attached moves the device to the cable; the cable leaving
// while the receiver stays moves it to the receiver; the receiver coming or going while the cable is
// attached changes nothing.

#include <string>

#include "devices/DeviceSlotList.h"

enum class CommandLinkAction
{
    Attach,            // open the device's command link on this slot
    Detach,            // close the device's command link and hide its tile
    SwitchPartnerLink, // move the device between its cable and its receiver
    Ignore             // the partner holds the device; nothing changes
};

// Action for a command (role 0) slot that has just been claimed.
CommandLinkAction DecideCommandArrival(const CDeviceSlotList& slots, int slot);
// Action for a command slot that has just been released.
CommandLinkAction DecideCommandRemoval(const CDeviceSlotList& slots, int slot);

// The slot whose record names the device a command slot drives: a receiver slot with a partner
// stands for its wired partner's device, every other slot for itself. -1 out of range.
int DeviceKeySlot(const CDeviceSlotList& slots, int slot);
// The slot whose record the device tile of any slot (command or event) carries: an event slot leads
// to the command slot of its vendor, product and kind, and a receiver's command slot to its partner
// when the pair points at each other. -1 when no such slot exists.
int TileKeySlot(const CDeviceSlotList& slots, int slot);

// The path a link switch opens for the wired slot: its own path when the device is on its receiver
// now, else its partner's (the receiver's) path. Empty when the slot has no partner.
std::string PartnerSwitchPath(const CDeviceSlotList& slots, int slot, bool currentlyWireless);

// True when an event slot belongs to the device with this record: vendor, product and kind equal the
// record's, or those of the record's partner slot.
bool EventSlotMatchesDevice(const CDeviceSlotList& slots, int eventSlot, const SupportedDeviceEntry& record);
