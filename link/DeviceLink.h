#pragma once
// CDeviceLink: a device's command channel. It holds two CHidDevice sides, link A (the device's own USB
// connection) and link B (the same device through its wireless receiver), uses one of them at a time,
// and carries the 64-byte command protocol on it: one request, one reply (a stray reply is skipped
// once), one operation per command code with chunking and status checks, and software lighting
// frames that are dropped rather than queued while another transaction runs.
//
// Lock order: the command lock or the lighting lock is taken before the transaction lock, never the
// reverse. The transaction lock covers each write and each read on a side and the reopening of a side;
// the receiver lock covers the event link's reopening of its link B.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "link/CommandFrame.h"
#include "link/HidDevice.h"

// Result codes of transactions and command operations.
enum LinkResult : int
{
    kLinkOk = 1,
    kLinkNotSent = 0,       // link not open, or the reply read failed or timed out
    kLinkWriteFailed = -1,  // writing the request failed or timed out
    kLinkWirelessAa = -101, // wireless link: the reply's command byte was 0xAA
    kLinkStatusFF = -102,   // reply status 0xFF
    kLinkStatusFE = -103,   // reply status 0xFE
    kLinkBadBank = -201     // key table write to a bank other than 0
};

// Command codes.
enum LinkCommand : uint8_t
{
    kCmdBeginTransfer = 0x01,
    kCmdEndTransfer = 0x02,
    kCmdDeviceInfo = 0x03,
    kCmdReadSettings = 0x05,
    kCmdWriteSettings = 0x06,
    kCmdReadKeyTable = 0x07,
    kCmdWriteKeyTable = 0x09,
    kCmdWriteCustomColours = 0x0B,
    kCmdLightingFrame = 0x12,
    kCmdWriteMacroData = 0x15,
    kCmdWriteBulkBlock = 0x17,
    kCmdReadStatusBlock = 0x1A,
    kCmdReadKeyTableCompanion = 0x1B,
    kCmdTakeLightingControl = 0x1C,
    kCmdWirelessOnline = 0xAA
};

// Link modes for SetLinkMode.
enum LinkMode : int
{
    kLinkModeWired = 1,
    kLinkModeWireless = 2
};

class CDeviceLink
{
public:
    static constexpr uint32_t kWiredTimeoutMs = 1000;
    static constexpr uint32_t kWirelessTimeoutMs = 5000;
    static constexpr uint16_t kMaxTransferSize = 512;
    static constexpr uint32_t kDeviceInfoSize = 34;
    static constexpr uint16_t kCustomColourStride = 512;

    CDeviceLink() = default;
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // Transactions.
    // One request (up to 64 bytes, zero-filled) and its reply on the side in use, with debug dumps.
    int Transact(const uint8_t* request, uint32_t requestLength, uint8_t* reply, uint32_t replyLength,
                 uint32_t* bytesRead);
    // The same exchange on link A, without busy flag, dumps or skipped reply (lighting frames).
    int TransactPlain(const uint8_t* request, uint32_t requestLength, uint8_t* reply, uint32_t replyLength,
                      uint32_t* bytesRead);
    // 2: wireless (link B, 24-byte chunks); anything else: wired (link A, 56-byte chunks).
    void SetLinkMode(int mode);
    // False, and no change, above 512.
    bool SetTransferSize(uint16_t size);

    // Command operations: 1 on success or a LinkResult.
    int BeginTransfer();                                                    // 0x01
    int EndTransfer();                                                      // 0x02, after a 10 ms pause
    int ReadDeviceInfo(uint8_t* info32, uint16_t* value);                   // 0x03: 32 bytes, then 16 bits
    int ReadDeviceInfoBlock(uint8_t* block34);                              // 0x03, the 34 bytes as read
    int ReadSettings(uint16_t base, uint8_t* data, uint32_t length);        // 0x05
    int WriteSettings(uint16_t base, const uint8_t* data, uint32_t length); // 0x06
    int ReadKeyTable(uint8_t* data);                                        // 0x07, transfer-size bytes
    int WriteKeyTable(const uint8_t* data, int bank);                       // 0x09, transfer-size bytes
    int WriteCustomColours(int index, const uint8_t* data, uint32_t length,
                           uint16_t stride = kCustomColourStride);        // 0x0B
    int WriteLightingFrame(const uint8_t* data, uint32_t length);         // 0x12, may be dropped
    int WriteMacroData(const uint8_t* data, uint32_t length);             // 0x15
    int WriteBulkBlock(const uint8_t* data, uint32_t length);             // 0x17, 56-byte chunks
    int ReadStatusBlock(uint16_t offset, uint8_t* data, uint32_t length); // 0x1A, at most 56 bytes
    int ReadKeyTableCompanion(uint8_t* data);                             // 0x1B, transfer size / 3 bytes
    int TakeLightingControl();                                            // 0x1C
    // 0xAA: true on a wired link without traffic; on a wireless link true when the device is online.
    bool QueryWirelessOnline();

    // State.
    bool IsOpen() const { return open_ != 0; }
    void SetOpen(bool open) { open_ = open ? 1 : 0; }
    bool IsWireless() const { return wireless_ != 0; }
    bool IsSynchronised() const { return synchronised_ != 0; }
    void SetSynchronised(bool on) { synchronised_ = on ? 1 : 0; }
    bool IsBusy() const { return busy_.load() != 0; }
    uint8_t GetChunkSize() const { return chunkSize_; }
    uint16_t GetTransferSize() const { return transferSize_; }
    CHidDevice& LinkA() { return linkA_; }
    CHidDevice& LinkB() { return linkB_; }
    std::recursive_mutex& TransactionLock() { return transactionLock_; }
    std::recursive_mutex& ReceiverLock() { return receiverLock_; }
    std::recursive_mutex& CommandLock() { return commandLock_; }
    std::recursive_mutex& LightingLock() { return lightingLock_; }

private:
    enum class ChunkLock
    {
        Command,
        Lighting,
        None
    };
    // One chunked command: the block is cut into frames of at most chunk bytes at base + position.
    struct Chunked
    {
        uint8_t code;
        uint32_t chunk;
        ChunkLock lock;
        uint32_t base;
    };

    CHidDevice& SideOf(bool wireless) { return wireless ? linkB_ : linkA_; }
    static uint32_t TimeoutOf(bool wireless) { return wireless ? kWirelessTimeoutMs : kWiredTimeoutMs; }
    int RunChunked(const Chunked& command, const uint8_t* out, uint8_t* in, uint32_t length);
    // One frame of a command: builds the request, sends it under its lock, checks the reply status and
    // copies length data bytes of the reply to in. reply receives the whole reply when given.
    int Exchange(uint8_t code, uint8_t length, uint16_t offset, const uint8_t* out, ChunkLock lock,
                 uint8_t* in, uint8_t* reply = nullptr);
    // The lighting-frame path of one chunk: dropped while a transaction runs, sent plainly when wired.
    int SendLightingChunk(const CommandFrame& request, uint8_t* reply);

    std::atomic<uint16_t> transferSize_{kMaxTransferSize};
    std::atomic<int> busy_{0}; // number of Transact calls running
    std::atomic<int> open_{0};
    std::atomic<int> synchronised_{0};
    CHidDevice linkA_;
    CHidDevice linkB_;
    std::recursive_mutex transactionLock_;
    std::recursive_mutex receiverLock_;
    std::recursive_mutex commandLock_;
    std::recursive_mutex lightingLock_;
    std::atomic<int> wireless_{0};
    std::atomic<uint8_t> chunkSize_{24};
};
