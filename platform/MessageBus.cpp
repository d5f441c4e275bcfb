#include "platform/MessageBus.h"

#include "platform/Event.h"
#include "platform/Folders.h"
#include "platform/PercentText.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

constexpr uint32_t kFirstMessage = 0xC000;
constexpr uint32_t kMessageCount = 0x4000;
constexpr std::string_view kMagic = "OVBUS1";
constexpr size_t kHeaderSize = 6 + 1 + 1 + 8 + 8 + 8 + 2 + 2 + 4;
constexpr size_t kMaxDatagram = kHeaderSize + kMaxBusTitle + kMaxBusName + kMaxBusData;

// Registered names. Owner: the registry lock, taken alone.
struct Registry
{
    std::mutex lock;
    std::unordered_map<std::string, uint32_t> numbers; // by lower-case name
    std::unordered_map<uint32_t, std::string> names;   // as first registered
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

// FNV-1a: the first choice of number depends only on the name.
uint32_t HashOf(std::string_view text)
{
    uint32_t hash = 2166136261u;
    for (char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash;
}

// The bus folder, created when missing, when it is a folder of this user that nobody else may enter
// (its mode is narrowed to 0700 when wider); empty otherwise, and then no endpoint is used.
std::string TrustedBusFolder()
{
    const std::string folder = BusFolder();
    ::mkdir(folder.c_str(), 0700);
    struct stat info
    {
    };
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        return {};
    }
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        return {};
    }
    return folder;
}

