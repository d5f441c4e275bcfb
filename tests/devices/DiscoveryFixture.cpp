#include "DiscoveryFixture.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "link/HidBackend.h"

namespace discovery_test {

void RecordingListener::Add(Report::Kind kind, int slot)
{
    Report r{kind, slot, slots_.Slot(slot)};
    {
        std::lock_guard<std::mutex> guard(lock_);
        reports_.push_back(std::move(r));
    }
    changed_.notify_all();
}

bool RecordingListener::WaitFor(const std::function<bool(const std::vector<Report>&)>& done, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(lock_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(reports_); });
}

bool RecordingListener::WaitForReport(Report::Kind kind, int slot, int timeoutMs)
{
    return WaitFor(
        [&](const std::vector<Report>& reports) {
            return std::any_of(reports.begin(), reports.end(),
                               [&](const Report& r) { return r.kind == kind && r.slot == slot; });
        },
        timeoutMs);
}

std::vector<Report> RecordingListener::Reports() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return reports_;
}

std::vector<int> RecordingListener::Slots(Report::Kind kind) const
{
    std::vector<int> slots;
    for (const Report& r : Reports()) {
        if (r.kind == kind) {
            slots.push_back(r.slot);
        }
    }
    return slots;
}

void RecordingListener::Clear()
{
    std::lock_guard<std::mutex> guard(lock_);
    reports_.clear();
}

void DiscoveryFixture::SetUp()
{
    char pattern[] = "/tmp/discovery-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    sysfs_ = folder_ + "/sysfs";
    std::filesystem::create_directories(sysfs_ + "/class/hidraw");
    std::filesystem::create_directories(folder_ + "/hid");
    hid::SetHidrawRoots({sysfs_, sysfs_});
    setenv("ORVANT_VIRTUAL_HID", (folder_ + "/hid").c_str(), 1);
    sim_ = std::make_unique<devsim::CDeviceSimulator>(folder_ + "/hid");
    ASSERT_TRUE(sim_->Start());
    discovery_ = std::make_unique<CDeviceDiscovery>(slots_, listener_);
}

void DiscoveryFixture::TearDown()
{
    discovery_.reset();
    sim_.reset();
    unsetenv("ORVANT_VIRTUAL_HID");
    hid::ClearHidrawRoots();
    if (!folder_.empty()) {
        std::filesystem::remove_all(folder_);
    }
}

} // namespace discovery_test
