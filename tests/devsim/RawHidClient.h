#pragma once
// A minimal host for the virtual HID wire format, for tests that talk to the simulator's sockets
// without the link layer: connects, reads the hello, sends and receives packets with a time-out.

#include "tools/devsim/CommandFrame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim::test {

class CRawHidClient
{
public:
    CRawHidClient() = default;
    ~CRawHidClient();
    CRawHidClient(const CRawHidClient&) = delete;
    CRawHidClient& operator=(const CRawHidClient&) = delete;

    // Connects and reads the hello packet; false when the socket is absent or says nothing.
    bool Connect(const std::string& path);
    void Close();
    const std::vector<uint8_t>& Hello() const { return hello_; }

    bool Send(uint8_t kind, const std::vector<uint8_t>& report);
    bool SendFrame(const Frame& frame) { return Send(1, {frame.begin(), frame.end()}); }
    // The next packet (kind byte first), or nothing within timeoutMs; an empty packet means the
    // device closed the connection.
    std::optional<std::vector<uint8_t>> Receive(int timeoutMs = 2000);
    // The next input report with the given report id, skipping others; as a frame when id is 4.
    std::optional<Frame> ReceiveFrame(int timeoutMs = 2000);
    // Sends a request and returns the first reply frame.
    std::optional<Frame> Transact(const Frame& request, int timeoutMs = 2000);

private:
    int fd_ = -1;
    std::vector<uint8_t> hello_;
};

} // namespace devsim::test
