#include "platform/WorkerThread.h"

#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using platform::Event;
using platform::StopResult;
using platform::StopResultLine;
using platform::WorkerThread;

// The usual body: wait on the stop event.
void UntilStopped(Event& stop)
{
    platform::WaitOne(stop, platform::kInfinite);
}

// Counts its runs, then waits for the stop event.
WorkerThread::Body CountingBody(std::atomic<int>& runs)
{
    return [&runs](Event& stop) {
        ++runs;
        UntilStopped(stop);
    };
}

TEST(WorkerThread, StopLinesAreTheSystemsTexts)
{
    EXPECT_EQ(StopResultLine(StopResult::Ended), "线程退出：：对象处于激发状态\n");
    EXPECT_EQ(StopResultLine(StopResult::Abandoned),
              "线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n");
    EXPECT_EQ(StopResultLine(StopResult::TimedOut), "线程退出：：对象处于非激发状态，超时\n");
    EXPECT_EQ(StopResultLine(StopResult::Error), "线程退出：：错误\n");
}

TEST(WorkerThread, WorkerThatEndsOnStopIsEndedWithOneLine)
{
    platform::DebugCapture capture;
    WorkerThread worker;
    ASSERT_TRUE(worker.Start(UntilStopped));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(worker.Stop(1000), StopResult::Ended);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(capture.Pieces(), std::vector<std::string>{"线程退出：：对象处于激发状态\n"});
}

// A body that keeps working after the stop event: Stop reports the time-out but still joins, so the
// body has finished by the time Stop returns.
TEST(WorkerThread, OverrunIsTimedOutAndStillJoined)
{
    platform::DebugCapture capture;
    std::atomic<bool> finished{false};
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([&](Event& stop) {
        platform::WaitOne(stop, platform::kInfinite);
        platform::SleepMs(150);
        finished = true;
    }));
    EXPECT_EQ(worker.Stop(20), StopResult::TimedOut);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(worker.HasEnded());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(capture.Pieces(), std::vector<std::string>{"线程退出：：对象处于非激发状态，超时\n"});
}

TEST(WorkerThread, BodyThatAlreadyReturnedIsEnded)
{
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([](Event&) {}));
    while (!worker.HasEnded()) {
        platform::SleepMs(1);
    }
    EXPECT_EQ(worker.Stop(0), StopResult::Ended);
}

TEST(WorkerThread, NothingToStopIsError)
{
    platform::DebugCapture capture;
    WorkerThread never;
    EXPECT_EQ(never.Stop(100), StopResult::Error);

    WorkerThread twice;
    ASSERT_TRUE(twice.Start(UntilStopped));
    EXPECT_EQ(twice.Stop(1000), StopResult::Ended);
    EXPECT_EQ(twice.Stop(1000), StopResult::Error);
    EXPECT_EQ(capture.Pieces(),
              (std::vector<std::string>{"线程退出：：错误\n", "线程退出：：对象处于激发状态\n",
                                        "线程退出：：错误\n"}));
}

// A stop signalled before the new thread gets to run is not lost (Start resets the event, not the
// body), and a stopped worker can be started again.
TEST(WorkerThread, ImmediateStopAndRestart)
{
    WorkerThread worker;
    std::atomic<int> runs{0};
    const WorkerThread::Body body = CountingBody(runs);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(worker.Start(body));
        ASSERT_EQ(worker.Stop(2000), StopResult::Ended);
    }
    EXPECT_EQ(runs, 20);
}

TEST(WorkerThread, SecondStartWhileRunningIsRefused)
{
    WorkerThread worker;
    std::atomic<int> runs{0};
    const WorkerThread::Body body = CountingBody(runs);
    ASSERT_TRUE(worker.Start(body));
    EXPECT_FALSE(worker.Start(body));
    EXPECT_EQ(worker.Stop(1000), StopResult::Ended);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(worker.Start(nullptr));
}

TEST(WorkerThread, DestroyWithoutStopStopsAndJoins)
{
    platform::DebugCapture capture;
    std::atomic<bool> finished{false};
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.Start([&](Event& stop) {
            UntilStopped(stop);
            finished = true;
        }));
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(capture.Pieces(), std::vector<std::string>{"线程退出：：对象处于激发状态\n"});
}

TEST(WorkerThread, StopFromTheWorkerItselfIsErrorAndDoesNotDeadlock)
{
    WorkerThread worker;
    std::atomic<int> inner{-1};
    ASSERT_TRUE(worker.Start([&](Event& stop) {
        inner = static_cast<int>(worker.Stop(100));
        EXPECT_TRUE(stop.IsSet());
    }));
    EXPECT_EQ(worker.Stop(2000), StopResult::Ended);
    EXPECT_EQ(inner, static_cast<int>(StopResult::Error));
}

} // namespace
