#include "devices/DeviceDiscovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "link/HidBackend.h"
#include "link/HidPath.h"
#include "platform/DebugOutput.h"

namespace {

// The entries of one folder with their identities (inode and change time), sorted by name: a node
// that is replaced under the same name reads differently.
void StampFolder(const std::string& folder, std::string& stamp)
{
    stamp += folder;
    stamp += '\n';
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        stamp += "-\n";
        return;
    }
    std::vector<std::string> entries;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat st
        {
        };
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        entries.push_back(name + ' ' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_ctim.tv_sec) +
                          '.' + std::to_string(st.st_ctim.tv_nsec) + '\n');
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end());
    for (const std::string& e : entries) {
        stamp += e;
    }
}

// What the interface listing depends on: the hidraw class folder and the virtual device folder.
std::string ListingStamp()
{
    std::string stamp;
    StampFolder(hid::GetHidrawRoots().sysfs + "/class/hidraw", stamp);
    const std::string virtualFolder = hid::VirtualFolder();
    if (!virtualFolder.empty()) {
        StampFolder(virtualFolder, stamp);
    }
    return stamp;
}

} // namespace

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
    retryDue_ = true;
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
    // Taken before listing, so that a change during the listing brings another one next cycle.
    std::string stamp = ListingStamp();
    if (ListingStillCurrent(stamp)) {
        ++cyclesSinceListing_;
        return true;
    }
    cyclesSinceListing_ = 0;
    // A failed listing is retried next cycle; the presence checks go on meanwhile, so removals are
    // still reported.
    const bool listed = probe_.Enumerate();
    bool probed = true;
    if (listed) {
        while (const char* path = probe_.NextPath()) {
            probed = Probe(path) && probed;
        }
    }
    lastStamp_ = std::move(stamp);
    lastSlotChanges_ = slots_.ChangeCount();
    retryDue_ = !listed || !probed;
    // Reported after the first pass even when the listing failed, so the window still comes up.
    if (!firstPassReported_) {
        firstPassReported_ = true;
        listener_.OnFirstScanComplete();
    }
    probe_.ReleasePathList();
    return listed;
}

bool CDeviceDiscovery::ListingStillCurrent(const std::string& stamp) const
{
    return firstPassReported_ && !retryDue_ && cyclesSinceListing_ + 1 < kFullListingCycles &&
           slots_.ChangeCount() == lastSlotChanges_ && stamp == lastStamp_;
}

bool CDeviceDiscovery::Probe(const char* path)
{
    SupportedDeviceEntry candidate;
    candidate.vendorId = static_cast<uint16_t>(hid::ParseHexAfter(path, "vid_"));
    candidate.productId = static_cast<uint16_t>(hid::ParseHexAfter(path, "pid_"));
    candidate.interfaceNumber = static_cast<uint16_t>(hid::ParseHexAfter(path, "&mi_"));
    candidate.collection = static_cast<uint16_t>(hid::ParseHexAfter(path, "&col"));
    candidate.path = path;
    if (!slots_.IsCandidate(candidate)) {
        return true;
    }
    if (!probe_.Open(path, true, false, true, false)) {
        return false; // not openable now: tried again next cycle while its slot stays free
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
    return true;
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
