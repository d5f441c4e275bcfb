#include "tools/devsim/CommandFrame.h"

#include <algorithm>

namespace devsim {

Frame MakeRequest(uint8_t command, uint8_t length, uint16_t offset, const uint8_t* payload,
                  size_t payloadLength)
{
    Frame f{};
    f[0] = kCommandReportId;
    f[3] = command;
    f[4] = length;
    f[5] = static_cast<uint8_t>(offset);
    f[6] = static_cast<uint8_t>(offset >> 8);
    if (payload)
        std::copy_n(payload, std::min(payloadLength, kPayloadSize), f.begin() + kPayloadOffset);
    SealFrame(f);
    return f;
}

} // namespace devsim
