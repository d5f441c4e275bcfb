#pragma once
// Faults injected into a device's answers. Each fault watches one command code (or every one),
// lets `skip` matching requests pass, then acts on the next `count` of them (0 = until cleared):
//   delay   the reply leaves after delayMs;
//   drop    the device acts on the request but sends no reply;
//   other   the device first answers `repeats` times (1 or 2) with command byte `value`, then
//           with its real reply;
//   status  the device refuses the request (memory unchanged) with status `value` (0xFF, 0xFE);
//   vanish  the device is unplugged on that request, without a reply.

#include <cstdint>
#include <json/value.h>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

enum class FaultKind
{
    Delay,
    Drop,
    OtherCommand,
    Status,
    Vanish
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
};

// What the faults make of one request.
struct FaultOutcome
{
    bool vanish = false;
    std::optional<uint8_t> refuseWithStatus;
    bool dropReply = false;
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
    // Consults (and advances) every fault for one request of the given command.
    FaultOutcome Next(uint8_t command);
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
std::optional<FaultKind> FaultKindFromName(const std::string& name);

} // namespace devsim