// The socket file of a title (empty when the bus folder is not trusted); a leading dot is escaped so
// no title hides or names a folder.
std::string SocketPath(std::string_view title)
{
    const std::string folder = TrustedBusFolder();
    if (folder.empty()) {
        return {};
    }
    std::string name = PercentEncode(title, "/");
    if (!name.empty() && name.front() == '.') {
        name.replace(0, 1, "%2E");
    }
    return folder + name;
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// A datagram socket that closes itself; -1 when none could be made.
class Socket
{
public:
    Socket() : fd_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
    ~Socket()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// errno of sending the bytes to the socket file (0 when sent).
int SendTo(const std::string& path, const std::string& bytes)
{
    sockaddr_un address;
    if (!FillAddress(path, address)) {
        return ENAMETOOLONG;
    }
    Socket socket;
    if (socket.Fd() < 0) {
        return errno;
    }
    ssize_t sent;
    do {
        sent = ::sendto(socket.Fd(), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (sent < 0 && errno == EINTR);
    return sent < 0 ? errno : 0;
}

// True when something accepts datagrams at the path (a stale file refuses).
bool IsLive(const std::string& path)
{
    sockaddr_un address;
    Socket socket;
    return FillAddress(path, address) && socket.Fd() >= 0 &&
           ::connect(socket.Fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

template <typename Number>
void Put(std::string& out, Number value)
{
    for (size_t i = 0; i < sizeof(Number); ++i) {
        out += static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
    }
}

template <typename Number>
Number Get(const unsigned char* in)
{
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(Number); ++i) {
        value |= static_cast<uint64_t>(in[i]) << (8 * i);
    }
    return static_cast<Number>(value);
}

// The datagram of a message, or nothing when it cannot be one (the reason in result).
std::optional<std::string> Encode(const BusMessage& message, BusSendResult& result)
{
    const bool registered = message.kind == BusMessageKind::Registered;
    if (message.sender.size() > kMaxBusTitle || message.name.size() > kMaxBusName ||
        message.data.size() > kMaxBusData) {
        result = BusSendResult::TooLarge;
        return std::nullopt;
    }
    if ((registered && (message.name.empty() || !message.data.empty())) ||
        (!registered && (message.kind != BusMessageKind::CopyData || !message.name.empty()))) {
        result = BusSendResult::Invalid;
        return std::nullopt;
    }
    std::string out(kMagic);
    out += static_cast<char>(message.kind);
    out += '\0';
    Put<uint64_t>(out, message.wParam);
    Put<int64_t>(out, message.lParam);
    Put<uint64_t>(out, message.copyType);
    Put<uint16_t>(out, static_cast<uint16_t>(message.sender.size()));
    Put<uint16_t>(out, static_cast<uint16_t>(message.name.size()));
    Put<uint32_t>(out, static_cast<uint32_t>(message.data.size()));
    out += message.sender;
    out += message.name;
    out += message.data;
    return out;
}

std::optional<BusMessage> Decode(const unsigned char* in, size_t size)
{
    if (size < kHeaderSize || std::memcmp(in, kMagic.data(), kMagic.size()) != 0 || in[7] != 0) {
        return std::nullopt;
    }
    BusMessage message;
    const uint8_t kind = in[6];
    if (kind != static_cast<uint8_t>(BusMessageKind::Registered) &&
        kind != static_cast<uint8_t>(BusMessageKind::CopyData)) {
        return std::nullopt;
    }
    message.kind = static_cast<BusMessageKind>(kind);
    message.wParam = Get<uint64_t>(in + 8);
    message.lParam = Get<int64_t>(in + 16);
    message.copyType = Get<uint64_t>(in + 24);
    const size_t senderSize = Get<uint16_t>(in + 32);
    const size_t nameSize = Get<uint16_t>(in + 34);
    const size_t dataSize = Get<uint32_t>(in + 36);
    const bool registered = message.kind == BusMessageKind::Registered;
    if (senderSize > kMaxBusTitle || nameSize > kMaxBusName || dataSize > kMaxBusData ||
        kHeaderSize + senderSize + nameSize + dataSize != size ||
        (registered && (nameSize == 0 || dataSize != 0)) || (!registered && nameSize != 0)) {
        return std::nullopt;
    }
    const char* text = reinterpret_cast<const char*>(in + kHeaderSize);
    message.sender.assign(text, senderSize);
    message.name.assign(text + senderSize, nameSize);
    message.data.assign(text + senderSize + nameSize, dataSize);
    if (registered) {
        message.message = RegisterWindowMessage(message.name);
    }
    return message;
}

// The titles of the socket files in the bus folder.
std::vector<std::string> EndpointPaths()
{
    std::vector<std::string> paths;
    const std::string folder = TrustedBusFolder();
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (dir == nullptr) {
        return paths;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string path = folder + entry->d_name;
        struct stat info
        {
        };
        if (entry->d_name[0] != '.' && ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
            paths.push_back(path);
        }
    }
    ::closedir(dir);
    return paths;
}

BusSendResult ResultOf(int error)
{
    switch (error) {
    case 0:
        return BusSendResult::Sent;
    case ENOENT:
    case ECONNREFUSED:
    case ENOTSOCK:
    case ENAMETOOLONG:
        return BusSendResult::NoSuchWindow;
    case EAGAIN:
    case ENOBUFS:
        return BusSendResult::Busy;
    case EMSGSIZE:
        return BusSendResult::TooLarge;
    default:
        return BusSendResult::Failed;
    }
}

} // namespace

uint32_t RegisterWindowMessage(std::string_view name)
{
    if (name.empty()) {
        return 0;
    }
    const std::string key = Lower(name);
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (const auto found = registry.numbers.find(key); found != registry.numbers.end()) {
        return found->second;
    }
    // The name's own number, or the next free one after it when another name has it already.
    const uint32_t start = HashOf(key) % kMessageCount;
    for (uint32_t step = 0; step < kMessageCount; ++step) {
        const uint32_t number = kFirstMessage + (start + step) % kMessageCount;
        if (registry.names.count(number) == 0) {
            registry.numbers.emplace(key, number);
            registry.names.emplace(number, std::string(name));
            return number;
        }
    }
    return 0;
}

std::optional<std::string> RegisteredMessageName(uint32_t message)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = registry.names.find(message);
    if (found == registry.names.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string BusFolder()
{
    return RuntimeFolder() + "orvant-bus/";
}

bool FindWindow(std::string_view title)
{
    return !title.empty() && title.size() <= kMaxBusTitle && IsLive(SocketPath(title));
}

std::optional<BusMessage> MakeRegisteredMessage(uint32_t message, uint64_t wParam, int64_t lParam)
{
    std::optional<std::string> name = RegisteredMessageName(message);
    if (!name) {
        return std::nullopt;
    }
    BusMessage out;
    out.kind = BusMessageKind::Registered;
    out.name = std::move(*name);
    out.message = message;
    out.wParam = wParam;
    out.lParam = lParam;
    return out;
}

BusMessage MakeCopyData(uint64_t copyType, std::string data)
{
    BusMessage out;
    out.kind = BusMessageKind::CopyData;
    out.copyType = copyType;
    out.data = std::move(data);
    return out;
}

std::optional<std::string> EncodeBusDatagram(const BusMessage& message)
{
    BusSendResult result = BusSendResult::Sent;
    return Encode(message, result);
}

std::optional<BusMessage> DecodeBusDatagram(std::string_view bytes)
{
    if (bytes.size() > kMaxDatagram) {
        return std::nullopt;
    }
    return Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

BusSendResult BusSend(std::string_view title, const BusMessage& message)
{
    BusSendResult result = BusSendResult::Sent;
    const std::optional<std::string> bytes = Encode(message, result);
    if (!bytes) {
        return result;
    }
    if (title.empty() || title.size() > kMaxBusTitle) {
        return BusSendResult::NoSuchWindow;
    }
    return ResultOf(SendTo(SocketPath(title), *bytes));
}

int BusBroadcast(const BusMessage& message, std::string_view except)
{
    BusSendResult result = BusSendResult::Sent;
    const std::optional<std::string> bytes = Encode(message, result);
    if (!bytes) {
        return 0;
    }
    const std::string skipped = except.empty() ? std::string() : SocketPath(except);
    int reached = 0;
    for (const std::string& path : EndpointPaths()) {
        if (path != skipped && SendTo(path, *bytes) == 0) {
            ++reached;
        }
    }
    return reached;
}

BusEndpoint::~BusEndpoint()
{
    Close();
}

bool BusEndpoint::Open(std::string_view title)
{
    Close();
    if (title.empty() || title.size() > kMaxBusTitle) {
        return false;
    }
    const std::string path = SocketPath(title);
    sockaddr_un address;
    if (!FillAddress(path, address)) {
        return false;
    }
    if (IsLive(path)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    const int on = 1;
    ::unlink(path.c_str()); // a stale endpoint of a process that is gone
    if (::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0) {
        ::close(fd);
        return false;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    socket_ = fd;
    wake_ = wake;
    title_ = std::string(title);
    path_ = path;
    return true;
}

void BusEndpoint::Close()
{
    if (socket_ >= 0) {
        ::close(socket_);
        ::unlink(path_.c_str());
        socket_ = -1;
    }
    if (wake_ >= 0) {
        ::close(wake_);
        wake_ = -1;
    }
    title_.clear();
    path_.clear();
}

void BusEndpoint::Wake()
{
    if (wake_ >= 0) {
        const uint64_t one = 1;
        (void)!::write(wake_, &one, sizeof one);
    }
}

std::optional<BusMessage> BusEndpoint::Receive(uint32_t timeoutMs)
{
    if (socket_ < 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> buffer(kMaxDatagram + 1);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    const uint32_t start = GetTickCount();
    for (;;) {
        const uint32_t elapsed = GetTickCount() - start;
        if (timeoutMs != kInfinite && elapsed > timeoutMs) {
            return std::nullopt;
        }
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const int wait = timeoutMs == kInfinite ? -1 : static_cast<int>(timeoutMs - elapsed);
        const int ready = ::poll(fds, 2, wait);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (fds[1].revents != 0) {
            uint64_t count = 0;
            (void)!::read(wake_, &count, sizeof count);
            return std::nullopt;
        }
        if (ready == 0 && timeoutMs != kInfinite) {
            return std::nullopt;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        iovec part{buffer.data(), buffer.size()};
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(socket_, &header, MSG_TRUNC | MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
        if (size < 0) {
            continue;
        }
        // Only the same user's datagrams count, and only whole ones.
        const cmsghdr* first = CMSG_FIRSTHDR(&header);
        bool sameUser = false;
        if (first != nullptr && first->cmsg_level == SOL_SOCKET && first->cmsg_type == SCM_CREDENTIALS &&
            first->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
            ucred credentials{};
            std::memcpy(&credentials, CMSG_DATA(first), sizeof credentials);
            sameUser = credentials.uid == ::getuid();
        }
        const bool whole =
            (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0 && static_cast<size_t>(size) <= kMaxDatagram;
        std::optional<BusMessage> message =
            sameUser && whole ? Decode(buffer.data(), static_cast<size_t>(size)) : std::nullopt;
        if (message) {
            return message;
        }
        ++dropped_;
    }
}

BusSendResult BusEndpoint::Send(std::string_view title, BusMessage message) const
{
    message.sender = title_;
    return BusSend(title, message);
}

int BusEndpoint::Broadcast(BusMessage message) const
{
    message.sender = title_;
    return BusBroadcast(message, title_);
}

} // namespace platform
