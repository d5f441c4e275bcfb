#include "platform/Event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

// One lock and condition for every event of the process: waits on several events need a single place
// to sleep, and the program has few events, so the simplicity is worth the shared wake-ups.
struct Hub
{
    std::mutex lock;
    std::condition_variable changed;
};

Hub& TheHub()
{
    static Hub hub;
    return hub;
}

} // namespace

Event::Event(Kind kind, bool signalled) : kind_(kind), signalled_(signalled) {}

void Event::Set()
{
    Hub& hub = TheHub();
    {
        std::lock_guard<std::mutex> guard(hub.lock);
        signalled_ = true;
    }
    hub.changed.notify_all();
}

void Event::Reset()
{
    std::lock_guard<std::mutex> guard(TheHub().lock);
    signalled_ = false;
}

bool Event::IsSet() const
{
    std::lock_guard<std::mutex> guard(TheHub().lock);
    return signalled_;
}

bool Event::TryConsume()
{
    if (!signalled_) {
        return false;
    }
    if (kind_ == Kind::AutoReset) {
        signalled_ = false;
    }
    return true;
}

int WaitAny(std::span<Event* const> events, uint32_t timeoutMs)
{
    Hub& hub = TheHub();
    std::unique_lock<std::mutex> guard(hub.lock);
    auto firstSignalled = [&]() {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i] != nullptr && events[i]->TryConsume()) {
                return static_cast<int>(i);
            }
        }
        return kWaitTimeout;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int index = firstSignalled();
        if (index != kWaitTimeout) {
            return index;
        }
        if (timeoutMs == kInfinite) {
            hub.changed.wait(guard);
        } else if (hub.changed.wait_until(guard, deadline) == std::cv_status::timeout) {
            return firstSignalled();
        }
    }
}

int WaitAny(std::initializer_list<Event*> events, uint32_t timeoutMs)
{
    return WaitAny(std::span<Event* const>(events.begin(), events.size()), timeoutMs);
}

bool WaitOne(Event& event, uint32_t timeoutMs)
{
    Event* one[] = {&event};
    return WaitAny(std::span<Event* const>(one), timeoutMs) == 0;
}

uint32_t GetTickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace platform
