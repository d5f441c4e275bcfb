#pragma once
// CommandFrame: the 64-byte report that carries one command request or its reply.
//   0 report id (4) | 1-2 checksum of bytes 3..63, little-endian | 3 command | 4 payload length
//   5-6 offset of this chunk, little-endian | 7 status (0 in requests) | 8-63 payload

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

struct CommandFrame
{
    static constexpr size_t kSize = 64;
    static constexpr size_t kPayloadOffset = 8;
    static constexpr size_t kPayloadSize = 56;
    static constexpr uint8_t kReportId = 4;

    // A request: report id, command, length and offset set, the payload copied (at most 56 bytes) and
    // the checksum computed last.
    static CommandFrame Request(uint8_t command, uint8_t length, uint16_t offset,
                                std::span<const uint8_t> payload = {});

    // Low 16 bits of the sum of bytes 3 to 63.
    uint16_t ComputeChecksum() const;
    // Stores the checksum in bytes 1-2; call after every other byte is set.
    void Seal();

    uint8_t Command() const { return bytes[3]; }
    uint8_t Length() const { return bytes[4]; }
    uint16_t Offset() const { return static_cast<uint16_t>(bytes[5] | (bytes[6] << 8)); }
    uint8_t Status() const { return bytes[7]; }
    uint16_t Checksum() const { return static_cast<uint16_t>(bytes[1] | (bytes[2] << 8)); }
    uint8_t* Payload() { return bytes.data() + kPayloadOffset; }
    const uint8_t* Payload() const { return bytes.data() + kPayloadOffset; }
    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }

    std::array<uint8_t, kSize> bytes{};
};
