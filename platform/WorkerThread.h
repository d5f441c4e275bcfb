#pragma once
// A worker thread with its manual-reset stop event: the pattern every long-running worker of the
// system follows. The starter owns the worker; Stop signals the stop event, waits a limited time for
// the body to return, reports how the wait ended on the debug output, and always joins. A thread is
// never killed: every wait inside a body must be one its stop event interrupts (WaitOne / WaitAny with
// StopEvent()), so a body that overruns its limit is late, not lost.
//
// Start, Stop and destruction belong to the owner's thread; the body runs on the worker thread and
// sees only its stop event and what its lambda captured (its parameter record).

#include "platform/Event.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>

namespace platform {

// How a Stop ended, each with its debug line (StopResultLine).
enum class StopResult
{
    Ended,     // the body returned within the limit
    Abandoned, // kept for the table of results; a std::thread cannot be abandoned
    TimedOut,  // the body overran the limit; it was joined afterwards
    Error,     // nothing to stop: never started, already stopped, or called from the worker itself
};

// The debug line written for a result, e.g. "线程退出：：对象处于激发状态\n".
std::string_view StopResultLine(StopResult result);

class WorkerThread
{
public:
    // The body gets the stop event and returns once it is signalled.
    using Body = std::function<void(Event& stopEvent)>;

    // The limit used when a running worker is destroyed without Stop.
    static constexpr uint32_t kDefaultStopLimitMs = 1000;

    WorkerThread() = default;
    // Stops a running worker (kDefaultStopLimitMs).
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Resets the stop event and starts the body on a new thread; false when a worker is already
    // running (it is not disturbed). Bodies must not reset the stop event themselves.
    bool Start(Body body);
    // Signals the stop event, waits at most limitMs for the body to return, writes the result's debug
    // line, then joins the thread (also after a time-out).
    StopResult Stop(uint32_t limitMs);
    // True between Start and Stop.
    bool IsRunning() const { return thread_.joinable(); }
    // True once the body has returned.
    bool HasEnded() const { return ended_.IsSet(); }
    Event& StopEvent() { return stop_; }

private:
    Event stop_{Event::Kind::ManualReset};
    Event ended_{Event::Kind::ManualReset};
    // Set once thread_ holds the new thread, so a body that stops itself sees itself running.
    Event published_{Event::Kind::ManualReset};
    std::thread thread_;
};

} // namespace platform
