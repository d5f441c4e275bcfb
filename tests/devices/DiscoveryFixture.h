#pragma once
// Discovery against the simulator: a fresh virtual device folder served by the simulator, an empty
// hidraw tree (so the machine's own devices stay out), a slot list and a listener that records each
// report together with the slot as the listener saw it.

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/DeviceDiscovery.h"
#include "tools/devsim/DeviceSimulator.h"

namespace discovery_test {

struct Report
{
    enum class Kind
    {
        Arrived,
        Removed,
        FirstScan
    } kind;
    int slot = -1;
    SupportedDeviceEntry seen; // the slot when the report came
};

class RecordingListener : public IDiscoveryListener
{
public:
    explicit RecordingListener(CDeviceSlotList& slots) : slots_(slots) {}
    void OnDeviceArrived(int slot) override { Add(Report::Kind::Arrived, slot); }
    void OnDeviceRemoved(int slot) override { Add(Report::Kind::Removed, slot); }
    void OnFirstScanComplete() override { Add(Report::Kind::FirstScan, -1); }

    // Waits (generously) until the recorded reports satisfy the test; true when they did.
    bool WaitFor(const std::function<bool(const std::vector<Report>&)>& done, int timeoutMs = 5000);
    bool WaitForReport(Report::Kind kind, int slot, int timeoutMs = 5000);
    std::vector<Report> Reports() const;
    // Reports of this kind, in order, by slot.
    std::vector<int> Slots(Report::Kind kind) const;
    void Clear();

private:
    void Add(Report::Kind kind, int slot);

    CDeviceSlotList& slots_;
    mutable std::mutex lock_; // owner: the listener; guards reports_
    std::condition_variable changed_;
    std::vector<Report> reports_;
};

class DiscoveryFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder_;
    std::string sysfs_;
    std::unique_ptr<devsim::CDeviceSimulator> sim_;
    CDeviceSlotList slots_;
    RecordingListener listener_{slots_};
    std::unique_ptr<CDeviceDiscovery> discovery_;
};

} // namespace discovery_test
