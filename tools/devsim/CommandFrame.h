#pragma once
// The 64-byte command frame as the firmware sees it: report id 4, checksum of bytes 3-63 in bytes
// 1-2, command, chunk length, 16-bit offset, status, 56 payload bytes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace devsim {

using Frame = std::array<uint8_t, 64>;

inline constexpr uint8_t kCommandReportId = 4;
inline constexpr size_t kPayloadOffset = 8;
inline constexpr size_t kPayloadSize = 56;

// Reply status bytes.
inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusOutOfRange = 0xFF;
inline constexpr uint8_t kStatusBadChecksum = 0xFE;

inline uint16_t FrameChecksum(const Frame& f)
{
    uint32_t sum = 0;
    for (size_t i = 3; i < f.size(); ++i)
        sum += f[i];
    return static_cast<uint16_t>(sum);
}

inline void SealFrame(Frame& f)
{
    const uint16_t sum = FrameChecksum(f);
    f[1] = static_cast<uint8_t>(sum);
    f[2] = static_cast<uint8_t>(sum >> 8);
}

inline uint8_t FrameCommand(const Frame& f)
{
    return f[3];
}
inline uint8_t FrameLength(const Frame& f)
{
    return f[4];
}
inline uint16_t FrameOffset(const Frame& f)
{
    return static_cast<uint16_t>(f[5] | (f[6] << 8));
}

// A request frame with the given fields and payload, sealed with its checksum.
Frame MakeRequest(uint8_t command, uint8_t length, uint16_t offset, const uint8_t* payload = nullptr,
                  size_t payloadLength = 0);

} // namespace devsim
