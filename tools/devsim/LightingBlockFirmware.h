#pragma once
// Firmware of the lighting-only devices (mouse pad, headset): a 21-byte lighting block per profile
// in a 256-byte settings memory (the host reads blocks 25 bytes apart and writes them 64 apart),
// byte 0 the current profile, and the battery record.

#include "tools/devsim/FirmwareModel.h"

namespace devsim {

class CLightingBlockFirmware : public CFirmwareModel
{
public:
    static constexpr int kProfiles = 4;
    static constexpr size_t kSettingsSize = 256;
    static constexpr size_t kBlockSize = 21;
    static constexpr size_t kWriteStride = 64;

    int ProfileCount() const override { return kProfiles; }
    // 0x10xy and 0x11xy: profile y.
    void ApplyProfileSwitch(uint16_t eventCode) override;

protected:
    // ledCount sizes the lighting frame of command 0x12.
    explicit CLightingBlockFirmware(size_t ledCount);
};

class CMousePadFirmware : public CLightingBlockFirmware
{
public:
    static constexpr size_t kLedCount = 15;
    CMousePadFirmware() : CLightingBlockFirmware(kLedCount) {}
    std::string KindName() const override { return "mousepad"; }
};

} // namespace devsim
