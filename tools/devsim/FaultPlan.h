#pragma once
// Faults injected into a device's answers. Each fault watches one command code (or every one), and
// optionally only the chunk at one offset (bytes 5-6 of the request), lets `skip` matching requests
// pass, then acts on the next `count` of them (0 = until cleared):
//   delay   the reply leaves after delayMs;
//   drop    the device acts on the request but sends no reply;
//   other   the device first answers `repeats` times (1 or 2) with command byte `value`, then
//           with its real reply;
//   status  the device refuses the request (memory unchanged) with status `value` (0xFF, 0xFE);
//   vanish  the device is unplugged on that request, without a reply;
//   checksum  the reply's checksum bytes (1-2) are the complement of the request's.

#include <cstdint>
#include <json/value.h>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace devsim {

enum class FaultKind
{
    Delay,
    Drop,
    OtherCommand,
    Status,
    Vanish,
    Checksum
};

struct Fault
{
    FaultKind kind = FaultKind::Drop;
    std::optional<uint8_t> command; // empty: every command
    uint32_t skip = 0;
    uint32_t count = 1; // 0: until cleared
    uint32_t delayMs = 0;
    uint8_t value = 0; // the other command byte, or the status byte
    uint8_t repeats = 1;
    std::optional<uint16_t> offset = std::nullopt; // empty: a chunk at any offset
};

// What the faults make of one request.
struct FaultOutcome
{
    bool vanish = false;
    std::optional<uint8_t> refuseWithStatus;
    bool dropReply = false;
    bool badChecksum = false;
    uint32_t delayMs = 0;
    uint8_t otherCommand = 0;
    int otherRepeats = 0;
};

class CFaultPlan
{
public:
    void Add(const Fault& fault) { faults_.push_back({fault, 0, 0}); }
    void Clear() { faults_.clear(); }
    bool Empty() const { return faults_.empty(); }
    // Consults (and advances) every fault for one request of the given command and chunk offset.
    FaultOutcome Next(uint8_t command, uint16_t offset);
    Json::Value Dump() const;

private:
    struct Armed
    {
        Fault fault;
        uint32_t seen;
        uint32_t applied;
    };
    std::vector<Armed> faults_;
};

const char* FaultKindName(FaultKind kind);
// Every kind's name, in the order of FaultKind.
std::span<const char* const> FaultKindNames();
std::optional<FaultKind> FaultKindFromName(const std::string& name);

} // namespace devsim
