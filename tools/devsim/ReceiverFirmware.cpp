#include "tools/devsim/ReceiverFirmware.h"

#include <algorithm>

namespace devsim {

std::optional<Frame> CReceiverFirmware::HandleCommand(const Frame& request)
{
    const uint8_t command = FrameCommand(request);
    if (command != kOnlineQuery && online_)
        return device_->HandleCommand(request);
    Frame reply{};
    std::copy_n(request.begin(), 7, reply.begin());
    reply[3] = kOnlineQuery;
    if (command == kOnlineQuery) {
        ++onlineQueries_;
        reply[kPayloadOffset] = online_ ? 0xFF : 0x00;
    }
    return reply;
}

} // namespace devsim
