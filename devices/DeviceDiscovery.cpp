#include "devices/DeviceDiscovery.h"

#include "link/HidPath.h"
#include "platform/DebugOutput.h"

CDeviceDiscovery::CDeviceDiscovery(CDeviceSlotList& slots, IDiscoveryListener& listener)
    : slots_(slots), listener_(listener)
{
}

CDeviceDiscovery::~CDeviceDiscovery()
{
    if (worker_.IsRunning()) {
        worker_.Stop(platform::WorkerThread::kDefaultStopLimitMs);
    }
}

bool CDeviceDiscovery::Start()
{
    if (worker_.IsRunning()) {
        return false;
    }
    firstPassReported_ = false;
    return worker_.Start([this](platform::Event& stop) { Run(stop); });
}

platform::StopResult CDeviceDiscovery::Stop(uint32_t limitMs)
{
    return worker_.Stop(limitMs);
}

void CDeviceDiscovery::Run(platform::Event& stop)
{
    for (;;) {
        if (platform::WaitOne(stop, kStopCheckMs)) {
            platform::DebugOutput(kStopLine);
            break;
        }
        Scan();
        CheckPresence();
        if (platform::WaitOne(stop, kCycleMs)) {
            platform::DebugOutput(kStopLine);
            break;
        }
    }
}

bool CDeviceDiscovery::Scan()
{
    if (slots_.AllSlotsTaken()) {
        return true;
    }
    // A failed listing is retried next cycle; the presence checks go on meanwhile, so removals are
    // still reported.
    const bool listed = probe_.Enumerate();
    if (listed) {
        while (const char* path = probe_.NextPath()) {
            Probe(path);
        }
    }
    // Reported after the first pass even when the listing failed, so the window still comes up.
    if (!firstPassReported_) {
        firstPassReported_ = true;
        listener_.OnFirstScanComplete();
    }
    probe_.ReleasePathList();
    return listed;
}

void CDeviceDiscovery::Probe(const char* path)
{
    SupportedDeviceEntry candidate;
    candidate.vendorId = static_cast<uint16_t>(hid::ParseHexAfter(path, "vid_"));
    candidate.productId = static_cast<uint16_t>(hid::ParseHexAfter(path, "pid_"));
    candidate.interfaceNumber = static_cast<uint16_t>(hid::ParseHexAfter(path, "&mi_"));
    candidate.collection = static_cast<uint16_t>(hid::ParseHexAfter(path, "&col"));
    candidate.path = path;
    if (!slots_.IsCandidate(candidate) || !probe_.Open(path, true, false, true, false)) {
        return; // not wanted, or not openable now: tried again next cycle while its slot stays free
    }
    candidate.vendorId = probe_.GetVendorId();
    candidate.productId = probe_.GetProductId();
    candidate.usagePage = probe_.GetUsagePage();
    candidate.usage = probe_.GetUsage();
    probe_.Close();
    int index = -1;
    if (slots_.ClaimSlot(candidate, index)) {
        listener_.OnDeviceArrived(index);
    }
}

void CDeviceDiscovery::CheckPresence()
{
    for (const auto& [index, path] : slots_.ConnectedSlots()) {
        if (presence_.Open(path.c_str(), false, false, false, false)) {
            presence_.Close();
            continue;
        }
        slots_.ReleaseSlot(index);
        listener_.OnDeviceRemoved(index);
    }
}
