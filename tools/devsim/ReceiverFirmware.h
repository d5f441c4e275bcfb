#pragma once
// A wireless receiver: answers the online query (command 0xAA, byte 8 = 0xFF while its device is
// reachable, 0 otherwise) itself and passes every other command to its device's firmware. While the
// device is offline the receiver answers any other command with command byte 0xAA, as real
// receivers do.

#include "tools/devsim/FirmwareModel.h"

#include <memory>

namespace devsim {

inline constexpr uint8_t kOnlineQuery = 0xAA;

class CReceiverFirmware
{
public:
    explicit CReceiverFirmware(std::shared_ptr<CFirmwareModel> device) : device_(std::move(device)) {}

    std::optional<Frame> HandleCommand(const Frame& request);
    void SetDeviceOnline(bool online) { online_ = online; }
    bool DeviceOnline() const { return online_; }
    int OnlineQueryCount() const { return onlineQueries_; }

private:
    std::shared_ptr<CFirmwareModel> device_;
    bool online_ = true;
    int onlineQueries_ = 0;
};

} // namespace devsim
