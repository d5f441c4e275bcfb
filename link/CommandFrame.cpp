#include "link/CommandFrame.h"

#include <algorithm>
#include <numeric>

CommandFrame CommandFrame::Request(uint8_t command, uint8_t length, uint16_t offset,
                                   std::span<const uint8_t> payload)
{
    CommandFrame f;
    f.bytes[0] = kReportId;
    f.bytes[3] = command;
    f.bytes[4] = length;
    f.bytes[5] = static_cast<uint8_t>(offset & 0xFF);
    f.bytes[6] = static_cast<uint8_t>(offset >> 8);
    std::copy_n(payload.begin(), std::min(payload.size(), kPayloadSize), f.Payload());
    f.Seal();
    return f;
}

uint16_t CommandFrame::ComputeChecksum() const
{
    return static_cast<uint16_t>(std::accumulate(bytes.begin() + 3, bytes.end(), 0u));
}

void CommandFrame::Seal()
{
    const uint16_t sum = ComputeChecksum();
    bytes[1] = static_cast<uint8_t>(sum & 0xFF);
    bytes[2] = static_cast<uint8_t>(sum >> 8);
}
