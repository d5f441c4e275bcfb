// orvant-hidtool against a scripted device: listing, one command, and the one-line errors.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "LinkFixture.h"

namespace test {
namespace {

struct ToolRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class HidToolTest : public VirtualDeviceTest
{
protected:
    void SetUp() override
    {
        VirtualDeviceTest::SetUp();
        char self[PATH_MAX] = {};
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        tool_ = std::filesystem::path(std::string(self, n > 0 ? n : 0)).parent_path() / "orvant-hidtool";
        if (!std::filesystem::exists(tool_)) {
            GTEST_SKIP() << "orvant-hidtool is not built beside the tests";
        }
        setenv("ORVANT_SYSFS_ROOT", (folder_.Path() + "/no-sysfs").c_str(), 1);
    }

    void TearDown() override
    {
        unsetenv("ORVANT_SYSFS_ROOT");
        VirtualDeviceTest::TearDown();
    }

    ToolRun Run(const std::string& arguments)
    {
        const std::string errFile = folder_.Path() + "/stderr.txt";
        const std::string command = Quote(tool_.string()) + " " + arguments + " 2>" + Quote(errFile);
        ToolRun run;
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            run.out.append(buffer, n);
        }
        const int status = pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errFile);
        run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return run;
    }

    std::filesystem::path tool_;
};

TEST_F(HidToolTest, ListShowsEveryCollectionWithItsLayout)
{
    const ToolRun run = Run("list");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find(FindPath("&col04")), std::string::npos) << run.out;
    EXPECT_NE(
        run.out.find("vendor 320f product 5055 interface 1 collection 4 usage page ff1c usage 0092 input 64 "
                     "output 64 feature 0"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("collection 3 usage page 000c usage 0001 input 3"), std::string::npos);
}

TEST_F(HidToolTest, CommandPrintsResultAndReplyData)
{
    peer_->SetHandler([](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        if (kind != 1) {
            return {};
        }
        Bytes packet = {0x81};
        Bytes reply = ReplyTo(request);
        reply[8] = 0xAB;
        reply[9] = 0xCD;
        packet.insert(packet.end(), reply.begin(), reply.end());
        return {packet};
    });
    const ToolRun run = Run("cmd " + Quote(FindPath("&col04")) + " 05 --offset 25 --length 2");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "result 1\ndata ab cd\n");
    const auto requests = peer_->Received();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back()[1 + 3], 0x05);
    EXPECT_EQ(requests.back()[1 + 5], 25);
}

TEST_F(HidToolTest, CommandThatFailsExitsNonZero)
{
    peer_->SetHandler([](uint8_t kind, const Bytes& request) -> std::vector<Bytes> {
        Bytes packet = {0x81};
        const Bytes reply = ReplyTo(request, 0xFE);
        packet.insert(packet.end(), reply.begin(), reply.end());
        return kind == 1 ? std::vector<Bytes>{packet} : std::vector<Bytes>{};
    });
    const ToolRun run = Run("cmd " + Quote(FindPath("&col04")) + " 06 --data 0102");
    EXPECT_EQ(run.out, "result -103\n");
    EXPECT_NE(run.exitCode, 0);
}

struct ErrorCase
{
    const char* name;
    std::string arguments;
    const char* message;
};

TEST_F(HidToolTest, ErrorsAreOneLineAndANonZeroExit)
{
    std::string missing = FindPath("&col04");
    missing.replace(missing.find("keyboard.hid"), 12, "nothing.hid");
    const ErrorCase cases[] = {
        {"NoSuchDevice", "cmd " + Quote(missing) + " 01", "No such file or directory"},
        {"NotAPath", "cmd /dev/null 01", "not a HID interface path"},
        {"BadCode", "cmd " + Quote(FindPath("&col04")) + " zz", "not a command code"},
        {"BadData", "cmd " + Quote(FindPath("&col04")) + " 06 --data xyz", "not hexadecimal"},
        {"ListenNoDevice", "listen " + Quote(missing), "No such file or directory"},
    };
    for (const ErrorCase& c : cases) {
        const ToolRun run = Run(c.arguments);
        EXPECT_NE(run.exitCode, 0) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.name << ": " << run.err;
    }
}

} // namespace
} // namespace test
