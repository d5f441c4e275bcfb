#include "ScriptedPeer.h"

#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace test {
namespace {

const Bytes kVendorCollection = {0x06, 0x1C, 0xFF, // usage page 0xFF1C
                                 0x09, 0x92,       // usage 0x92
                                 0xA1, 0x01,       // collection (application)
                                 0x85, 0x04,       // report id 4
                                 0x15, 0x00,       // logical minimum 0
                                 0x26, 0xFF, 0x00, // logical maximum 255
                                 0x75, 0x08,       // report size 8
                                 0x95, 0x3F,       // report count 63
                                 0x09, 0x01,       // usage 1
                                 0x81, 0x02,       // input (data, variable)
                                 0x09, 0x01,       // usage 1
                                 0x91, 0x02,       // output (data, variable)
                                 0xC0};

const Bytes kKeyboardCollections = {
    // keyboard, report id 1: 8 modifier bits, a reserved byte, 6 key slots
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25,
    0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x19, 0x00, 0x29, 0xFF,
    0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x06, 0x81, 0x00, 0xC0,
    // system control, report id 2: three bits and padding
    0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x02, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01, 0x75,
    0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0,
    // consumer control, report id 3: one 16-bit usage slot
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF,
    0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

constexpr uint8_t kHelloVersion = 1;

} // namespace

Bytes VendorCollectionDescriptor()
{
    return kVendorCollection;
}

Bytes CommandInterfaceDescriptor()
{
    Bytes all = kKeyboardCollections;
    all.insert(all.end(), kVendorCollection.begin(), kVendorCollection.end());
    return all;
}

Bytes ReplyTo(const Bytes& request, uint8_t status)
{
    Bytes reply(64, 0);
    std::copy_n(request.begin(), std::min<size_t>(7, request.size()), reply.begin());
    reply[7] = status;
    return reply;
}

TempFolder::TempFolder()
{
    std::string templ = (std::filesystem::temp_directory_path() / "orvant-link-XXXXXX").string();
    path_ = mkdtemp(templ.data()) != nullptr ? templ : std::string();
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScriptedPeer::ScriptedPeer(const std::string& folder, const std::string& name, PeerIdentity identity)
    : socketPath_(folder + "/" + name + ".hid"), identity_(std::move(identity)), handler_(Firmware())
{
    listenFd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath_.c_str(), sizeof addr.sun_path - 1);
    unlink(socketPath_.c_str());
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 8) != 0) {
        close(listenFd_);
        listenFd_ = -1;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer()
{
    stop_ = true;
    Wake();
    thread_.join();
    for (int fd : connections_) {
        close(fd);
    }
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(socketPath_.c_str());
    }
    close(wakeFd_);
}

ScriptedPeer::Handler ScriptedPeer::Firmware()
{
    return [](uint8_t kind, const Bytes& report) -> std::vector<Bytes> {
        if (kind != 1 || report.empty() || report[0] != 4) {
            return {};
        }
        Bytes packet = {0x81};
        const Bytes reply = ReplyTo(report);
        packet.insert(packet.end(), reply.begin(), reply.end());
        return {packet};
    };
}

void ScriptedPeer::SetHandler(Handler handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    handler_ = std::move(handler);
}

void ScriptedPeer::Wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

void ScriptedPeer::SendInput(const Bytes& report)
{
    Bytes packet = {0x81};
    packet.insert(packet.end(), report.begin(), report.end());
    std::lock_guard<std::mutex> guard(lock_);
    for (int fd : connections_) {
        send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    }
}

void ScriptedPeer::DropConnections()
{
    // Shut down here so the host sees the device go at once; the peer thread closes the descriptors,
    // so none is closed under a recv.
    std::lock_guard<std::mutex> guard(lock_);
    for (int fd : connections_) {
        shutdown(fd, SHUT_RDWR);
    }
    dropRequested_ = true;
    Wake();
}

void ScriptedPeer::Unplug()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (listenFd_ >= 0) {
        unlink(socketPath_.c_str());
        shutdown(listenFd_, SHUT_RDWR);
    }
    Wake();
}

std::vector<Bytes> ScriptedPeer::Received() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return received_;
}

void ScriptedPeer::ClearReceived()
{
    std::lock_guard<std::mutex> guard(lock_);
    received_.clear();
}

bool ScriptedPeer::WaitForPackets(size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> guard(lock_);
    return arrived_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [&] { return received_.size() >= count; });
}

size_t ScriptedPeer::ConnectionCount() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return connections_.size();
}

void ScriptedPeer::Run()
{
    while (!stop_) {
        std::vector<pollfd> fds = {{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (int fd : connections_) {
                fds.push_back({fd, POLLIN, 0});
            }
        }
        if (poll(fds.data(), fds.size(), 200) <= 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t drained = 0;
            [[maybe_unused]] ssize_t n = read(wakeFd_, &drained, sizeof drained);
            if (dropRequested_.exchange(false)) {
                std::lock_guard<std::mutex> guard(lock_);
                for (int fd : connections_) {
                    close(fd);
                }
                connections_.clear();
            }
            continue; // the connection list may have changed
        }
        if (fds[1].revents & POLLIN) {
            Accept();
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                Serve(fds[i].fd);
            }
        }
    }
}

void ScriptedPeer::Accept()
{
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    Bytes hello = {'O', 'V', 'H', 'I', 'D', '1', kHelloVersion, 0};
    auto put16 = [&](uint16_t v) {
        hello.push_back(static_cast<uint8_t>(v & 0xFF));
        hello.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(identity_.vendorId);
    put16(identity_.productId);
    put16(identity_.version);
    hello.push_back(identity_.interfaceNumber);
    hello.push_back(0);
    put16(static_cast<uint16_t>(identity_.descriptor.size()));
    hello.insert(hello.end(), identity_.descriptor.begin(), identity_.descriptor.end());
    // Counted before the hello leaves: a host that has read the hello may at once expect input reports.
    std::lock_guard<std::mutex> guard(lock_);
    connections_.push_back(fd);
    send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
}

void ScriptedPeer::Serve(int fd)
{
    Bytes packet(8192);
    const ssize_t n = recv(fd, packet.data(), packet.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    std::lock_guard<std::mutex> guard(lock_);
    const auto it = std::find(connections_.begin(), connections_.end(), fd);
    if (it == connections_.end()) {
        return; // dropped meanwhile
    }
    if (n <= 0) {
        close(fd);
        connections_.erase(it);
        return;
    }
    packet.resize(static_cast<size_t>(n));
    received_.push_back(packet);
    arrived_.notify_all();
    const Bytes report(packet.begin() + 1, packet.end());
    for (const Bytes& answer : handler_(packet[0], report)) {
        if (answer.empty()) { // the device vanishes
            close(fd);
            connections_.erase(std::find(connections_.begin(), connections_.end(), fd));
            return;
        }
        send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    }
}

} // namespace test
