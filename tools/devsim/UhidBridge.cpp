#include "tools/devsim/UhidBridge.h"

#include "tools/devsim/HidSocketServer.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace devsim {

namespace {

constexpr size_t kHelloHeader = 18;
constexpr int kHelloTimeoutMs = 1000;
constexpr int kRetryMs = 50;
// Feature reports are asked for with this length; the device answers what it has.
constexpr uint16_t kFeatureLength = 64;

bool IsSocketName(const std::string& name)
{
    return name.size() > 4 && name.ends_with(".hid");
}

bool WriteEvent(int fd, const uhid_event& ev)
{
    return write(fd, &ev, sizeof ev) == sizeof ev;
}

bool SendPacket(int fd, uint8_t kind, const uint8_t* data, size_t size)
{
    std::vector<uint8_t> packet{kind};
    packet.insert(packet.end(), data, data + size);
    return send(fd, packet.data(), packet.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
           static_cast<ssize_t>(packet.size());
}

// Connects and takes the hello; -1 when nobody answers yet.
int ConnectAndGreet(const std::string& path, std::vector<uint8_t>& hello)
{
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path)
        return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    pollfd p{fd, POLLIN, 0};
    hello.resize(kHelloHeader + 65536);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        poll(&p, 1, kHelloTimeoutMs) <= 0) {
        close(fd);
        return -1;
    }
    const ssize_t n = recv(fd, hello.data(), hello.size(), 0);
    if (n < static_cast<ssize_t>(kHelloHeader) || std::memcmp(hello.data(), "OVHID1", 6) != 0 ||
        n < static_cast<ssize_t>(kHelloHeader + (hello[16] | hello[17] << 8))) {
        close(fd);
        return -1;
    }
    hello.resize(static_cast<size_t>(n));
    return fd;
}

} // namespace

CUhidBridge::CUhidBridge(std::string folder, std::string uhidPath)
    : folder_(std::move(folder)), uhidPath_(std::move(uhidPath))
{
}

CUhidBridge::~CUhidBridge()
{
    Stop();
}

bool CUhidBridge::Available(const std::string& uhidPath)
{
    return access(uhidPath.c_str(), R_OK | W_OK) == 0;
}

