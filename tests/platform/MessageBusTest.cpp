#include "platform/MessageBus.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using platform::BusEndpoint;
using platform::BusMessage;
using platform::BusMessageKind;
using platform::BusSendResult;

constexpr const char* kMain = "ORVANT X80 PRO";
constexpr const char* kRecorder = "ORVANT X80 PROAUDIORECORD";
// Generous bound for "arrives", short one for "does not arrive".
constexpr uint32_t kPatienceMs = 5000;
constexpr uint32_t kBriefMs = 50;

TEST(WindowMessages, RegisteredNumbersAreStablePerName)
{
    const uint32_t instance = platform::RegisterWindowMessage("ORVANT X80 PRO");
    EXPECT_GE(instance, 0xC000u);
    EXPECT_LE(instance, 0xFFFFu);
    EXPECT_EQ(platform::RegisterWindowMessage("ORVANT X80 PRO"), instance);
    EXPECT_EQ(platform::RegisterWindowMessage("orvant x80 pro"), instance);
    EXPECT_EQ(platform::RegisteredMessageName(instance), "ORVANT X80 PRO");
    EXPECT_EQ(platform::RegisterWindowMessage(""), 0u);
    EXPECT_FALSE(platform::RegisteredMessageName(0x1234));

    // Many names: each keeps a number of its own (names whose first choice is taken move on).
    std::set<uint32_t> numbers;
    for (int i = 0; i < 300; ++i) {
        const std::string name = "{4695579F-999A-41d4-9FAF-" + std::to_string(i) + "}";
        const uint32_t number = platform::RegisterWindowMessage(name);
        ASSERT_GE(number, 0xC000u);
        ASSERT_LE(number, 0xFFFFu);
        EXPECT_EQ(platform::RegisterWindowMessage(name), number);
        EXPECT_EQ(platform::RegisteredMessageName(number), name);
        numbers.insert(number);
    }
    EXPECT_EQ(numbers.size(), 300u);
}

class Bus : public orvant_test::ScratchRuntimeTest
{
protected:
    // Sends raw bytes to an endpoint's socket file.
    static bool SendRaw(const std::string& title, const std::string& bytes)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = platform::BusFolder() + title;
        std::memcpy(address.sun_path, path.data(), path.size());
        const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        const bool ok = sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
                               sizeof address) == static_cast<ssize_t>(bytes.size());
        close(fd);
        return ok;
    }
};

// A well-formed registered message "X" with no title, built by hand.
std::string RawMessage()
{
    std::string out = "OVBUS1";
    out += '\x01';
    out += '\0';
    out += std::string(24, '\0');
    out += std::string("\0\0\x01\0\0\0\0\0", 8);
    out += 'X';
    return out;
}

TEST_F(Bus, RegisteredMessageTravelsByName)
{
    BusEndpoint main, recorder;
    ASSERT_TRUE(main.Open(kMain));
    ASSERT_TRUE(recorder.Open(kRecorder));
    EXPECT_TRUE(platform::FindWindow(kMain));
    EXPECT_TRUE(platform::FindWindow(kRecorder));
    EXPECT_FALSE(platform::FindWindow("WorkTool"));

    const uint32_t command = platform::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    const std::optional<BusMessage> message = platform::MakeRegisteredMessage(command, 3, -5);
    ASSERT_TRUE(message);
    EXPECT_EQ(main.Send(kRecorder, *message), BusSendResult::Sent);

    const std::optional<BusMessage> got = recorder.Receive(kPatienceMs);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->kind, BusMessageKind::Registered);
    EXPECT_EQ(got->name, "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    EXPECT_EQ(got->message, command);
    EXPECT_EQ(got->wParam, 3u);
    EXPECT_EQ(got->lParam, -5);
    EXPECT_EQ(got->sender, kMain);
    EXPECT_FALSE(platform::MakeRegisteredMessage(0x1234, 0, 0));
}

TEST_F(Bus, CopyDataCarriesTypeAndBytes)
{
    BusEndpoint main, recorder;
    ASSERT_TRUE(main.Open(kMain));
    ASSERT_TRUE(recorder.Open(kRecorder));
    const std::string bytes("\x01\x00\x00\x00\xFF\xFF\xFF\xFF\x00", 9);
    EXPECT_EQ(recorder.Send(kMain, platform::MakeCopyData(1, bytes)), BusSendResult::Sent);
    EXPECT_EQ(recorder.Send(kMain, platform::MakeCopyData(2, "")), BusSendResult::Sent);
    const std::optional<BusMessage> first = main.Receive(kPatienceMs);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, BusMessageKind::CopyData);
    EXPECT_EQ(first->copyType, 1u);
    EXPECT_EQ(first->data, bytes);
    EXPECT_EQ(first->sender, kRecorder);
    const std::optional<BusMessage> second = main.Receive(kPatienceMs);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->copyType, 2u);
    EXPECT_TRUE(second->data.empty());
}

