#pragma once
// The RGB keyboard's firmware: K device keys (3-byte assignments, one LED each), eight lighting
// records 25 bytes apart after the current-profile byte, eight custom colour sets and macro memory
// of the advertised size.

#include "tools/devsim/FirmwareModel.h"

namespace devsim {

class CKeyboardFirmware : public CFirmwareModel
{
public:
    static constexpr int kKeyCount = 126;
    static constexpr int kProfiles = 8;
    static constexpr size_t kRecordStride = 25;
    static constexpr size_t kRecordSize = 26;
    static constexpr uint8_t kMacroUnits = 32; // × 128 bytes
    static constexpr int kColourSets = 8;

    CKeyboardFirmware();
    std::string KindName() const override { return "keyboard"; }
    int ProfileCount() const override { return kProfiles; }
    // 0x10xy: profile y; 0x11xy: profile y and byte 17 of its record = x.
    void ApplyProfileSwitch(uint16_t eventCode) override;
};

} // namespace devsim
