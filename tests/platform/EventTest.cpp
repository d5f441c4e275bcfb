#include "platform/Event.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using platform::Event;

TEST(Event, AutoResetReleasesOneWaitAndResets)
{
    Event e(Event::Kind::AutoReset, true);
    EXPECT_TRUE(platform::WaitOne(e, 0));
    EXPECT_FALSE(platform::WaitOne(e, 0));
}

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    Event e(Event::Kind::ManualReset, true);
    EXPECT_TRUE(platform::WaitOne(e, 0));
    EXPECT_TRUE(platform::WaitOne(e, 0));
    e.Reset();
    EXPECT_FALSE(platform::WaitOne(e, 10));
}

TEST(Event, WaitAnyPrefersEarlierEventWhenBothSignalled)
{
    Event cancel(Event::Kind::ManualReset, true);
    Event done(Event::Kind::AutoReset, true);
    EXPECT_EQ(platform::WaitAny({&cancel, &done}, 0), 0);
    // The later auto-reset event was not consumed.
    EXPECT_TRUE(done.IsSet());
}

TEST(Event, WaitAnyWakesWhenAnotherThreadSets)
{
    Event a, b;
    std::thread setter([&] {
        platform::SleepMs(20);
        b.Set();
    });
    EXPECT_EQ(platform::WaitAny({&a, &b}, platform::kInfinite), 1);
    setter.join();
}

TEST(Event, WaitAnyTimesOut)
{
    Event a;
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(platform::WaitAny({&a}, 30), platform::kWaitTimeout);
    EXPECT_GE(platform::GetTickCount() - start, 29u);
}

} // namespace
