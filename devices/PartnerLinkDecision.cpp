#include "devices/PartnerLinkDecision.h"

namespace {

bool IsWiredPairKind(int kind)
{
    const DeviceFamilyEntry* family = FindFamily(kind);
    return family != nullptr && family->receiverKind != kKindNone && family->wiredKind == kind;
}

bool SameDevice(const SupportedDeviceEntry& a, const SupportedDeviceEntry& b)
{
    return a.vendorId == b.vendorId && a.productId == b.productId && a.kind == b.kind;
}

CommandLinkAction Decide(const CDeviceSlotList& slots, int slot, CommandLinkAction otherwise)
{
    if (!CDeviceSlotList::IsValidIndex(slot)) {
        return CommandLinkAction::Ignore;
    }
    if (slots.PartnerAttached(slot)) {
        return IsWiredPairKind(slots.Slot(slot).kind) ? CommandLinkAction::SwitchPartnerLink
                                                      : CommandLinkAction::Ignore;
    }
    return otherwise;
}

} // namespace

CommandLinkAction DecideCommandArrival(const CDeviceSlotList& slots, int slot)
{
    return Decide(slots, slot, CommandLinkAction::Attach);
}

CommandLinkAction DecideCommandRemoval(const CDeviceSlotList& slots, int slot)
{
    return Decide(slots, slot, CommandLinkAction::Detach);
}

int DeviceKeySlot(const CDeviceSlotList& slots, int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot)) {
        return -1;
    }
    const SupportedDeviceEntry s = slots.Slot(slot);
    return IsReceiverKind(s.kind) && s.hasPartner != 0 ? s.partnerRow : slot;
}

int TileKeySlot(const CDeviceSlotList& slots, int slot)
{
    if (!CDeviceSlotList::IsValidIndex(slot)) {
        return -1;
    }
    SupportedDeviceEntry key = slots.Slot(slot);
    int keyIndex = slot;
    if (key.role == kRoleEvent) {
        keyIndex = CDeviceSlotList::FindRow(key.vendorId, key.productId, key.kind, kRoleCommand);
        if (keyIndex < 0) {
            return -1;
        }
        key = slots.Slot(keyIndex);
        return IsReceiverKind(key.kind) && key.hasPartner != 0 ? key.partnerRow : keyIndex;
    }
    if (IsReceiverKind(key.kind) && key.hasPartner != 0 &&
        slots.Slot(key.partnerRow).partnerRow == keyIndex) {
        return key.partnerRow;
    }
    return keyIndex;
}

std::string PartnerSwitchPath(const CDeviceSlotList& slots, int slot, bool currentlyWireless)
{
    const SupportedDeviceEntry s = slots.Slot(slot);
    if (!CDeviceSlotList::IsValidIndex(slot) || s.hasPartner == 0) {
        return {};
    }
    return currentlyWireless ? s.path : slots.Slot(s.partnerRow).path;
}

bool EventSlotMatchesDevice(const CDeviceSlotList& slots, int eventSlot, const SupportedDeviceEntry& record)
{
    if (!CDeviceSlotList::IsValidIndex(eventSlot)) {
        return false;
    }
    const SupportedDeviceEntry event = slots.Slot(eventSlot);
    if (SameDevice(event, record)) {
        return true;
    }
    return record.hasPartner != 0 && SameDevice(event, slots.Slot(record.partnerRow));
}
