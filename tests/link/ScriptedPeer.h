#pragma once
// A scripted device on the virtual HID wire format, for tests: a listening sequenced-packet socket that
// greets every connection with its hello packet, records what the host sends and answers through a
// handler. It can push input reports, drop its connections and unplug.

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

using Bytes = std::vector<uint8_t>;

// Descriptor of a keyboard's interface 1: keyboard (id 1), system control (id 2), consumer control
// (id 3, usage page 0x0C usage 1) and the vendor command collection (id 4, page 0xFF1C usage 0x92,
// 63 data bytes each way).
Bytes CommandInterfaceDescriptor();
// Only the vendor command collection.
Bytes VendorCollectionDescriptor();

// A firmware-like answer to a command request: bytes 0-6 repeated, the status in byte 7.
Bytes ReplyTo(const Bytes& request, uint8_t status = 0);

// A temporary folder, removed with its content at destruction.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// What a peer says in its hello packet.
struct PeerIdentity
{
    uint16_t vendorId = 0x320F;
    uint16_t productId = 0x5055;
    uint16_t version = 0x0105;
    uint8_t interfaceNumber = 1;
    Bytes descriptor = CommandInterfaceDescriptor();
};

class ScriptedPeer
{
public:
    // What the peer sends back for one packet from the host: whole packets, kind byte first; an empty
    // packet closes the connection instead (the device vanishes).
    using Handler = std::function<std::vector<Bytes>(uint8_t kind, const Bytes& report)>;

    ScriptedPeer(const std::string& folder, const std::string& name, PeerIdentity identity = PeerIdentity());
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    const std::string& SocketPath() const { return socketPath_; }
    // Answers every output report like firmware (the default).
    static Handler Firmware();
    void SetHandler(Handler handler);
    // Sends an input report (report id first) to every open connection.
    void SendInput(const Bytes& report);
    // Closes every connection, as a device that vanishes does; the socket keeps accepting.
    void DropConnections();
    // Removes the socket file and stops accepting.
    void Unplug();

    // Every packet the host sent (kind byte first), in order.
    std::vector<Bytes> Received() const;
    void ClearReceived();
    // Waits until at least count packets arrived; false after timeoutMs.
    bool WaitForPackets(size_t count, int timeoutMs) const;
    size_t ConnectionCount() const;

private:
    void Run();
    void Accept();
    void Serve(int fd);
    void Wake();

    std::string socketPath_;
    PeerIdentity identity_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<bool> dropRequested_{false};
    mutable std::mutex lock_;
    mutable std::condition_variable arrived_;
    Handler handler_;
    std::vector<int> connections_;
    std::vector<Bytes> received_;
    std::thread thread_;
};

} // namespace test
