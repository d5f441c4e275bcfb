#include "link/DeviceLink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/DebugOutput.h"
#include "platform/Event.h"

namespace {

constexpr uint8_t kStatusFF = 0xFF;
constexpr uint8_t kStatusFE = 0xFE;
constexpr uint8_t kWirelessOnline = 0xFF;
constexpr uint32_t kEndTransferPauseMs = 10;
constexpr uint32_t kBulkChunk = 56;

// The label line, then the 64 bytes as two lines of 32 in the form
// "%02x %02x %02x %02x   ... %02x  %02x ...": groups of four, three spaces between the first four
// groups, two between the last four. Formatted by hand: it runs on every transaction.
void DumpFrame(const char* label, const uint8_t* bytes)
{
    if (!platform::DebugOutputEnabled()) {
        return;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = label;
    text += '\n';
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < 32; ++i) {
            const uint8_t b = bytes[half * 32 + i];
            text += kDigits[b >> 4];
            text += kDigits[b & 0xF];
            if (i == 31) {
                break;
            }
            const int done = i + 1;
            text.append(done % 4 != 0 ? 1 : (done < 16 ? 3 : 2), ' ');
        }
        text += '\n';
    }
    platform::DebugOutput(text);
}

struct BusyScope
{
    explicit BusyScope(std::atomic<int>& busy) : busy_(busy) { ++busy_; }
    ~BusyScope() { --busy_; }
    std::atomic<int>& busy_;
};

} // namespace

int CDeviceLink::Transact(const uint8_t* request, uint32_t requestLength, uint8_t* reply,
                          uint32_t replyLength, uint32_t* bytesRead)
{
    BusyScope busy(busy_);
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    if (!IsOpen() || request == nullptr || reply == nullptr) {
        return kLinkNotSent;
    }
    std::array<uint8_t, CommandFrame::kSize> out{};
    std::memcpy(out.data(), request, std::min<uint32_t>(requestLength, CommandFrame::kSize));
    DumpFrame("命令", out.data());

    // The side and its time-out are read under the lock that a cable/receiver switch holds, so a
    // command never goes to a side the switch just closed; the read checks they still hold.
    bool wireless = false;
    {
        std::lock_guard<std::recursive_mutex> guard(transactionLock_);
        if (!IsOpen()) {
            return kLinkNotSent;
        }
        wireless = IsWireless();
        uint32_t written = 0;
        if (!SideOf(wireless).WriteReport(out.data(), CommandFrame::kSize, &written, TimeoutOf(wireless))) {
            return kLinkWriteFailed;
        }
    }
    int result = kLinkNotSent;
    {
        // Released between the write and the reads: a lighting frame may slip in, and its reply is
        // the one skipped here.
        std::lock_guard<std::recursive_mutex> guard(transactionLock_);
        CHidDevice& side = SideOf(wireless);
        for (int attempt = 0; attempt < 2 && IsOpen() && IsWireless() == wireless; ++attempt) {
            uint32_t got = 0;
            const bool ok = side.ReadReport(reply, replyLength, &got, TimeoutOf(wireless));
            if (bytesRead != nullptr) {
                *bytesRead = got;
            }
            result = ok ? kLinkOk : kLinkNotSent;
            if (!ok || replyLength <= 3 || reply[3] == out[3]) {
                break; // a failed read is not retried: its buffer holds no reply to compare
            }
            if (wireless && reply[3] == kCmdWirelessOnline) {
                result = kLinkWirelessAa;
                break;
            }
        }
    }
    std::array<uint8_t, CommandFrame::kSize> shown{};
    std::memcpy(shown.data(), reply, std::min<uint32_t>(replyLength, CommandFrame::kSize));
    DumpFrame("返回", shown.data());
    return result;
}

