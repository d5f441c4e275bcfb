#pragma once
// Event objects and waits, the stand-in for the platform's event handles: manual-reset events stay
// signalled until reset, auto-reset events release one waiter and reset themselves.

#include <cstdint>
#include <initializer_list>
#include <span>

namespace platform {

// Time-out meaning "wait for ever".
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;
// WaitAny's answer when no event was signalled in time.
inline constexpr int kWaitTimeout = -1;

class Event
{
public:
    enum class Kind
    {
        ManualReset,
        AutoReset
    };

    explicit Event(Kind kind = Kind::ManualReset, bool signalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when signalled; does not consume an auto-reset signal.
    bool IsSet() const;
    Kind GetKind() const { return kind_; }

private:
    friend int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);
    // Called with the hub lock held: takes the signal (resetting an auto-reset event).
    bool TryConsume();

    Kind kind_;
    bool signalled_;
};

// Waits until the event is signalled or the time-out passes; true when signalled.
bool WaitOne(Event& event, uint32_t timeoutMs);

// Waits on several events; the answer is the index of the first signalled event in the given order
// (so a cancel event listed before a completion event wins when both are set), or kWaitTimeout.
int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);
int WaitAny(std::initializer_list<Event*> events, uint32_t timeoutMs);

// Milliseconds from a fixed point, wrapping like a 32-bit tick counter.
uint32_t GetTickCount();
// Sleeps the calling thread for the given milliseconds.
void SleepMs(uint32_t ms);

} // namespace platform
