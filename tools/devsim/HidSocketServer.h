#pragma once
// Serves HID interfaces in the virtual HID wire format: each interface is a SOCK_SEQPACKET Unix
// socket whose first packet to every connection is the "OVHID1" hello. Packets from the host go to
// the interface's handler on the server thread; input reports go to every open connection, each
// keeping at most kMaxUnread of them unread. The kernel's smallest socket buffer holds the oldest
// few (their number is followed through SIOCOUTQ); beyond those the server's queue drops its oldest. One
// thread polls every socket and an eventfd that Stop and new output signal, so nothing spins and Stop never
// waits for a peer.
//
// Locking: the server's mutex guards the interface table and the send queues. Handlers run without
// it, so a handler may call back into the server (send, remove). Owners that hold their own lock
// while calling the server take it before the server's, never the reverse.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace devsim {

// Packet kinds, host to device.
inline constexpr uint8_t kPacketOutputReport = 1;
inline constexpr uint8_t kPacketSetOutputReport = 2;
inline constexpr uint8_t kPacketSetFeature = 3;
inline constexpr uint8_t kPacketGetFeature = 4;
// Device to host.
inline constexpr uint8_t kPacketInputReport = 0x81;
inline constexpr uint8_t kPacketFeatureAnswer = 0x84;

struct HidInterfaceInfo
{
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0x0100;
    uint8_t interfaceNumber = 0;
    std::vector<uint8_t> descriptor;
};

// The hello packet a connection receives first.
std::vector<uint8_t> HelloPacket(const HidInterfaceInfo& info);

class CHidSocketServer
{
public:
    // kind = the packet's first byte; report = the rest (report id first).
    using PacketHandler = std::function<void(int interfaceId, uint8_t kind, std::span<const uint8_t> report)>;
    static constexpr size_t kMaxUnread = 32;

    CHidSocketServer();
    ~CHidSocketServer();
    CHidSocketServer(const CHidSocketServer&) = delete;
    CHidSocketServer& operator=(const CHidSocketServer&) = delete;

    bool Start();
    // Ends the server thread; the interfaces stay until removed or the server is destroyed.
    void Stop();

    // Creates the socket file (replacing a stale one) and listens; the interface id, or -1.
    int AddInterface(const std::string& socketPath, const HidInterfaceInfo& info, PacketHandler handler);
    // Unplugs: removes the socket file and closes every connection of the interface.
    void RemoveInterface(int interfaceId);
    // Queues a device-to-host packet (kind byte, then the report) for every open connection,
    // after delayMs when that is not 0.
    void Send(int interfaceId, uint8_t kind, std::span<const uint8_t> report, uint32_t delayMs = 0);
    size_t ConnectionCount(int interfaceId) const;

private:
    using Clock = std::chrono::steady_clock;
    struct Connection
    {
        int fd = -1;
        std::vector<std::vector<uint8_t>> queue; // not yet handed to the kernel, oldest first
        std::vector<int> inKernel;               // buffer bytes of each packet the peer has not read
    };
    struct Endpoint
    {
        std::string path;
        int listenFd = -1;
        std::vector<uint8_t> hello;
        PacketHandler handler;
        std::vector<Connection> connections;
    };
    struct Delayed
    {
        Clock::time_point due;
        int interfaceId;
        std::vector<uint8_t> packet;
    };
    struct Incoming
    {
        int interfaceId;
        std::vector<uint8_t> packet;
    };

    void Run();
    void Wake();
    void QueueLocked(Endpoint& ep, const std::vector<uint8_t>& packet);
    static void FlushLocked(Connection& c);
    // Packets handed to the kernel that the peer has not read yet.
    static size_t KernelHeldLocked(Connection& c);
    void CloseEndpointLocked(Endpoint& ep);

    mutable std::mutex mutex_;
    std::map<int, Endpoint> endpoints_;
    std::vector<Delayed> delayed_;
    int nextId_ = 1;
    int wakeFd_ = -1;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace devsim