int CDeviceLink::TransactPlain(const uint8_t* request, uint32_t requestLength, uint8_t* reply,
                               uint32_t replyLength, uint32_t* bytesRead)
{
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    if (!IsOpen() || request == nullptr || reply == nullptr) {
        return kLinkNotSent;
    }
    std::array<uint8_t, CommandFrame::kSize> out{};
    std::memcpy(out.data(), request, std::min<uint32_t>(requestLength, CommandFrame::kSize));
    {
        std::lock_guard<std::recursive_mutex> guard(transactionLock_);
        uint32_t written = 0;
        if (!linkA_.WriteReport(out.data(), CommandFrame::kSize, &written, kWiredTimeoutMs)) {
            return kLinkWriteFailed;
        }
    }
    std::lock_guard<std::recursive_mutex> guard(transactionLock_);
    return linkA_.ReadReport(reply, replyLength, bytesRead, kWiredTimeoutMs) ? kLinkOk : kLinkNotSent;
}

void CDeviceLink::SetLinkMode(int mode)
{
    const bool wireless = mode == kLinkModeWireless;
    wireless_ = wireless ? 1 : 0;
    chunkSize_ = wireless ? 24 : 56;
}

bool CDeviceLink::SetTransferSize(uint16_t size)
{
    if (size > kMaxTransferSize) {
        return false;
    }
    transferSize_ = size;
    return true;
}

int CDeviceLink::SendLightingChunk(const CommandFrame& request, uint8_t* reply)
{
    if (IsBusy()) {
        platform::DebugOutput("放弃灯光数据\n");
        return kLinkOk;
    }
    if (IsWireless()) {
        return kLinkOk; // frames are not streamed over the receiver
    }
    std::lock_guard<std::recursive_mutex> guard(lightingLock_);
    uint32_t got = 0;
    return TransactPlain(request.data(), CommandFrame::kSize, reply, CommandFrame::kSize, &got);
}

int CDeviceLink::Exchange(uint8_t code, uint8_t length, uint16_t offset, const uint8_t* out, ChunkLock lock,
                          uint8_t* in, uint8_t* replyOut)
{
    const CommandFrame request = CommandFrame::Request(
        code, length, offset, out != nullptr ? std::span(out, length) : std::span<uint8_t>());
    std::array<uint8_t, CommandFrame::kSize> reply{};
    int result = kLinkNotSent;
    if (code == kCmdLightingFrame) {
        result = SendLightingChunk(request, reply.data());
    } else {
        std::unique_lock<std::recursive_mutex> guard;
        if (lock != ChunkLock::None) {
            guard = std::unique_lock(lock == ChunkLock::Command ? commandLock_ : lightingLock_);
        }
        uint32_t got = 0;
        result = Transact(request.data(), CommandFrame::kSize, reply.data(), CommandFrame::kSize, &got);
    }
    if (replyOut != nullptr) {
        std::memcpy(replyOut, reply.data(), reply.size());
    }
    if (result != kLinkOk) {
        return result;
    }
    if (reply[7] == kStatusFF) {
        return kLinkStatusFF;
    }
    if (reply[7] == kStatusFE) {
        return kLinkStatusFE;
    }
    if (in != nullptr) {
        std::memcpy(in, reply.data() + CommandFrame::kPayloadOffset, length);
    }
    return kLinkOk;
}

int CDeviceLink::RunChunked(const Chunked& command, const uint8_t* out, uint8_t* in, uint32_t length)
{
    if (length > 0 && out == nullptr && in == nullptr) {
        return kLinkNotSent;
    }
    const uint32_t chunk = std::clamp<uint32_t>(command.chunk, 1, CommandFrame::kPayloadSize);
    for (uint32_t p = 0; p < length; p += chunk) {
        const auto n = static_cast<uint8_t>(std::min(chunk, length - p));
        const auto offset = static_cast<uint16_t>(command.base + p);
        const int result = Exchange(command.code, n, offset, out != nullptr ? out + p : nullptr, command.lock,
                                    in != nullptr ? in + p : nullptr);
        if (result != kLinkOk) {
            return result;
        }
    }
    return kLinkOk;
}

int CDeviceLink::BeginTransfer()
{
    return Exchange(kCmdBeginTransfer, 0, 0, nullptr, ChunkLock::Command, nullptr);
}

int CDeviceLink::EndTransfer()
{
    platform::SleepMs(kEndTransferPauseMs);
    return Exchange(kCmdEndTransfer, 0, 0, nullptr, ChunkLock::Command, nullptr);
}

