// The orvant-devsim program as scripts start it: standard input at its end must not stop it, the
// control socket takes line commands, SIGTERM removes the sockets, and --uhid without /dev/uhid says
// so and fails. Skipped when the program is not built beside the test.

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ProgramPath()
{
    return (fs::read_symlink("/proc/self/exe").parent_path() / "orvant-devsim").string();
}

// Starts the program with standard input from /dev/null and standard error to a file.
pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for a path to appear (or vanish), up to a generous bound.
bool WaitFor(const std::string& path, bool present)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fs::exists(path) != present) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int WaitExit(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -2;
}

std::string Ask(const std::string& socketPath, const std::string& line)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        char buffer[4096];
        pollfd p{fd, POLLIN, 0};
        while (answer.find('\n') == std::string::npos && poll(&p, 1, 5000) > 0) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            answer.append(buffer, static_cast<size_t>(n));
        }
    }
    close(fd);
    return answer;
}

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(ProgramPath()))
            GTEST_SKIP() << "orvant-devsim is not built";
        char pattern[] = "/tmp/devsim-prog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        if (!folder_.empty())
            fs::remove_all(folder_);
    }
    std::string folder_;
};

TEST_F(ProgramTest, RunsPastEndOfInputTakesCommandsAndCleansUpOnTerm)
{
    const std::string control = folder_ + "/control";
    const pid_t pid = Spawn({ProgramPath(), "--folder", folder_ + "/hid", "--control", control, "--state",
                             folder_ + "/state.json", "keyboard", "mouse"},
                            folder_ + "/err");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor(folder_ + "/hid/keyboard-mi01.hid", true));
    ASSERT_TRUE(WaitFor(control, true));
    // Standard input was at its end from the start; the program still answers.
    EXPECT_EQ(Ask(control, "list\n"), "keyboard=plugged mouse=plugged\n");
    EXPECT_EQ(Ask(control, "unplug mouse\n"), "ok\n");
    EXPECT_TRUE(WaitFor(folder_ + "/hid/mouse-mi01.hid", false));
    EXPECT_EQ(Ask(control, "poke keyboard settings 0 05\n"), "ok\n");
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_FALSE(fs::exists(folder_ + "/hid/keyboard-mi01.hid"));
    EXPECT_FALSE(fs::exists(control));
    EXPECT_TRUE(fs::exists(folder_ + "/state.json"));

    // The saved memory is there at the next start.
    const pid_t again = Spawn({ProgramPath(), "--folder", folder_ + "/hid", "--control", control, "--state",
                               folder_ + "/state.json", "keyboard"},
                              folder_ + "/err");
    ASSERT_GT(again, 0);
    ASSERT_TRUE(WaitFor(control, true));
    EXPECT_EQ(Ask(control, "memory keyboard settings\n").substr(0, 2), "05");
    EXPECT_EQ(Ask(control, "quit\n"), "ok\n");
    EXPECT_EQ(WaitExit(again), 0);
}

TEST_F(ProgramTest, RefusesBadArgumentsAndMissingUhid)
{
    const pid_t bad = Spawn({ProgramPath(), "--folder", folder_, "toaster"}, folder_ + "/err");
    EXPECT_EQ(WaitExit(bad), 2);
    if (fs::exists("/dev/uhid"))
        return;
    const pid_t uhid = Spawn({ProgramPath(), "--uhid", "keyboard"}, folder_ + "/err");
    EXPECT_EQ(WaitExit(uhid), 1);
    std::FILE* f = std::fopen((folder_ + "/err").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    EXPECT_NE(std::strstr(line, "/dev/uhid"), nullptr);
}

} // namespace