bool CUhidBridge::Start(std::string& error)
{
    if (!Available(uhidPath_)) {
        error = uhidPath_ + " does not exist or is not writable";
        return false;
    }
    inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inotifyFd_ < 0 || wakeFd_ < 0 ||
        inotify_add_watch(inotifyFd_, folder_.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
        error = "cannot watch " + folder_;
        Stop();
        return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void CUhidBridge::Stop()
{
    if (thread_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    while (!devices_.empty())
        Detach(devices_.begin()->first);
    for (int* fd : {&inotifyFd_, &wakeFd_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

bool CUhidBridge::Scan()
{
    DIR* dir = opendir(folder_.c_str());
    if (!dir)
        return true;
    std::vector<std::string> names;
    while (dirent* e = readdir(dir))
        if (IsSocketName(e->d_name))
            names.push_back(e->d_name);
    closedir(dir);
    bool all = true;
    for (const std::string& name : names) {
        const std::string path = folder_ + "/" + name;
        if (!devices_.count(path) && !Attach(path))
            all = false;
    }
    return all;
}

bool CUhidBridge::Attach(const std::string& socketPath)
{
    std::vector<uint8_t> hello;
    const int socketFd = ConnectAndGreet(socketPath, hello);
    if (socketFd < 0)
        return false;
    const size_t descriptorLength = hello[16] | hello[17] << 8;
    const int uhidFd = open(uhidPath_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    uhid_event ev{};
    ev.type = UHID_CREATE2;
    const std::string name = "ORVANT virtual " + socketPath.substr(socketPath.find_last_of('/') + 1);
    std::strncpy(reinterpret_cast<char*>(ev.u.create2.name), name.c_str(), sizeof ev.u.create2.name - 1);
    std::strncpy(reinterpret_cast<char*>(ev.u.create2.phys), socketPath.c_str(),
                 sizeof ev.u.create2.phys - 1);
    ev.u.create2.rd_size = static_cast<uint16_t>(std::min<size_t>(descriptorLength, HID_MAX_DESCRIPTOR_SIZE));
    ev.u.create2.bus = 0x03; // USB
    ev.u.create2.vendor = hello[8] | hello[9] << 8;
    ev.u.create2.product = hello[10] | hello[11] << 8;
    ev.u.create2.version = hello[12] | hello[13] << 8;
    std::memcpy(ev.u.create2.rd_data, hello.data() + kHelloHeader, ev.u.create2.rd_size);
    if (uhidFd < 0 || !WriteEvent(uhidFd, ev)) {
        if (uhidFd >= 0)
            close(uhidFd);
        close(socketFd);
        return true; // not retried: the kernel refused this one
    }
    devices_[socketPath] = Device{socketFd, uhidFd, {}};
    return true;
}

void CUhidBridge::Detach(const std::string& socketPath)
{
    auto it = devices_.find(socketPath);
    if (it == devices_.end())
        return;
    uhid_event ev{};
    ev.type = UHID_DESTROY;
    WriteEvent(it->second.uhidFd, ev);
    close(it->second.uhidFd);
    close(it->second.socketFd);
    devices_.erase(it);
}

void CUhidBridge::FromSocket(const std::string& socketPath, Device& d)
{
    std::vector<uint8_t> packet(1 + UHID_DATA_MAX);
    const ssize_t n = recv(d.socketFd, packet.data(), packet.size(), MSG_DONTWAIT);
    if (n < 0)
        return;
    if (n == 0) {
        Detach(socketPath); // unplugged
        return;
    }
    const size_t size = static_cast<size_t>(n) - 1;
    uhid_event ev{};
    if (packet[0] == kPacketInputReport) {
        ev.type = UHID_INPUT2;
        ev.u.input2.size = static_cast<uint16_t>(size);
        std::memcpy(ev.u.input2.data, packet.data() + 1, size);
        WriteEvent(d.uhidFd, ev);
    } else if (packet[0] == kPacketFeatureAnswer && !d.pendingGets.empty()) {
        ev.type = UHID_GET_REPORT_REPLY;
        ev.u.get_report_reply.id = d.pendingGets.front();
        ev.u.get_report_reply.size = static_cast<uint16_t>(size);
        std::memcpy(ev.u.get_report_reply.data, packet.data() + 1, size);
        d.pendingGets.pop_front();
        WriteEvent(d.uhidFd, ev);
    }
}

void CUhidBridge::FromKernel(Device& d)
{
    uhid_event ev{};
    if (read(d.uhidFd, &ev, sizeof ev) <= 0)
        return;
    switch (ev.type) {
    case UHID_OUTPUT: {
        const uint8_t kind =
            ev.u.output.rtype == UHID_FEATURE_REPORT ? kPacketSetFeature : kPacketOutputReport;
        SendPacket(d.socketFd, kind, ev.u.output.data, std::min<size_t>(ev.u.output.size, UHID_DATA_MAX));
        break;
    }
    case UHID_SET_REPORT: {
        const uint8_t kind =
            ev.u.set_report.rtype == UHID_FEATURE_REPORT ? kPacketSetFeature : kPacketSetOutputReport;
        const bool sent = SendPacket(d.socketFd, kind, ev.u.set_report.data,
                                     std::min<size_t>(ev.u.set_report.size, UHID_DATA_MAX));
        uhid_event reply{};
        reply.type = UHID_SET_REPORT_REPLY;
        reply.u.set_report_reply.id = ev.u.set_report.id;
        reply.u.set_report_reply.err = sent ? 0 : 5; // EIO
        WriteEvent(d.uhidFd, reply);
        break;
    }
    case UHID_GET_REPORT: {
        const uint8_t request[] = {ev.u.get_report.rnum, static_cast<uint8_t>(kFeatureLength),
                                   static_cast<uint8_t>(kFeatureLength >> 8)};
        if (SendPacket(d.socketFd, kPacketGetFeature, request, sizeof request)) {
            d.pendingGets.push_back(ev.u.get_report.id);
        } else {
            uhid_event reply{};
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = ev.u.get_report.id;
            reply.u.get_report_reply.err = 5;
            WriteEvent(d.uhidFd, reply);
        }
        break;
    }
    default:
        break; // start, stop, open, close
    }
}

void CUhidBridge::Run()
{
    bool retry = !Scan();
    for (;;) {
        std::vector<pollfd> fds = {{wakeFd_, POLLIN, 0}, {inotifyFd_, POLLIN, 0}};
        std::vector<std::string> owners = {"", ""};
        for (const auto& [path, d] : devices_) {
            fds.push_back({d.socketFd, POLLIN, 0});
            owners.push_back(path);
            fds.push_back({d.uhidFd, POLLIN, 0});
            owners.push_back(path);
        }
        const int ready = poll(fds.data(), fds.size(), retry ? kRetryMs : -1);
        if (ready < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;
        bool rescan = retry;
        if (fds[1].revents) {
            char events[4096];
            while (read(inotifyFd_, events, sizeof events) > 0) {
            }
            rescan = true;
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            auto it = devices_.find(owners[i]);
            if (it == devices_.end())
                continue; // detached earlier in this pass
            if (fds[i].fd == it->second.socketFd)
                FromSocket(owners[i], it->second);
            else if (fds[i].fd == it->second.uhidFd)
                FromKernel(it->second);
        }
        if (rescan)
            retry = !Scan();
    }
}

} // namespace devsim
