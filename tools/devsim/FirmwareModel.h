#pragma once
// The firmware of one simulated device: its memory regions and its answers to command frames.
// Every reply repeats bytes 0-6 of the request and carries the status in byte 7: 0 on success,
// 0xFF when the command is unknown or the chunk lies outside the region (or is longer than 56
// bytes), 0xFE when the request's checksum is wrong. A refused write changes nothing.
// The kinds differ in their information block, region sizes, profile layout and events; each kind
// is a subclass that lays out its memory and handles what is its own.
// Not thread-safe: the simulator serialises every call under its own lock.

#include "tools/devsim/CommandFrame.h"

#include <array>
#include <cstdint>
#include <deque>
#include <json/value.h>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace devsim {

enum class Region
{
    Info,     // 0x03: the 34-byte information block
    Settings, // 0x05 read, 0x06 write: byte 0 the current profile, then per-profile records
    KeyTable, // 0x07 read, 0x09 write: 3 bytes per device key
    KeyLeds,  // 0x1B read: one LED number per device key
    Colours,  // 0x0B write: custom colour sets, 512 bytes apart
    Macro,    // 0x15 write: macro data block
    Recoil,   // 0x17 write: the mouse's recoil block
    Status,   // 0x1A read: the 6-byte battery record at offset 0
    Frame,    // 0x12 write: the software lighting frame being received
};
inline constexpr size_t kRegionCount = 9;
const char* RegionName(Region region);
std::optional<Region> RegionFromName(const std::string& name);

inline constexpr uint16_t kColourSetStride = 512;
inline constexpr size_t kInfoBlockSize = 34;
inline constexpr size_t kBatteryRecordSize = 6;
// Completed lighting frames kept for dumps and tests.
inline constexpr size_t kFrameHistory = 8;
// Request frames kept for dumps and tests.
inline constexpr size_t kRequestHistory = 32;

class CFirmwareModel
{
public:
    virtual ~CFirmwareModel() = default;

    // The kind's name in dumps and state files ("keyboard", "mouse", "mousepad", "headset").
    virtual std::string KindName() const = 0;
    // Answers one request frame; an empty answer means the device sends nothing.
    virtual std::optional<Frame> HandleCommand(const Frame& request);
    // Output reports that are not command frames (the headset's lighting reports).
    virtual void HandleOutputReport(std::span<const uint8_t> report);
    // The device switched profile itself (event codes 0x10xy and 0x11xy); updates the memory.
    virtual void ApplyProfileSwitch(uint16_t eventCode) { (void)eventCode; }
    // Number of profiles the settings memory holds.
    virtual int ProfileCount() const = 0;

    std::vector<uint8_t>& Memory(Region region) { return memory_[static_cast<size_t>(region)]; }
    const std::vector<uint8_t>& Memory(Region region) const { return memory_[static_cast<size_t>(region)]; }
    void SetBattery(uint8_t level, uint8_t chargingState);

    // Lighting frames received with command 0x12, oldest first, and the one being received.
    const std::deque<std::vector<uint8_t>>& CompletedFrames() const { return frames_; }
    const std::deque<Frame>& RequestHistory() const { return requests_; }
    // How many requests of a command arrived.
    int CommandCount(uint8_t command) const;
    // Records a request that arrived (HandleCommand does it; a fault that stops the request before
    // the firmware acts on it does it in its place).
    void NoteRequest(const Frame& request);
    bool TransferOpen() const { return transferOpen_; }

    // Memory and counters as JSON (hexadecimal blocks).
    virtual Json::Value Dump() const;
    Json::Value SaveMemory() const;
    // Takes regions of the saved form; a region of another size or bad hex is refused whole.
    bool LoadMemory(const Json::Value& saved, std::string& error);

protected:
    CFirmwareModel() = default;
    void SetRegionSize(Region region, size_t size) { Memory(region).assign(size, 0); }
    // Sizes every region and starts the information block with the firmware's 0xAA 0x55 mark.
    void LayOut(const std::array<size_t, kRegionCount>& sizes);
    void PutLe16(Region region, size_t offset, uint16_t value);
    // Fills the key table with 3-byte assignments and gives device key k LED k.
    void FillKeyTable(std::span<const std::array<uint8_t, 3>> keys);

    // A profile switch event: profile y (low 4 bits) and, in the 0x11 form, value x (bits 4-7).
    struct ProfileSwitch
    {
        int profile;
        int value;
        bool withValue;
    };
    // Empty for other codes and for a profile the device does not have.
    std::optional<ProfileSwitch> DecodeProfileSwitch(uint16_t eventCode) const;
    // Status of an access of length bytes at offset in a region.
    uint8_t CheckRange(Region region, size_t offset, size_t length) const;

private:
    uint8_t Execute(const Frame& request, Frame& reply);
    void NoteFrameChunk(uint16_t offset);

    std::array<std::vector<uint8_t>, kRegionCount> memory_;
    std::deque<std::vector<uint8_t>> frames_;
    bool frameStarted_ = false;
    std::deque<Frame> requests_;
    std::map<uint8_t, int> commandCounts_;
    bool transferOpen_ = false;
};

} // namespace devsim
