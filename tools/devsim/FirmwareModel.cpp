#include "tools/devsim/FirmwareModel.h"

#include "tools/devsim/HexText.h"

#include <algorithm>
#include <cstdio>

namespace devsim {

namespace {

enum class Access
{
    None,
    Read,
    Write
};

struct CommandEntry
{
    uint8_t command;
    Access access;
    Region region;
};

// Commands that move data, and where.
constexpr CommandEntry kCommands[] = {
    {0x03, Access::Read, Region::Info},      {0x05, Access::Read, Region::Settings},
    {0x06, Access::Write, Region::Settings}, {0x07, Access::Read, Region::KeyTable},
    {0x09, Access::Write, Region::KeyTable}, {0x0B, Access::Write, Region::Colours},
    {0x12, Access::Write, Region::Frame},    {0x15, Access::Write, Region::Macro},
    {0x17, Access::Write, Region::Recoil},   {0x1A, Access::Read, Region::Status},
    {0x1B, Access::Read, Region::KeyLeds},
};
constexpr uint8_t kOpenTransfer = 0x01;
constexpr uint8_t kCloseTransfer = 0x02;
constexpr uint8_t kTakeLightingControl = 0x1C;
constexpr uint8_t kLightingFrame = 0x12;

constexpr const char* kRegionNames[kRegionCount] = {"info",  "settings", "keyTable", "keyLeds", "colours",
                                                    "macro", "recoil",   "status",   "frame"};

} // namespace

const char* RegionName(Region region)
{
    return kRegionNames[static_cast<size_t>(region)];
}

std::optional<Region> RegionFromName(const std::string& name)
{
    for (size_t i = 0; i < kRegionCount; ++i)
        if (name == kRegionNames[i])
            return static_cast<Region>(i);
    return std::nullopt;
}

void CFirmwareModel::LayOut(const std::array<size_t, kRegionCount>& sizes)
{
    for (size_t i = 0; i < kRegionCount; ++i)
        memory_[i].assign(sizes[i], 0);
    auto& info = Memory(Region::Info);
    if (info.size() >= 2) {
        info[0] = 0xAA;
        info[1] = 0x55;
    }
}

void CFirmwareModel::PutLe16(Region region, size_t offset, uint16_t value)
{
    auto& m = Memory(region);
    if (offset + 2 > m.size())
        return;
    m[offset] = static_cast<uint8_t>(value);
    m[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void CFirmwareModel::FillKeyTable(std::span<const std::array<uint8_t, 3>> keys)
{
    auto& table = Memory(Region::KeyTable);
    auto& leds = Memory(Region::KeyLeds);
    for (size_t k = 0; k < keys.size() && k * 3 + 2 < table.size() && k < leds.size(); ++k) {
        std::copy(keys[k].begin(), keys[k].end(), table.begin() + static_cast<std::ptrdiff_t>(k * 3));
        leds[k] = static_cast<uint8_t>(k);
    }
}

std::optional<CFirmwareModel::ProfileSwitch> CFirmwareModel::DecodeProfileSwitch(uint16_t eventCode) const
{
    const int high = eventCode >> 8;
    const ProfileSwitch s{eventCode & 0x0F, (eventCode >> 4) & 0x0F, high == 0x11};
    if ((high != 0x10 && high != 0x11) || s.profile >= ProfileCount())
        return std::nullopt;
    return s;
}

void CFirmwareModel::SetBattery(uint8_t level, uint8_t chargingState)
{
    auto& status = Memory(Region::Status);
    if (status.size() < kBatteryRecordSize)
        return;
    status[0] = level;
    status[1] = chargingState;
    status[4] = level;
}

int CFirmwareModel::CommandCount(uint8_t command) const
{
    auto it = commandCounts_.find(command);
    return it == commandCounts_.end() ? 0 : it->second;
}

uint8_t CFirmwareModel::CheckRange(Region region, size_t offset, size_t length) const
{
    const size_t size = Memory(region).size();
    if (length > kPayloadSize || offset > size || length > size - offset)
        return kStatusOutOfRange;
    return kStatusOk;
}

void CFirmwareModel::NoteRequest(const Frame& request)
{
    if (requests_.size() >= kRequestHistory)
        requests_.pop_front();
    requests_.push_back(request);
    ++commandCounts_[FrameCommand(request)];
}

std::optional<Frame> CFirmwareModel::HandleCommand(const Frame& request)
{
    NoteRequest(request);
    Frame reply{};
    std::copy_n(request.begin(), 7, reply.begin());
    reply[7] = Execute(request, reply);
    return reply;
}

uint8_t CFirmwareModel::Execute(const Frame& request, Frame& reply)
{
    if (FrameChecksum(request) != static_cast<uint16_t>(request[1] | request[2] << 8))
        return kStatusBadChecksum;
    const uint8_t command = FrameCommand(request);
    switch (command) {
    case kOpenTransfer:
        transferOpen_ = true;
        return kStatusOk;
    case kCloseTransfer:
        transferOpen_ = false;
        return kStatusOk;
    case kTakeLightingControl:
        return kStatusOk;
    default:
        break;
    }
    const auto* entry = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [&](const CommandEntry& e) { return e.command == command; });
    if (entry == std::end(kCommands))
        return kStatusOutOfRange;
    const size_t length = FrameLength(request);
    const size_t offset = FrameOffset(request);
    if (const uint8_t status = CheckRange(entry->region, offset, length); status != kStatusOk)
        return status;
    auto& memory = Memory(entry->region);
    if (entry->access == Access::Read) {
        std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(offset), length,
                    reply.begin() + kPayloadOffset);
    } else {
        if (command == kLightingFrame)
            NoteFrameChunk(static_cast<uint16_t>(offset));
        std::copy_n(request.begin() + kPayloadOffset, length,
                    memory.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return kStatusOk;
}

void CFirmwareModel::NoteFrameChunk(uint16_t offset)
{
    // A chunk at offset 0 starts a new frame; the previous one is complete.
    if (offset == 0 && frameStarted_) {
        if (frames_.size() >= kFrameHistory)
            frames_.pop_front();
        frames_.push_back(Memory(Region::Frame));
    }
    frameStarted_ = true;
}

void CFirmwareModel::HandleOutputReport(std::span<const uint8_t> report)
{
    (void)report;
}

Json::Value CFirmwareModel::SaveMemory() const
{
    Json::Value saved(Json::objectValue);
    for (size_t i = 0; i < kRegionCount; ++i) {
        const auto region = static_cast<Region>(i);
        if (region != Region::Frame && !Memory(region).empty())
            saved[RegionName(region)] = ToHex(Memory(region));
    }
    return saved;
}

bool CFirmwareModel::LoadMemory(const Json::Value& saved, std::string& error)
{
    if (!saved.isObject()) {
        error = "memory is not an object";
        return false;
    }
    std::array<std::optional<std::vector<uint8_t>>, kRegionCount> loaded;
    for (const std::string& name : saved.getMemberNames()) {
        const auto region = RegionFromName(name);
        if (!region || *region == Region::Frame || !saved[name].isString()) {
            error = "unknown memory region " + name;
            return false;
        }
        auto bytes = FromHex(saved[name].asString());
        if (!bytes || bytes->size() != Memory(*region).size()) {
            error = "region " + name + " has the wrong size or is not hexadecimal";
            return false;
        }
        loaded[static_cast<size_t>(*region)] = std::move(bytes);
    }
    for (size_t i = 0; i < kRegionCount; ++i)
        if (loaded[i])
            memory_[i] = std::move(*loaded[i]);
    return true;
}

Json::Value CFirmwareModel::Dump() const
{
    Json::Value dump(Json::objectValue);
    dump["kind"] = KindName();
    dump["memory"] = SaveMemory();
    dump["transferOpen"] = transferOpen_;
    Json::Value counts(Json::objectValue);
    for (const auto& [command, count] : commandCounts_) {
        char name[8];
        snprintf(name, sizeof name, "0x%02x", command);
        counts[name] = count;
    }
    dump["commands"] = counts;
    Json::Value frames(Json::arrayValue);
    for (const auto& f : frames_)
        frames.append(ToHex(f));
    if (frameStarted_)
        frames.append(ToHex(Memory(Region::Frame)));
    dump["lastFrames"] = frames;
    Json::Value requests(Json::arrayValue);
    for (const auto& r : requests_)
        requests.append(ToHex(r));
    dump["lastRequests"] = requests;
    return dump;
}

} // namespace devsim
