#include "devices/DeviceSlotList.h"

#include <algorithm>

namespace {

// The four values a path carries.
bool SameAddress(const SupportedDeviceEntry& a, const SupportedDeviceEntry& b)
{
    return a.vendorId == b.vendorId && a.productId == b.productId && a.collection == b.collection &&
           a.interfaceNumber == b.interfaceNumber;
}

// The path's values and those the opened interface reports.
bool SameInterface(const SupportedDeviceEntry& a, const SupportedDeviceEntry& b)
{
    return SameAddress(a, b) && a.usagePage == b.usagePage && a.usage == b.usage;
}

// The first row of a table with these vendor, product, kind and role values, or -1.
template <typename Table>
int FindByDevice(const Table& table, int vendorId, int productId, int kind, int role)
{
    for (size_t i = 0; i < table.size(); ++i) {
        const auto& r = table[i];
        if (r.vendorId == vendorId && r.productId == productId && r.kind == kind && r.role == role) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

CDeviceSlotList::CDeviceSlotList() : slots_(SupportedDeviceTable()) {}

SupportedDeviceEntry CDeviceSlotList::Slot(int index) const
{
    if (!IsValidIndex(index)) {
        return {};
    }
    std::lock_guard<std::mutex> guard(lock_);
    return slots_[static_cast<size_t>(index)];
}

uint64_t CDeviceSlotList::ChangeCount() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return changes_;
}

std::vector<std::pair<int, std::string>> CDeviceSlotList::ConnectedSlots() const
{
    std::vector<std::pair<int, std::string>> connected;
    std::lock_guard<std::mutex> guard(lock_);
    for (int i = 0; i < Count(); ++i) {
        const SupportedDeviceEntry& slot = slots_[static_cast<size_t>(i)];
        if (slot.connected != 0) {
            connected.emplace_back(i, slot.path);
        }
    }
    return connected;
}

bool CDeviceSlotList::HoldsPathLocked(const std::string& path) const
{
    return !path.empty() && std::any_of(slots_.begin(), slots_.end(),
                                        [&](const SupportedDeviceEntry& slot) { return slot.path == path; });
}

bool CDeviceSlotList::IsCandidate(const SupportedDeviceEntry& candidate) const
{
    std::lock_guard<std::mutex> guard(lock_);
    return !HoldsPathLocked(candidate.path) &&
           std::any_of(slots_.begin(), slots_.end(), [&](const SupportedDeviceEntry& slot) {
               return SameAddress(slot, candidate) && IsFree(slot);
           });
}

bool CDeviceSlotList::AllSlotsTaken() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return std::none_of(slots_.begin(), slots_.end(), IsFree);
}

bool CDeviceSlotList::ClaimSlot(SupportedDeviceEntry& candidate, int& index)
{
    const auto& table = SupportedDeviceTable();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [&](const SupportedDeviceEntry& r) { return SameInterface(r, candidate); });
    if (row == table.end()) {
        return false;
    }
    candidate.kind = row->kind;
    candidate.role = row->role;
    std::lock_guard<std::mutex> guard(lock_);
    if (HoldsPathLocked(candidate.path)) {
        return false; // one interface holds one slot, even where several rows describe it
    }
    for (size_t i = 0; i < slots_.size(); ++i) {
        SupportedDeviceEntry& slot = slots_[i];
        if (SameInterface(slot, candidate) && IsFree(slot)) {
            slot.connected = 1;
            slot.path = candidate.path;
            ++changes_;
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool CDeviceSlotList::ReleaseSlot(int index)
{
    if (!IsValidIndex(index)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(lock_);
    SupportedDeviceEntry& slot = slots_[static_cast<size_t>(index)];
    slot.connected = 0;
    slot.path.clear();
    ++changes_;
    return true;
}

bool CDeviceSlotList::PartnerAttached(int index) const
{
    if (!IsValidIndex(index)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(lock_);
    const SupportedDeviceEntry& slot = slots_[static_cast<size_t>(index)];
    if (slot.hasPartner == 0 || !IsValidIndex(slot.partnerRow)) {
        return false;
    }
    const SupportedDeviceEntry& partner = slots_[slot.partnerRow];
    return partner.partnerRow == index && partner.connected != 0 && !partner.path.empty();
}

int CDeviceSlotList::FindRow(int vendorId, int productId, int kind, int role)
{
    return FindByDevice(SupportedDeviceTable(), vendorId, productId, kind, role);
}

int CDeviceSlotList::FindDeviceType(int vendorId, int productId, int kind, int role)
{
    return FindByDevice(DeviceTypeTable(), vendorId, productId, kind, role);
}

bool CDeviceSlotList::RecordsMatch(const SupportedDeviceEntry& a, const SupportedDeviceEntry& b)
{
    return SameInterface(a, b) && a.kind == b.kind && a.role == b.role;
}
