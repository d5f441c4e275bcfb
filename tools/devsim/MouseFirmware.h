#pragma once
// The mouse's firmware: 128-byte settings blocks per profile (the block of profile 0 shares its
// first byte with the current-profile byte), a key table of 11 buttons, the recoil block written
// with command 0x17, macro memory and the battery record.

#include "tools/devsim/FirmwareModel.h"

namespace devsim {

class CMouseFirmware : public CFirmwareModel
{
public:
    static constexpr int kKeyCount = 11;
    static constexpr int kProfiles = 5;
    static constexpr size_t kBlockStride = 128;
    static constexpr size_t kActiveStageByte = 12;
    static constexpr uint16_t kSensorId = 0x3389;
    static constexpr uint8_t kDpiStep = 50;
    static constexpr uint16_t kHighestStep = 519;
    static constexpr uint16_t kLowestDpi = 100;
    static constexpr size_t kRecoilSize = 4096;

    CMouseFirmware();
    std::string KindName() const override { return "mouse"; }
    int ProfileCount() const override { return kProfiles; }
    // 0x10xy: profile y; 0x11xy: profile y with active DPI stage x.
    void ApplyProfileSwitch(uint16_t eventCode) override;
};

} // namespace devsim
