#include "platform/WorkerThread.h"

#include "platform/DebugOutput.h"

namespace platform {
namespace {

// Indexed by StopResult.
constexpr std::string_view kStopLines[] = {
    "线程退出：：对象处于激发状态\n",
    "线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n",
    "线程退出：：对象处于非激发状态，超时\n",
    "线程退出：：错误\n",
};

} // namespace

std::string_view StopResultLine(StopResult result)
{
    return kStopLines[static_cast<size_t>(result)];
}

WorkerThread::~WorkerThread()
{
    if (IsRunning()) {
        Stop(kDefaultStopLimitMs);
    }
}

bool WorkerThread::Start(Body body)
{
    if (IsRunning() || !body) {
        return false;
    }
    stop_.Reset();
    ended_.Reset();
    published_.Reset();
    thread_ = std::thread([this, body = std::move(body)] {
        WaitOne(published_, kInfinite);
        body(stop_);
        ended_.Set();
    });
    published_.Set();
    return true;
}

StopResult WorkerThread::Stop(uint32_t limitMs)
{
    StopResult result = StopResult::Error;
    if (IsRunning()) {
        stop_.Set();
        if (thread_.get_id() != std::this_thread::get_id()) {
            result = WaitOne(ended_, limitMs) ? StopResult::Ended : StopResult::TimedOut;
        }
    }
    DebugOutput(StopResultLine(result));
    if (result != StopResult::Error) {
        thread_.join();
    }
    return result;
}

} // namespace platform