TEST_F(Bus, SendFailuresAreValues)
{
    BusEndpoint main;
    ASSERT_TRUE(main.Open(kMain));
    EXPECT_EQ(platform::BusSend("WorkTool", platform::MakeCopyData(1, "x")), BusSendResult::NoSuchWindow);
    EXPECT_EQ(platform::BusSend("", platform::MakeCopyData(1, "x")), BusSendResult::NoSuchWindow);
    EXPECT_EQ(
        platform::BusSend(kMain, platform::MakeCopyData(1, std::string(platform::kMaxBusData + 1, 'x'))),
        BusSendResult::TooLarge);
    BusMessage nameless;
    EXPECT_EQ(platform::BusSend(kMain, nameless), BusSendResult::Invalid);

    // A receiver that reads nothing fills up; the sender is told, and does not wait.
    BusSendResult result = BusSendResult::Sent;
    for (int i = 0; i < 100000 && result == BusSendResult::Sent; ++i) {
        result = platform::BusSend(kMain, platform::MakeCopyData(1, std::string(1000, 'x')));
    }
    EXPECT_EQ(result, BusSendResult::Busy);
}

TEST_F(Bus, TitlesAreExclusiveWhileLiveAndStaleOnesAreReplaced)
{
    BusEndpoint first, second;
    ASSERT_TRUE(first.Open(kMain));
    EXPECT_FALSE(second.Open(kMain));
    first.Close();
    EXPECT_FALSE(platform::FindWindow(kMain));
    ASSERT_TRUE(second.Open(kMain));
    second.Close();

    // A socket file left by a process that is gone.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = platform::BusFolder() + "Stale";
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    EXPECT_FALSE(platform::FindWindow("Stale"));
    BusEndpoint replacing;
    EXPECT_TRUE(replacing.Open("Stale"));
    EXPECT_TRUE(platform::FindWindow("Stale"));

    BusEndpoint empty, tooLong;
    EXPECT_FALSE(empty.Open(""));
    EXPECT_FALSE(tooLong.Open(std::string(300, 'x')));
}

TEST_F(Bus, AwkwardTitlesStayInTheBusFolder)
{
    for (const char* title : {"a/b", "..", ".hidden", "%2F"}) {
        BusEndpoint endpoint;
        ASSERT_TRUE(endpoint.Open(title)) << title;
        EXPECT_TRUE(platform::FindWindow(title)) << title;
        EXPECT_EQ(platform::BusSend(title, platform::MakeCopyData(7, "z")), BusSendResult::Sent) << title;
        const std::optional<BusMessage> got = endpoint.Receive(kPatienceMs);
        ASSERT_TRUE(got) << title;
        EXPECT_EQ(got->copyType, 7u);
    }
    EXPECT_FALSE(platform::FindWindow("%252F"));
}

