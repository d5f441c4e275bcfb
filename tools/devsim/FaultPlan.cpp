#include "tools/devsim/FaultPlan.h"

#include <algorithm>
#include <iterator>

namespace devsim {

namespace {

constexpr const char* kKindNames[] = {"delay", "drop", "other", "status", "vanish", "checksum"};

} // namespace

const char* FaultKindName(FaultKind kind)
{
    return kKindNames[static_cast<int>(kind)];
}

std::span<const char* const> FaultKindNames()
{
    return kKindNames;
}

std::optional<FaultKind> FaultKindFromName(const std::string& name)
{
    for (size_t i = 0; i < std::size(kKindNames); ++i)
        if (name == kKindNames[i])
            return static_cast<FaultKind>(i);
    return std::nullopt;
}

FaultOutcome CFaultPlan::Next(uint8_t command, uint16_t offset)
{
    FaultOutcome out;
    for (Armed& a : faults_) {
        const Fault& f = a.fault;
        if ((f.command && *f.command != command) || (f.offset && *f.offset != offset))
            continue;
        if (a.seen++ < f.skip)
            continue;
        if (f.count != 0 && a.applied >= f.count)
            continue;
        ++a.applied;
        switch (f.kind) {
        case FaultKind::Delay:
            out.delayMs += f.delayMs;
            break;
        case FaultKind::Drop:
            out.dropReply = true;
            break;
        case FaultKind::OtherCommand:
            out.otherCommand = f.value;
            out.otherRepeats = std::clamp<int>(f.repeats, 1, 2);
            break;
        case FaultKind::Status:
            out.refuseWithStatus = f.value;
            break;
        case FaultKind::Vanish:
            out.vanish = true;
            break;
        case FaultKind::Checksum:
            out.badChecksum = true;
            break;
        }
    }
    std::erase_if(faults_, [](const Armed& a) { return a.fault.count != 0 && a.applied >= a.fault.count; });
    return out;
}

Json::Value CFaultPlan::Dump() const
{
    Json::Value list(Json::arrayValue);
    for (const Armed& a : faults_) {
        Json::Value f(Json::objectValue);
        f["kind"] = FaultKindName(a.fault.kind);
        if (a.fault.command)
            f["command"] = *a.fault.command;
        if (a.fault.offset)
            f["offset"] = *a.fault.offset;
        f["skip"] = a.fault.skip;
        f["count"] = a.fault.count;
        f["delayMs"] = a.fault.delayMs;
        f["value"] = a.fault.value;
        f["repeats"] = a.fault.repeats;
        f["applied"] = a.applied;
        list.append(f);
    }
    return list;
}

} // namespace devsim
