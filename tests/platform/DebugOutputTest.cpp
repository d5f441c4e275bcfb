#include "platform/DebugOutput.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(DebugOutput, CaptureCollectsPiecesFromEveryThreadInOrder)
{
    platform::DebugCapture capture;
    EXPECT_TRUE(platform::DebugOutputEnabled());
    platform::DebugOutput("first\n");
    std::thread([] { platform::DebugPrintf("%s %d\n", "second", 2); }).join();
    ASSERT_EQ(capture.Pieces().size(), 2u);
    EXPECT_EQ(capture.Text(), "first\nsecond 2\n");
    EXPECT_TRUE(capture.Contains("second 2"));
    capture.Clear();
    EXPECT_TRUE(capture.Pieces().empty());
}

TEST(DebugOutput, NothingIsKeptWithoutACapture)
{
    if (std::getenv("ORVANT_DEBUG") != nullptr) {
        GTEST_SKIP() << "standard error reads the sink";
    }
    EXPECT_FALSE(platform::DebugOutputEnabled());
    platform::DebugOutput("lost\n");
    platform::DebugCapture capture;
    EXPECT_FALSE(capture.Contains("lost"));
}

} // namespace
