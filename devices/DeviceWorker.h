#pragma once
// CDeviceWorker: the thread that talks to one device on the window's behalf. The UI thread hands it
// jobs (queries, writes, lighting frames) and goes on at once; the jobs run one after another, in the
// order given, so a device never sees two of the window's sequences interleaved. A job posted under a
// key is dropped while another job of that key still waits: the periodic work (frame pump, presence
// and battery timers) reads the newest state when it runs, so one waiting copy is enough and a slow
// device never builds a backlog.
//
// Jobs get the worker's stop event: every wait inside a job must be one the stop event (or the link's
// Close) interrupts, so Stop ends within its limit. The thread starts with the first job.
//
// Threads: Post and Stop from any thread but the worker itself. Locks: lock_ (owner: this worker)
// guards the queue and the running flag; no job runs while it is held.

#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class CDeviceWorker
{
public:
    using Job = std::function<void(platform::Event& stop)>;

    CDeviceWorker() = default;
    // Stops the worker (kStopLimitMs).
    ~CDeviceWorker();
    CDeviceWorker(const CDeviceWorker&) = delete;
    CDeviceWorker& operator=(const CDeviceWorker&) = delete;

    static constexpr uint32_t kStopLimitMs = 1000;

    // Queues a job (keyed or not); false when it was dropped: a job of the same key waits already, or
    // the worker has been stopped for good.
    bool Post(Job job, std::string_view key = {});
    // Drops the waiting jobs, signals the stop event, waits for the running job at most limitMs and
    // joins. Later posts are refused.
    void Stop(uint32_t limitMs = kStopLimitMs);
    // True when no job waits or runs.
    bool IsIdle() const;
    // Waits until the worker is idle; false after timeoutMs.
    bool WaitIdle(uint32_t timeoutMs) const;

private:
    struct Pending
    {
        Job job;
        std::string key;
    };

    void Run(platform::Event& stop);

    mutable std::mutex lock_;
    mutable std::condition_variable idle_;
    std::deque<Pending> queue_;
    bool running_ = false;
    bool stopped_ = false;
    platform::Event wake_{platform::Event::Kind::AutoReset};
    platform::WorkerThread thread_;
};
