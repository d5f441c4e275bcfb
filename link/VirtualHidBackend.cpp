// The virtual back end: each "*.hid" sequenced-packet socket in the folder named by ORVANT_VIRTUAL_HID
// is one HID interface. A connection starts with the device's hello packet; after that the host sends
// a kind byte and a report (1 interrupt output, 2 control output, 3 set feature) and the device sends
// 0x81 and an input report.

#include "link/HidBackend.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

namespace hid {
namespace {

constexpr char kMagic[6] = {'O', 'V', 'H', 'I', 'D', '1'};
constexpr uint8_t kProtocolVersion = 1;
constexpr size_t kHelloHeader = 18;
constexpr uint8_t kInputReport = 0x81;
constexpr size_t kMaxPacket = 1 + 4096 + 16;
constexpr int kHelloTimeoutMs = 1000;

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

class VirtualConnection final : public Connection
{
public:
    explicit VirtualConnection(int fd) : fd_(fd), packet_(kMaxPacket) {}
    ~VirtualConnection() override { close(fd_); }

    IoStatus Read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs, int cancelFd) override
    {
        got = 0;
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            int left = timeoutMs;
            if (timeoutMs >= 0) {
                const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count();
                left = spent >= timeoutMs ? 0 : static_cast<int>(timeoutMs - spent);
            }
            const IoStatus ready = WaitReady(fd_, POLLIN, left, cancelFd);
            if (ready != IoStatus::Done) {
                return ready;
            }
            const ssize_t n = recv(fd_, packet_.data(), packet_.size(), MSG_DONTWAIT);
            if (n == 0) {
                return IoStatus::Failed; // the device went away
            }
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                    continue;
                }
                return IoStatus::Failed;
            }
            if (packet_[0] != kInputReport || n < 2) {
                continue; // answers this host did not ask for
            }
            got = std::min(capacity, static_cast<size_t>(n - 1));
            std::memcpy(buffer, packet_.data() + 1, got);
            return IoStatus::Done;
        }
    }

    IoStatus Write(WriteKind kind, const uint8_t* report, size_t length, int timeoutMs, int cancelFd) override
    {
        if (length + 1 > kMaxPacket) {
            return IoStatus::Failed;
        }
        uint8_t kindByte = static_cast<uint8_t>(kind);
        iovec parts[2] = {{&kindByte, 1}, {const_cast<uint8_t*>(report), length}};
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = 2;
        // The socket usually has room: try first, wait only when it is full.
        for (;;) {
            const ssize_t n = sendmsg(fd_, &message, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n == static_cast<ssize_t>(length + 1)) {
                return IoStatus::Done;
            }
            if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                return IoStatus::Failed;
            }
            const IoStatus ready = WaitReady(fd_, POLLOUT, timeoutMs, cancelFd);
            if (ready != IoStatus::Done) {
                return ready;
            }
        }
    }

private:
    int fd_;
    std::vector<uint8_t> packet_;
};

// Connects and reads the hello packet; the connected socket on success, -1 with *error set otherwise.
int ConnectAndGreet(const std::string& socketPath, InterfaceInfo& info, int* error)
{
    auto fail = [&](int code, int fd) {
        if (fd >= 0) {
            close(fd);
        }
        if (error != nullptr) {
            *error = code;
        }
        return -1;
    };
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof addr.sun_path) {
        return fail(ENAMETOOLONG, -1);
    }
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return fail(errno, -1);
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        return fail(errno, fd);
    }
    std::vector<uint8_t> hello(kMaxPacket + 65536);
    if (WaitReady(fd, POLLIN, kHelloTimeoutMs, -1) != IoStatus::Done) {
        return fail(ETIMEDOUT, fd);
    }
    const ssize_t n = recv(fd, hello.data(), hello.size(), MSG_DONTWAIT);
    if (n < static_cast<ssize_t>(kHelloHeader) || std::memcmp(hello.data(), kMagic, sizeof kMagic) != 0 ||
        hello[6] != kProtocolVersion) {
        return fail(EPROTO, fd);
    }
    const size_t descLength = Le16(&hello[16]);
    if (static_cast<size_t>(n) < kHelloHeader + descLength) {
        return fail(EPROTO, fd);
    }
    info.bus = "ovhid";
    info.location = socketPath;
    info.vendorId = Le16(&hello[8]);
    info.productId = Le16(&hello[10]);
    info.version = Le16(&hello[12]);
    info.interfaceNumber = hello[14];
    info.descriptor.assign(hello.begin() + kHelloHeader, hello.begin() + kHelloHeader + descLength);
    return fd;
}

// What a socket said in its hello, kept while the socket file stays the same, so that a scan every
// 100 ms does not connect to every device every time.
struct CachedHello
{
    dev_t device;
    ino_t inode;
    timespec changed;
    InterfaceInfo info;
};

std::mutex& CacheLock()
{
    static std::mutex lock;
    return lock;
}

std::map<std::string, CachedHello>& Cache()
{
    static std::map<std::string, CachedHello> cache;
    return cache;
}

bool SameFile(const CachedHello& c, const struct stat& st)
{
    return c.device == st.st_dev && c.inode == st.st_ino && c.changed.tv_sec == st.st_ctim.tv_sec &&
           c.changed.tv_nsec == st.st_ctim.tv_nsec;
}

} // namespace

std::string VirtualFolder()
{
    const char* folder = std::getenv("ORVANT_VIRTUAL_HID");
    return folder != nullptr ? folder : "";
}

void ListVirtual(std::vector<InterfaceInfo>& out)
{
    std::string folder = VirtualFolder();
    if (folder.empty()) {
        return;
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".hid") == 0) {
            names.push_back(name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    {
        // Forget sockets that are gone from the folder.
        std::lock_guard<std::mutex> guard(CacheLock());
        for (auto it = Cache().begin(); it != Cache().end();) {
            const bool inFolder = it->first.compare(0, folder.size(), folder) == 0;
            const bool listed =
                std::binary_search(names.begin(), names.end(), it->first.substr(folder.size()));
            it = inFolder && !listed ? Cache().erase(it) : std::next(it);
        }
    }
    for (const std::string& name : names) {
        const std::string path = folder + name;
        struct stat st
        {
        };
        if (stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
            continue;
        }
        {
            std::lock_guard<std::mutex> guard(CacheLock());
            auto it = Cache().find(path);
            if (it != Cache().end() && SameFile(it->second, st)) {
                out.push_back(it->second.info);
                continue;
            }
        }
        InterfaceInfo info;
        const int fd = ConnectAndGreet(path, info, nullptr);
        if (fd < 0) {
            continue; // a socket nobody serves is an unplugged device
        }
        close(fd);
        std::lock_guard<std::mutex> guard(CacheLock());
        Cache()[path] = CachedHello{st.st_dev, st.st_ino, st.st_ctim, info};
        out.push_back(std::move(info));
    }
}

std::unique_ptr<Connection> OpenVirtual(const std::string& socketPath, InterfaceInfo& info, int* error)
{
    const int fd = ConnectAndGreet(socketPath, info, error);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<VirtualConnection>(fd);
}

} // namespace hid
