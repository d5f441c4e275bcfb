#pragma once
// CDeviceSlotList: the main window's device slots, one copy of each supported-device row (slot index =
// row index). The discovery thread claims a slot for a present interface and releases it when the
// interface goes; the main window's handlers read slots.
//
// Locking: `lock_` (owner: the slot list) guards every slot. It is held only inside these operations,
// never while anything else is called, and no other lock is taken under it; readers get copies, so a
// slot's path is never read while the discovery thread rewrites it.

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "devices/SupportedDevices.h"

class CDeviceSlotList
{
public:
    // Every slot a copy of its table row: not connected, no path.
    CDeviceSlotList();

    // Reading.
    static constexpr int Count() { return static_cast<int>(kSupportedDeviceCount); }
    static bool IsValidIndex(int index) { return index >= 0 && index < Count(); }
    // A copy of the slot; an empty entry for an index out of range.
    SupportedDeviceEntry Slot(int index) const;
    // Grows with every claim and release: a reader that saw the same count saw the same slots.
    uint64_t ChangeCount() const;
    // Index and path of every connected slot, in index order.
    std::vector<std::pair<int, std::string>> ConnectedSlots() const;

    // Discovery.
    // True when a slot with the candidate's vendor id, product id, collection and interface number is
    // free (neither connected nor holding a path) and no slot holds the candidate's path already (the
    // rows with product id 0 describe the same interface several times).
    bool IsCandidate(const SupportedDeviceEntry& candidate) const;
    // True when every slot is connected or holds a path.
    bool AllSlotsTaken() const;
    // Matches the candidate's vendor, product, collection, interface, usage page and usage against the
    // table's first such row and copies that row's kind and role into it; then takes the first free slot
    // with those six values: marks it connected, stores the candidate's path and gives its index.
    // False (nothing changed but the candidate's kind and role) when either search fails or a slot
    // holds the candidate's path already.
    bool ClaimSlot(SupportedDeviceEntry& candidate, int& index);
    // Frees a slot whose interface is gone: not connected, empty path. False for an index out of range.
    bool ReleaseSlot(int index);

    // Pairs.
    // The slot has a partner whose partner row is this slot, and that partner is connected with a path.
    bool PartnerAttached(int index) const;

    // Table look-ups.
    // The first supported-device row with these values, or -1.
    static int FindRow(int vendorId, int productId, int kind, int role);
    // The device-type row with these values, or -1.
    static int FindDeviceType(int vendorId, int productId, int kind, int role);
    // Same interface: vendor, product, collection, interface number, kind, role, usage page and usage
    // equal (connected flag, partner fields and path ignored).
    static bool RecordsMatch(const SupportedDeviceEntry& a, const SupportedDeviceEntry& b);

private:
    static bool IsFree(const SupportedDeviceEntry& slot) { return slot.connected == 0 && slot.path.empty(); }
    bool HoldsPathLocked(const std::string& path) const;

    mutable std::mutex lock_;
    uint64_t changes_ = 0;
    std::array<SupportedDeviceEntry, kSupportedDeviceCount> slots_;
};
