#pragma once
// CDeviceDiscovery: the discovery thread. About every 100 ms it lists the machine's HID interfaces
// (skipped while every slot is taken), probes those that could fill a free slot, claims a slot for each
// supported one and reports it; then it checks that the interface of every connected slot is still
// there and reports those that are gone.
//
// Listing every interface costs milliseconds on a machine with many of them (each hidraw node is
// several files to read), so a cycle lists them only when something may have changed: the names and
// identities of the entries in the hidraw class folder or the virtual device folder differ from the
// last listing, a slot was claimed or released since, a probe could not open a candidate, or
// kFullListingCycles cycles have passed.
//
// Reports go to an IDiscoveryListener, called on the discovery thread and waited for: the slot is
// claimed before OnDeviceArrived and released before OnDeviceRemoved, and the thread does nothing
// else until the call returns. The main window answers them with UM_DEVICE_ARRIVED and
// UM_DEVICE_REMOVED sent to itself, and OnFirstScanComplete with a posted UWM_INSTANCE_MSG.
//
// The probing CHidDevice and the presence CHidDevice belong to the discovery thread alone.

#include <cstdint>
#include <string>

#include "devices/DeviceSlotList.h"
#include "link/HidDevice.h"
#include "platform/WorkerThread.h"

class IDiscoveryListener
{
public:
    virtual ~IDiscoveryListener() = default;
    // A supported interface appeared and holds this slot.
    virtual void OnDeviceArrived(int slot) = 0;
    // The interface of this slot disappeared; the slot is free again.
    virtual void OnDeviceRemoved(int slot) = 0;
    // The first listing pass is over (called once per start, after the arrivals it found).
    virtual void OnFirstScanComplete() = 0;
};

class CDeviceDiscovery
{
public:
    // Debug line written when the thread is told to stop.
    static constexpr const char* kStopLine = "抓取设备线程设定退出";
    static constexpr uint32_t kStopCheckMs = 1;
    static constexpr uint32_t kCycleMs = 100;
    // A full listing at least this often (about 2 s), whatever the folders look like.
    static constexpr uint32_t kFullListingCycles = 20;

    // The slot list and the listener must outlive the discovery.
    CDeviceDiscovery(CDeviceSlotList& slots, IDiscoveryListener& listener);
    // Stops a running thread.
    ~CDeviceDiscovery();
    CDeviceDiscovery(const CDeviceDiscovery&) = delete;
    CDeviceDiscovery& operator=(const CDeviceDiscovery&) = delete;

    // Thread.
    // Starts the thread; false when it is already running.
    bool Start();
    // Signals the stop event and waits at most limitMs for the thread (every wait of the thread is on
    // its stop event, so it ends within one probe or listener call).
    platform::StopResult Stop(uint32_t limitMs = platform::WorkerThread::kDefaultStopLimitMs);
    bool IsRunning() const { return worker_.IsRunning(); }
    // The stop event: a listener blocked on the window may wait on it too, so that a stopping window
    // never waits for a thread that waits for the window.
    platform::Event& StopEvent() { return worker_.StopEvent(); }

    // One cycle's parts, for the thread and for measuring. Not to be called while the thread runs.
    // Lists the interfaces (unless every slot is taken or nothing changed since the last listing),
    // claims and reports supported ones; reports the first pass once. False when the listing failed
    // (the next cycle tries again).
    bool Scan();
    // Checks every connected slot, in index order, and releases and reports those whose interface is gone.
    void CheckPresence();

private:
    void Run(platform::Event& stop);
    // Probes one listed path and claims a slot for it when it is supported; false when a candidate
    // could not be opened.
    bool Probe(const char* path);
    // True when the last listing still stands: same folder entries, same slots, nothing left to retry.
    bool ListingStillCurrent(const std::string& stamp) const;

    CDeviceSlotList& slots_;
    IDiscoveryListener& listener_;
    CHidDevice probe_;
    CHidDevice presence_;
    bool firstPassReported_ = false;
    // What the last full listing saw; a retry is due after a failed listing or probe.
    std::string lastStamp_;
    uint64_t lastSlotChanges_ = 0;
    bool retryDue_ = true;
    uint32_t cyclesSinceListing_ = 0;
    platform::WorkerThread worker_;
};
