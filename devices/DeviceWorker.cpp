#include "devices/DeviceWorker.h"

#include <algorithm>
#include <chrono>

CDeviceWorker::~CDeviceWorker()
{
    Stop();
}

bool CDeviceWorker::Post(Job job, std::string_view key)
{
    {
        std::lock_guard guard(lock_);
        if (stopped_ || !job)
            return false;
        if (!key.empty() &&
            std::any_of(queue_.begin(), queue_.end(), [&](const Pending& p) { return p.key == key; }))
            return false;
        queue_.push_back({std::move(job), std::string(key)});
        if (!thread_.IsRunning())
            thread_.Start([this](platform::Event& stop) { Run(stop); });
    }
    wake_.Set();
    return true;
}

void CDeviceWorker::Stop(uint32_t limitMs)
{
    {
        std::lock_guard guard(lock_);
        stopped_ = true;
        queue_.clear();
    }
    if (thread_.IsRunning())
        thread_.Stop(limitMs);
    {
        std::lock_guard guard(lock_);
        running_ = false;
    }
    idle_.notify_all();
}

bool CDeviceWorker::IsIdle() const
{
    std::lock_guard guard(lock_);
    return queue_.empty() && !running_;
}

bool CDeviceWorker::WaitIdle(uint32_t timeoutMs) const
{
    std::unique_lock guard(lock_);
    return idle_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [this] { return queue_.empty() && !running_; });
}

void CDeviceWorker::Run(platform::Event& stop)
{
    platform::Event* events[] = {&stop, &wake_};
    for (;;) {
        Pending next;
        {
            std::lock_guard guard(lock_);
            if (!queue_.empty()) {
                next = std::move(queue_.front());
                queue_.pop_front();
                running_ = true;
            }
        }
        if (!next.job) {
            idle_.notify_all();
            if (platform::WaitAny(events, platform::kInfinite) == 0)
                return;
            continue;
        }
        if (stop.IsSet())
            return;
        next.job(stop);
        {
            std::lock_guard guard(lock_);
            running_ = false;
        }
        idle_.notify_all();
    }
}
