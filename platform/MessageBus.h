#pragma once
// Window messages between processes. A registered message has a number in 0xC000-0xFFFF that is the
// same for the same name (letter case aside) within a process; between processes it travels by its
// name. Every top-level window that other programs may reach owns a bus endpoint: a datagram socket
// in RuntimeFolder() + "orvant-bus/" (folder mode 0700, socket 0600) named after the window's title.
// FindWindow(title) looks for a live endpoint, Broadcast reaches every one, and a data copy carries
// its record type and bytes.
//
// Wire format of one datagram (integers little-endian): "OVBUS1", kind (1 registered message, 2 data
// copy), a zero byte, wParam (64 bits), lParam (64 bits, signed), record type (64 bits), sender title
// length (16 bits), message name length (16 bits), data length (32 bits), then the sender title, the
// name and the data. A receiver drops datagrams that are oversized, malformed, or sent by another
// user. Sending never waits: a receiver whose queue is full answers Busy.

#include "platform/Event.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The number registered for the name, registering it when new; 0 for an empty name or a full table.
uint32_t RegisterWindowMessage(std::string_view name);
// The name registered for a number, when there is one.
std::optional<std::string> RegisteredMessageName(uint32_t message);

// The folder of the endpoints. The bus creates it (mode 0700) when missing, narrows a wider mode, and
// uses no folder that belongs to another user.
std::string BusFolder();
// True when a live endpoint has the title.
bool FindWindow(std::string_view title);

enum class BusMessageKind : uint8_t
{
    Registered = 1,
    CopyData = 2
};

struct BusMessage
{
    BusMessageKind kind = BusMessageKind::Registered;
    // The title of the sending window; empty when a program without a window sent it.
    std::string sender;
    // Registered: the message's name, and on receipt its number in this process.
    std::string name;
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    // CopyData: the record type and its bytes.
    uint64_t copyType = 0;
    std::string data;
};

// A registered message by its number (which must be registered) or a data copy.
std::optional<BusMessage> MakeRegisteredMessage(uint32_t message, uint64_t wParam, int64_t lParam);
BusMessage MakeCopyData(uint64_t copyType, std::string data);

enum class BusSendResult
{
    Sent,
    NoSuchWindow,
    Busy,
    TooLarge,
    Invalid,
    Failed
};

// The largest sender title, name and data a datagram may carry.
inline constexpr size_t kMaxBusTitle = 255;
inline constexpr size_t kMaxBusName = 255;
inline constexpr size_t kMaxBusData = 64 * 1024;

// The datagram that carries a message; nothing when the message cannot travel (TooLarge or Invalid).
std::optional<std::string> EncodeBusDatagram(const BusMessage& message);
// The message a received datagram carries; nothing when the bytes are not one whole valid datagram.
// A registered message's name is registered in this process to give its number.
std::optional<BusMessage> DecodeBusDatagram(std::string_view bytes);

// Sends to the window with the title.
BusSendResult BusSend(std::string_view title, const BusMessage& message);
// Sends to every live endpoint but the one titled except; answers how many received it.
int BusBroadcast(const BusMessage& message, std::string_view except = {});

// One window's endpoint. Receive and Wake may run on different threads; the rest belongs to the owner.
class BusEndpoint
{
public:
    BusEndpoint() = default;
    ~BusEndpoint();
    BusEndpoint(const BusEndpoint&) = delete;
    BusEndpoint& operator=(const BusEndpoint&) = delete;

    // Creates the endpoint for the title; false when the title is empty or too long, a live endpoint
    // already has it, or the socket cannot be made. A stale endpoint of a dead process is replaced.
    bool Open(std::string_view title);
    void Close();
    bool IsOpen() const { return socket_ >= 0; }
    const std::string& Title() const { return title_; }
    // Readable when a datagram waits, for an event loop to watch.
    int Fd() const { return socket_; }

    // The next valid message, waiting up to timeoutMs (kInfinite allowed); nothing on time-out, on
    // Wake or when closed. Invalid datagrams are dropped and counted.
    std::optional<BusMessage> Receive(uint32_t timeoutMs);
    // Ends a Receive that is waiting (or the next one).
    void Wake();
    uint64_t DroppedCount() const { return dropped_; }

    // Send and Broadcast with this window as the sender.
    BusSendResult Send(std::string_view title, BusMessage message) const;
    int Broadcast(BusMessage message) const;

private:
    std::string title_;
    std::string path_;
    int socket_ = -1;
    int wake_ = -1;
    uint64_t dropped_ = 0;
};

} // namespace platform
