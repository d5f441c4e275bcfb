#include "tools/devsim/HidSocketServer.h"

#include "tools/devsim/UnixSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <numeric>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devsim {

namespace {

void PutLe16(std::vector<uint8_t>& to, uint16_t v)
{
    to.push_back(static_cast<uint8_t>(v));
    to.push_back(static_cast<uint8_t>(v >> 8));
}

// Largest packet read from a host: a kind byte and a report far larger than any of ours.
constexpr size_t kMaxPacket = 4096;

} // namespace

std::vector<uint8_t> HelloPacket(const HidInterfaceInfo& info)
{
    std::vector<uint8_t> p = {'O', 'V', 'H', 'I', 'D', '1', 1, 0};
    PutLe16(p, info.vendorId);
    PutLe16(p, info.productId);
    PutLe16(p, info.version);
    p.push_back(info.interfaceNumber);
    p.push_back(0);
    PutLe16(p, static_cast<uint16_t>(info.descriptor.size()));
    p.insert(p.end(), info.descriptor.begin(), info.descriptor.end());
    return p;
}

CHidSocketServer::CHidSocketServer()
{
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CHidSocketServer::~CHidSocketServer()
{
    Stop();
    std::lock_guard lock(mutex_);
    for (auto& [id, ep] : endpoints_)
        CloseEndpointLocked(ep);
    endpoints_.clear();
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

bool CHidSocketServer::Start()
{
    std::lock_guard lock(mutex_);
    if (thread_.joinable() || wakeFd_ < 0)
        return thread_.joinable();
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void CHidSocketServer::Stop()
{
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            return;
        stopping_ = true;
    }
    Wake();
    thread_.join();
}

void CHidSocketServer::Wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

int CHidSocketServer::AddInterface(const std::string& socketPath, const HidInterfaceInfo& info,
                                   PacketHandler handler)
{
    const int fd = ListenUnixSocket(socketPath, SOCK_SEQPACKET | SOCK_NONBLOCK);
    if (fd < 0)
        return -1;
    std::lock_guard lock(mutex_);
    const int id = nextId_++;
    Endpoint& ep = endpoints_[id];
    ep.path = socketPath;
    ep.listenFd = fd;
    ep.hello = HelloPacket(info);
    ep.handler = std::move(handler);
    Wake();
    return id;
}

void CHidSocketServer::CloseEndpointLocked(Endpoint& ep)
{
    if (ep.listenFd >= 0) {
        unlink(ep.path.c_str());
        close(ep.listenFd);
        ep.listenFd = -1;
    }
    for (Connection& c : ep.connections)
        close(c.fd);
    ep.connections.clear();
}

void CHidSocketServer::RemoveInterface(int interfaceId)
{
    std::lock_guard lock(mutex_);
    auto it = endpoints_.find(interfaceId);
    if (it == endpoints_.end())
        return;
    CloseEndpointLocked(it->second);
    endpoints_.erase(it);
    std::erase_if(delayed_, [&](const Delayed& d) { return d.interfaceId == interfaceId; });
    Wake();
}

size_t CHidSocketServer::ConnectionCount(int interfaceId) const
{
    std::lock_guard lock(mutex_);
    auto it = endpoints_.find(interfaceId);
    return it == endpoints_.end() ? 0 : it->second.connections.size();
}

void CHidSocketServer::QueueLocked(Endpoint& ep, const std::vector<uint8_t>& packet)
{
    for (Connection& c : ep.connections) {
        while (!c.queue.empty() && KernelHeldLocked(c) + c.queue.size() >= kMaxUnread)
            c.queue.erase(c.queue.begin());
        c.queue.push_back(packet);
        FlushLocked(c);
    }
}

namespace {

int OutputQueueBytes(int fd)
{
    int bytes = 0;
    return ioctl(fd, SIOCOUTQ, &bytes) == 0 ? bytes : 0;
}

} // namespace

size_t CHidSocketServer::KernelHeldLocked(Connection& c)
{
    // The peer reads oldest first, so what left the kernel's queue is at the front.
    const long queued = OutputQueueBytes(c.fd);
    long tracked = std::accumulate(c.inKernel.begin(), c.inKernel.end(), 0L);
    size_t read = 0;
    while (read < c.inKernel.size() && tracked > queued)
        tracked -= c.inKernel[read++];
    c.inKernel.erase(c.inKernel.begin(), c.inKernel.begin() + static_cast<std::ptrdiff_t>(read));
    return c.inKernel.size();
}

void CHidSocketServer::FlushLocked(Connection& c)
{
    size_t sent = 0;
    while (sent < c.queue.size()) {
        const auto& p = c.queue[sent];
        KernelHeldLocked(c);
        const int before = OutputQueueBytes(c.fd);
        if (send(c.fd, p.data(), p.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0)
            break; // full (EAGAIN) or gone; the poll loop sees a hang-up
        // What the packet costs in the buffer; if the peer read meanwhile, at least its size.
        const int cost = OutputQueueBytes(c.fd) - before;
        c.inKernel.push_back(std::max(cost, static_cast<int>(p.size())));
        ++sent;
    }
    c.queue.erase(c.queue.begin(), c.queue.begin() + static_cast<std::ptrdiff_t>(sent));
}

void CHidSocketServer::Send(int interfaceId, uint8_t kind, std::span<const uint8_t> report, uint32_t delayMs)
{
    std::vector<uint8_t> packet;
    packet.reserve(report.size() + 1);
    packet.push_back(kind);
    packet.insert(packet.end(), report.begin(), report.end());
    std::lock_guard lock(mutex_);
    auto it = endpoints_.find(interfaceId);
    if (it == endpoints_.end())
        return;
    if (delayMs == 0) {
        QueueLocked(it->second, packet);
    } else {
        delayed_.push_back(
            {Clock::now() + std::chrono::milliseconds(delayMs), interfaceId, std::move(packet)});
    }
    Wake();
}

void CHidSocketServer::Run()
{
    struct Watched
    {
        int interfaceId; // 0 for the wake eventfd
        int fd;
        bool listening;
    };
    std::vector<pollfd> fds;
    std::vector<Watched> watched;
    std::vector<Incoming> incoming;
    std::vector<uint8_t> buffer(kMaxPacket);
    for (;;) {
        int timeoutMs = -1;
        fds.clear();
        watched.clear();
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            fds.push_back({wakeFd_, POLLIN, 0});
            watched.push_back({0, wakeFd_, false});
            for (auto& [id, ep] : endpoints_) {
                fds.push_back({ep.listenFd, POLLIN, 0});
                watched.push_back({id, ep.listenFd, true});
                for (Connection& c : ep.connections) {
                    fds.push_back({c.fd, static_cast<short>(POLLIN | (c.queue.empty() ? 0 : POLLOUT)), 0});
                    watched.push_back({id, c.fd, false});
                }
            }
            const auto now = Clock::now();
            for (const Delayed& d : delayed_) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(d.due - now).count();
                const int ms = static_cast<int>(std::max<long long>(0, left));
                timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
            }
        }
        if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] ssize_t n = read(wakeFd_, &count, sizeof count);
        }
        incoming.clear();
        {
            std::lock_guard lock(mutex_);
            const auto now = Clock::now();
            for (auto d = delayed_.begin(); d != delayed_.end();) {
                if (d->due <= now) {
                    auto it = endpoints_.find(d->interfaceId);
                    if (it != endpoints_.end())
                        QueueLocked(it->second, d->packet);
                    d = delayed_.erase(d);
                } else {
                    ++d;
                }
            }
            for (size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents == 0)
                    continue;
                auto it = endpoints_.find(watched[i].interfaceId);
                if (it == endpoints_.end())
                    continue; // removed while polling
                Endpoint& ep = it->second;
                if (watched[i].listening) {
                    if (ep.listenFd != watched[i].fd)
                        continue;
                    const int cfd = accept4(ep.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (cfd < 0)
                        continue;
                    // The smallest kernel buffer, so unread reports wait in our capped queue.
                    const int smallest = 1;
                    setsockopt(cfd, SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest);
                    if (send(cfd, ep.hello.data(), ep.hello.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
                        close(cfd);
                        continue;
                    }
                    ep.connections.push_back({cfd, {}, {}});
                    continue;
                }
                auto c = std::find_if(ep.connections.begin(), ep.connections.end(),
                                      [&](const Connection& x) { return x.fd == watched[i].fd; });
                if (c == ep.connections.end())
                    continue;
                bool gone = (fds[i].revents & (POLLERR | POLLNVAL)) != 0;
                if (!gone && (fds[i].revents & (POLLIN | POLLHUP))) {
                    const ssize_t n = recv(c->fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                    if (n > 0)
                        incoming.push_back({watched[i].interfaceId, {buffer.begin(), buffer.begin() + n}});
                    else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                        gone = true;
                }
                if (!gone && (fds[i].revents & POLLOUT))
                    FlushLocked(*c);
                if (gone) {
                    close(c->fd);
                    ep.connections.erase(c);
                }
            }
        }
        for (const Incoming& in : incoming) {
            PacketHandler handler;
            {
                std::lock_guard lock(mutex_);
                auto it = endpoints_.find(in.interfaceId);
                if (it == endpoints_.end())
                    continue;
                handler = it->second.handler;
            }
            if (handler && !in.packet.empty())
                handler(in.interfaceId, in.packet[0], std::span(in.packet).subspan(1));
        }
    }
}

} // namespace devsim