TEST_F(Bus, FolderAndSocketAreTheUsersAlone)
{
    // A folder left too open is narrowed first.
    ASSERT_EQ(mkdir(platform::BusFolder().c_str(), 0777), 0);
    chmod(platform::BusFolder().c_str(), 0777);
    BusEndpoint main;
    ASSERT_TRUE(main.Open(kMain));
    struct stat folder
    {
    }, socketFile{};
    ASSERT_EQ(stat(platform::BusFolder().c_str(), &folder), 0);
    ASSERT_EQ(stat((platform::BusFolder() + kMain).c_str(), &socketFile), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(socketFile.st_mode & 0777, 0600u);
    EXPECT_TRUE(S_ISSOCK(socketFile.st_mode));
}

// A bus folder that belongs to someone else is not used at all (playing another owner needs
// privileges).
TEST_F(Bus, ForeignFolderIsRefused)
{
    BusEndpoint main;
    ASSERT_TRUE(main.Open(kMain));
    if (chown(platform::BusFolder().c_str(), getuid() + 1, getgid()) != 0) {
        GTEST_SKIP() << "cannot give the folder away here";
    }
    EXPECT_FALSE(platform::FindWindow(kMain));
    EXPECT_EQ(platform::BusSend(kMain, platform::MakeCopyData(1, "x")), BusSendResult::NoSuchWindow);
    EXPECT_EQ(platform::BusBroadcast(platform::MakeCopyData(1, "x")), 0);
    BusEndpoint other;
    EXPECT_FALSE(other.Open("Other"));
    chown(platform::BusFolder().c_str(), getuid(), getgid());
}

TEST_F(Bus, BroadcastReachesEveryOtherLiveEndpoint)
{
    BusEndpoint main, recorder, tool;
    ASSERT_TRUE(main.Open(kMain));
    ASSERT_TRUE(recorder.Open(kRecorder));
    ASSERT_TRUE(tool.Open("WorkTool"));
    BusEndpoint gone;
    ASSERT_TRUE(gone.Open("Gone"));
    gone.Close();

    const uint32_t owner = platform::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    EXPECT_EQ(main.Broadcast(*platform::MakeRegisteredMessage(owner, 1, 1)), 2);
    for (BusEndpoint* receiver : {&recorder, &tool}) {
        const std::optional<BusMessage> got = receiver->Receive(kPatienceMs);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->message, owner);
        EXPECT_EQ(got->sender, kMain);
    }
    EXPECT_FALSE(main.Receive(kBriefMs));
    // Without a window of its own (a second instance), every endpoint is reached.
    EXPECT_EQ(platform::BusBroadcast(*platform::MakeRegisteredMessage(owner, 0, 1)), 3);
}

TEST_F(Bus, MalformedDatagramsAreDroppedAndCounted)
{
    BusEndpoint main;
    ASSERT_TRUE(main.Open(kMain));
    const std::string good = RawMessage();
    std::string badKind = good;
    badKind[6] = '\x03';
    std::string badReserved = good;
    badReserved[7] = '\x01';
    std::string nameless = good.substr(0, good.size() - 1);
    nameless[34] = '\0';
    std::string copyWithName = good;
    copyWithName[6] = '\x02';
    const std::vector<std::string> bad = {
        "",
        "OVBUS1",
        "XXBUS1" + good.substr(6),
        badKind,
        badReserved,
        good.substr(0, good.size() - 1), // cut short
        good + "extra",
        nameless,
        copyWithName,
        std::string(platform::kMaxBusData + 1024, 'x'), // oversized
    };
    for (const std::string& bytes : bad) {
        ASSERT_TRUE(SendRaw(kMain, bytes));
    }
    ASSERT_TRUE(SendRaw(kMain, good));
    const std::optional<BusMessage> got = main.Receive(kPatienceMs);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->name, "X");
    EXPECT_EQ(main.DroppedCount(), bad.size());
}

// Credentials of another user can only be claimed with privileges; the test needs them to play one.
TEST_F(Bus, DatagramsFromAnotherUserAreDropped)
{
    BusEndpoint main;
    ASSERT_TRUE(main.Open(kMain));
    const std::string bytes = RawMessage();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = platform::BusFolder() + kMain;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    ucred other{getpid(), getuid() + 1, getgid()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof other)] = {};
    iovec part{const_cast<char*>(bytes.data()), bytes.size()};
    msghdr header{};
    header.msg_name = &address;
    header.msg_namelen = sizeof address;
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    cmsghdr* credentials = CMSG_FIRSTHDR(&header);
    credentials->cmsg_level = SOL_SOCKET;
    credentials->cmsg_type = SCM_CREDENTIALS;
    credentials->cmsg_len = CMSG_LEN(sizeof other);
    std::memcpy(CMSG_DATA(credentials), &other, sizeof other);
    const ssize_t sent = sendmsg(fd, &header, 0);
    close(fd);
    if (sent < 0) {
        GTEST_SKIP() << "cannot claim another user's credentials here";
    }
    EXPECT_FALSE(main.Receive(kBriefMs));
    EXPECT_EQ(main.DroppedCount(), 1u);
    ASSERT_TRUE(SendRaw(kMain, bytes));
    EXPECT_TRUE(main.Receive(kPatienceMs));
}

TEST_F(Bus, WakeEndsAnEndlessReceive)
{
    BusEndpoint main;
    ASSERT_TRUE(main.Open(kMain));
    std::thread waker([&] {
        platform::SleepMs(30);
        main.Wake();
    });
    EXPECT_FALSE(main.Receive(platform::kInfinite));
    waker.join();
    BusEndpoint closed;
    EXPECT_FALSE(closed.Receive(platform::kInfinite));
}

} // namespace