int CDeviceLink::ReadDeviceInfoBlock(uint8_t* block34)
{
    return RunChunked({kCmdDeviceInfo, chunkSize_, ChunkLock::Command, 0}, nullptr, block34, kDeviceInfoSize);
}

int CDeviceLink::ReadDeviceInfo(uint8_t* info32, uint16_t* value)
{
    uint8_t block[kDeviceInfoSize] = {};
    const int result = ReadDeviceInfoBlock(block);
    if (result == kLinkOk) {
        if (info32 != nullptr) {
            std::memcpy(info32, block, 32);
        }
        if (value != nullptr) {
            *value = static_cast<uint16_t>(block[32] | (block[33] << 8));
        }
    }
    return result;
}

int CDeviceLink::ReadSettings(uint16_t base, uint8_t* data, uint32_t length)
{
    return RunChunked({kCmdReadSettings, chunkSize_, ChunkLock::Command, base}, nullptr, data, length);
}

int CDeviceLink::WriteSettings(uint16_t base, const uint8_t* data, uint32_t length)
{
    return RunChunked({kCmdWriteSettings, chunkSize_, ChunkLock::Command, base}, data, nullptr, length);
}

int CDeviceLink::ReadKeyTable(uint8_t* data)
{
    return RunChunked({kCmdReadKeyTable, chunkSize_, ChunkLock::Command, 0}, nullptr, data, transferSize_);
}

int CDeviceLink::WriteKeyTable(const uint8_t* data, int bank)
{
    if (bank != 0) {
        return kLinkBadBank;
    }
    // Byte 6 would carry the high byte of bank × 512 + position; with bank 0 that is the position.
    return RunChunked({kCmdWriteKeyTable, chunkSize_, ChunkLock::Command, 0}, data, nullptr, transferSize_);
}

int CDeviceLink::WriteCustomColours(int index, const uint8_t* data, uint32_t length, uint16_t stride)
{
    const auto base = static_cast<uint32_t>(index) * stride;
    return RunChunked({kCmdWriteCustomColours, chunkSize_, ChunkLock::Lighting, base}, data, nullptr, length);
}

int CDeviceLink::WriteLightingFrame(const uint8_t* data, uint32_t length)
{
    return RunChunked({kCmdLightingFrame, chunkSize_, ChunkLock::Lighting, 0}, data, nullptr, length);
}

int CDeviceLink::WriteMacroData(const uint8_t* data, uint32_t length)
{
    return RunChunked({kCmdWriteMacroData, chunkSize_, ChunkLock::Command, 0}, data, nullptr, length);
}

int CDeviceLink::WriteBulkBlock(const uint8_t* data, uint32_t length)
{
    return RunChunked({kCmdWriteBulkBlock, kBulkChunk, ChunkLock::None, 0}, data, nullptr, length);
}

int CDeviceLink::ReadStatusBlock(uint16_t offset, uint8_t* data, uint32_t length)
{
    if (length > CommandFrame::kPayloadSize || (length > 0 && data == nullptr)) {
        return kLinkNotSent;
    }
    return Exchange(kCmdReadStatusBlock, static_cast<uint8_t>(length), offset, nullptr, ChunkLock::Command,
                    data);
}

int CDeviceLink::ReadKeyTableCompanion(uint8_t* data)
{
    return RunChunked({kCmdReadKeyTableCompanion, chunkSize_, ChunkLock::Command, 0}, nullptr, data,
                      transferSize_ / 3u);
}

int CDeviceLink::TakeLightingControl()
{
    return Exchange(kCmdTakeLightingControl, 0, 0, nullptr, ChunkLock::Command, nullptr);
}

bool CDeviceLink::QueryWirelessOnline()
{
    if (!IsWireless()) {
        return true;
    }
    std::array<uint8_t, CommandFrame::kSize> reply{};
    const int result = Exchange(kCmdWirelessOnline, 0, 0, nullptr, ChunkLock::Command, nullptr, reply.data());
    return result == kLinkOk && reply[CommandFrame::kPayloadOffset] == kWirelessOnline;
}
