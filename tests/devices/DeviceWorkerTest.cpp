// The device worker: jobs in order off the posting thread, one waiting copy per key, and a stop that
// interrupts a waiting job and refuses later work.

#include "devices/DeviceWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kBoundMs = 5000;

// A job that holds the worker until released, so the tests control what waits behind it.
struct Gate
{
    platform::Event entered{platform::Event::Kind::ManualReset};
    platform::Event open{platform::Event::Kind::ManualReset};
    CDeviceWorker::Job Job()
    {
        return [this](platform::Event& stop) {
            entered.Set();
            platform::WaitAny({&stop, &open}, platform::kInfinite);
        };
    }
};

TEST(DeviceWorker, RunsJobsInOrderOnItsOwnThread)
{
    CDeviceWorker worker;
    std::mutex lock;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(worker.Post([&, i](platform::Event&) {
            std::lock_guard guard(lock);
            order.push_back(i);
            threads.push_back(std::this_thread::get_id());
        }));
    }
    ASSERT_TRUE(worker.WaitIdle(kBoundMs));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    for (const std::thread::id& id : threads)
        EXPECT_NE(id, std::this_thread::get_id());
}

TEST(DeviceWorker, KeepsOneWaitingJobPerKey)
{
    CDeviceWorker worker;
    Gate gate;
    ASSERT_TRUE(worker.Post(gate.Job(), "frame"));
    ASSERT_TRUE(platform::WaitOne(gate.entered, kBoundMs));
    // The running job no longer counts as waiting: one more of its key queues, then none.
    std::atomic<int> frames = 0;
    std::atomic<int> others = 0;
    EXPECT_TRUE(worker.Post([&](platform::Event&) { ++frames; }, "frame"));
    EXPECT_FALSE(worker.Post([&](platform::Event&) { ++frames; }, "frame"));
    EXPECT_TRUE(worker.Post([&](platform::Event&) { ++others; }, "battery"));
    EXPECT_TRUE(worker.Post([&](platform::Event&) { ++others; }));
    EXPECT_TRUE(worker.Post([&](platform::Event&) { ++others; }));
    EXPECT_FALSE(worker.IsIdle());
    gate.open.Set();
    ASSERT_TRUE(worker.WaitIdle(kBoundMs));
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(others, 3);
    // Once run, the key is free again.
    EXPECT_TRUE(worker.Post([&](platform::Event&) { ++frames; }, "frame"));
    ASSERT_TRUE(worker.WaitIdle(kBoundMs));
    EXPECT_EQ(frames, 2);
}

TEST(DeviceWorker, StopInterruptsTheRunningJobDropsTheRestAndRefusesMore)
{
    CDeviceWorker worker;
    Gate gate;
    std::atomic<int> ran = 0;
    ASSERT_TRUE(worker.Post(gate.Job()));
    ASSERT_TRUE(worker.Post([&](platform::Event&) { ++ran; }));
    ASSERT_TRUE(platform::WaitOne(gate.entered, kBoundMs));
    worker.Stop();
    EXPECT_TRUE(worker.IsIdle());
    EXPECT_EQ(ran, 0);
    EXPECT_FALSE(worker.Post([&](platform::Event&) { ++ran; }));
    EXPECT_EQ(ran, 0);
}

} // namespace
