#pragma once
// The headset's firmware: the lighting-block memory of the pad, and 13 LEDs set by 17-byte output
// reports on the control pipe (report id 0xFF, bank 0x22 or 0x44, colour part 0xAA-0xAF, then the
// values; a host may pad the report to its collection's output length). Each bank keeps its own
// colours.

#include "tools/devsim/LightingBlockFirmware.h"

namespace devsim {

class CHeadsetFirmware : public CLightingBlockFirmware
{
public:
    static constexpr size_t kLedCount = 13;

    CHeadsetFirmware() : CLightingBlockFirmware(kLedCount) {}
    std::string KindName() const override { return "headset"; }
    void HandleOutputReport(std::span<const uint8_t> report) override;
    Json::Value Dump() const override;

    // Red, green, blue of LED i at i × 3; bank 0 is 0x22, bank 1 is 0x44.
    const std::array<uint8_t, kLedCount * 3>& BankColours(int bank) const { return banks_[bank & 1]; }
    int LightReportCount() const { return lightReports_; }
    // Reports that did not have the lighting report's form.
    int RejectedReportCount() const { return rejectedReports_; }

private:
    std::array<std::array<uint8_t, kLedCount * 3>, 2> banks_{};
    int lightReports_ = 0;
    int rejectedReports_ = 0;
};

} // namespace devsim
