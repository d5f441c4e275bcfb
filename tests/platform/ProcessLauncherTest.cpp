#include "platform/ProcessLauncher.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

using platform::ChildProcess;
using platform::LaunchResult;
using platform::LaunchStatus;
using platform::WaitResult;

// Generous bound for "does not hang".
constexpr uint32_t kPatienceMs = 10000;

// Waits until the file has content (a detached program wrote it), within the patience bound.
std::string AwaitFile(const std::string& path)
{
    const uint32_t start = platform::GetTickCount();
    while (platform::GetTickCount() - start < kPatienceMs) {
        const std::string text = orvant_test::ScratchFolder::Slurp(path);
        if (!text.empty() && text.back() == '\n') {
            return text;
        }
        platform::SleepMs(5);
    }
    return {};
}

TEST(ProcessLauncher, ExitCodesOfProgramsThatRunToTheEnd)
{
    struct Case
    {
        std::vector<std::string> args;
        int code;
    };
    const std::vector<Case> cases = {
        {{"-c", "exit 0"}, 0},
        {{"-c", "exit 7"}, 7},
        {{"-c", "kill -9 $$"}, 128 + SIGKILL},
    };
    for (const Case& c : cases) {
        int code = -100;
        EXPECT_EQ(platform::RunProgram("sh", c.args, kPatienceMs, nullptr, code), WaitResult::Ended)
            << c.args[1];
        EXPECT_EQ(code, c.code) << c.args[1];
    }
}

TEST(ProcessLauncher, ProgramsThatCannotStartFailAtOnce)
{
    orvant_test::ScratchFolder scratch;
    const std::string plain = scratch.Write("plain.txt", "not a program");
    struct Case
    {
        std::string program;
        LaunchStatus status;
    };
    const std::vector<Case> cases = {
        {"orvant-no-such-program", LaunchStatus::NotFound},
        {scratch.Path() + "missing", LaunchStatus::NotFound},
        {plain, LaunchStatus::NotExecutable},
        {scratch.Path(), LaunchStatus::NotExecutable},
        {"", LaunchStatus::NotFound},
    };
    for (const Case& c : cases) {
        int code = -100;
        LaunchResult launch;
        EXPECT_EQ(platform::RunProgram(c.program, {}, kPatienceMs, nullptr, code, &launch),
                  WaitResult::NotStarted)
            << c.program;
        EXPECT_EQ(launch.status, c.status) << c.program;
        EXPECT_EQ(code, -100);
        EXPECT_EQ(platform::StartProgram(c.program, {}).status, c.status) << c.program;
    }
}

TEST(ProcessLauncher, ArgumentsArriveUnsplitAndWorkingFolderApplies)
{
    orvant_test::ScratchFolder scratch;
    const std::vector<std::string> args = {
        "-c", "pwd > out; printf '%s\\n' \"$@\" >> out", "sh", "two words", "$HOME", "配置", ""};
    ChildProcess process;
    ASSERT_TRUE(platform::SpawnProgram("/bin/sh", args, process, scratch.Path()).Ok());
    ASSERT_EQ(process.Wait(kPatienceMs), WaitResult::Ended);
    EXPECT_EQ(process.ExitCode(), 0);
    const std::string folder = std::filesystem::canonical(scratch.Path()).string();
    EXPECT_EQ(scratch.Slurp(scratch.Path() + "out"), folder + "\ntwo words\n$HOME\n配置\n\n");

    ChildProcess elsewhere;
    EXPECT_EQ(platform::SpawnProgram("sh", {"-c", "true"}, elsewhere, scratch.Path() + "nope").status,
              LaunchStatus::NotFound);
    EXPECT_FALSE(elsewhere.IsStarted());
}

TEST(ProcessLauncher, OpenFilesAreNotInherited)
{
    const int fd = ::open("/dev/null", O_RDONLY); // deliberately without close-on-exec
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::dup2(fd, 200), 200);
    int code = -1;
    EXPECT_EQ(platform::RunProgram("sh", {"-c", "test -e /proc/self/fd/200"}, kPatienceMs, nullptr, code),
              WaitResult::Ended);
    EXPECT_EQ(code, 1);
    ::close(200);
    ::close(fd);
}

TEST(ProcessLauncher, WaitTimesOutThenTerminateEndsTheProgram)
{
    ChildProcess process;
    ASSERT_TRUE(platform::SpawnProgram("sleep", {"30"}, process).Ok());
    EXPECT_EQ(process.Wait(30), WaitResult::TimedOut);
    EXPECT_TRUE(process.IsRunning());
    EXPECT_FALSE(process.ExitCode());
    EXPECT_TRUE(process.Terminate());
    EXPECT_EQ(process.Wait(kPatienceMs), WaitResult::Ended);
    EXPECT_EQ(process.ExitCode(), 128 + SIGTERM);
    EXPECT_FALSE(process.Terminate());
    EXPECT_EQ(ChildProcess().Wait(0), WaitResult::NotStarted);
}

TEST(ProcessLauncher, CancelEventEndsAnEndlessWait)
{
    ChildProcess process;
    ASSERT_TRUE(platform::SpawnProgram("sleep", {"30"}, process).Ok());
    platform::Event cancel;
    std::thread canceller([&] {
        platform::SleepMs(30);
        cancel.Set();
    });
    EXPECT_EQ(process.Wait(platform::kInfinite, &cancel), WaitResult::Cancelled);
    canceller.join();
    EXPECT_TRUE(process.IsRunning());
    process.Terminate();
    EXPECT_EQ(process.Wait(kPatienceMs), WaitResult::Ended);
}

TEST(ProcessLauncher, StartedProgramRunsOnItsOwn)
{
    orvant_test::ScratchFolder scratch;
    const std::string out = scratch.Path() + "out";
    ASSERT_TRUE(platform::StartProgram("sh", {"-c", "echo ran > \"$0\"", out}).Ok());
    EXPECT_EQ(AwaitFile(out), "ran\n");
}

// The desktop handler is found through PATH; a stand-in records what it was asked to open.
TEST(ProcessLauncher, OpenDocumentUsesTheDesktopHandler)
{
    orvant_test::ScratchFolder scratch;
    const std::string record = scratch.Path() + "opened";
    const std::string handler = scratch.Write("xdg-open", "#!/bin/sh\necho \"$1\" > '" + record + "'\n");
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    const std::string document = scratch.Write("manual.pdf", "pdf");
    {
        const orvant_test::ScopedEnv path("PATH", scratch.Path() + ":/usr/bin:/bin");
        EXPECT_TRUE(platform::OpenDocument("https://example.com/a b?x=1").Ok());
        EXPECT_EQ(AwaitFile(record), "https://example.com/a b?x=1\n");
        std::filesystem::remove(record);
        EXPECT_TRUE(platform::OpenDocument(document).Ok());
        EXPECT_EQ(AwaitFile(record), document + "\n");
        EXPECT_EQ(platform::OpenDocument(scratch.Path() + "missing.pdf").status, LaunchStatus::NotFound);
        EXPECT_EQ(platform::OpenDocument("").status, LaunchStatus::NotFound);
    }
    const orvant_test::ScopedEnv path("PATH", scratch.Path());
    std::filesystem::remove(handler);
    EXPECT_EQ(platform::OpenDocument("https://example.com/").status, LaunchStatus::NotFound);
}

} // namespace
