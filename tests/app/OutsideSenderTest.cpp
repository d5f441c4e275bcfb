// The outside programs' side of the bus, played by orvant-msg in its own process: what it sends by a
// constant's name arrives here as that message's number, and what this window sends reaches it.

#include "app/WindowMessages.h"
#include "platform/Folders.h"
#include "platform/MessageBus.h"
#include "platform/ProcessLauncher.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr uint32_t kPatienceMs = 10000;

class OutsideSender : public orvant_test::ScratchRuntimeTest
{
protected:
    void SetUp() override
    {
        ScratchRuntimeTest::SetUp();
        tool_ = platform::ExecutableFolder() + "orvant-msg";
        if (!std::filesystem::exists(tool_)) {
            GTEST_SKIP() << "orvant-msg is not built beside the tests";
        }
        ASSERT_TRUE(RegisterAllWindowMessages());
    }

    // Runs orvant-msg to its end (within the patience) and answers its exit code.
    int Run(const std::vector<std::string>& args, platform::ChildProcess& process)
    {
        if (!platform::SpawnProgram(tool_, args, process).Ok()) {
            return -1;
        }
        process.Wait(kPatienceMs);
        return process.ExitCode().value_or(-1);
    }

    std::string tool_;
};

TEST_F(OutsideSender, RegisteredMessagesArriveByTheirNumbers)
{
    platform::BusEndpoint main;
    ASSERT_TRUE(main.Open(platform::kProductName));
    struct Case
    {
        const char* name; // as the outside program writes it
        uint32_t number;
        const char* wParam;
        const char* lParam;
        uint64_t wantW;
        int64_t wantL;
    };
    const Case cases[] = {
        {"UWM_INSTANCE_MSG", UWM_INSTANCE_MSG, "0", "1", 0, 1},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", UWM_LIGHT_CONTROL_MSG, "1", "0", 1, 0},
        {"UWM_UPDATE_PROGRESS_MSG", UWM_UPDATE_PROGRESS_MSG, "3", "75", 3, 75},
        {"Game_Death", Game_Death, "2", "0x11", 2, 17},
    };
    for (const Case& c : cases) {
        platform::ChildProcess sender;
        ASSERT_EQ(Run({"send", std::string(platform::kProductName), c.name, c.wParam, c.lParam}, sender), 0)
            << c.name;
        const std::optional<platform::BusMessage> got = main.Receive(kPatienceMs);
        ASSERT_TRUE(got) << c.name;
        EXPECT_EQ(got->message, c.number) << c.name;
        EXPECT_EQ(got->wParam, c.wantW) << c.name;
        EXPECT_EQ(got->lParam, c.wantL) << c.name;
    }
}

TEST_F(OutsideSender, ListenerHearsWhatThisWindowSends)
{
    const std::string output = scratch_.Path() + "heard.txt";
    platform::ChildProcess listener;
    ASSERT_TRUE(platform::SpawnProgram(
                    "/bin/sh",
                    {"-c", "exec \"$0\" listen WorkTool --count 2 --timeout 10000 > \"$1\"", tool_, output},
                    listener)
                    .Ok());
    for (int i = 0; i < 200 && !platform::FindWindow("WorkTool"); ++i) {
        platform::SleepMs(25);
    }
    platform::BusEndpoint main;
    ASSERT_TRUE(main.Open(platform::kProductName));
    EXPECT_EQ(main.Send("WorkTool", *platform::MakeRegisteredMessage(UWM_LIGHT_OWNER_MSG, 1, 0)),
              platform::BusSendResult::Sent);
    EXPECT_EQ(main.Send("WorkTool", platform::MakeCopyData(5, std::string("\x01\x00\xff", 3))),
              platform::BusSendResult::Sent);
    ASSERT_EQ(listener.Wait(kPatienceMs), platform::WaitResult::Ended);
    EXPECT_EQ(listener.ExitCode(), 0);
    std::ifstream in(output);
    const std::string heard((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(heard, "message \"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}\" 1 0 from \"ORVANT X80 PRO\"\n"
                     "copydata 5 3 0100ff from \"ORVANT X80 PRO\"\n");
}

} // namespace
