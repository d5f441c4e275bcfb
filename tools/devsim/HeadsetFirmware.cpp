#include "tools/devsim/HeadsetFirmware.h"

#include "tools/devsim/HexText.h"
#include "tools/devsim/ReportDescriptors.h"

namespace devsim {

namespace {

struct ColourPart
{
    uint8_t code;
    int component; // 0 red, 1 green, 2 blue
    size_t firstLed;
    size_t ledCount;
};

constexpr ColourPart kParts[] = {
    {0xAA, 0, 0, 7}, {0xAD, 0, 7, 6}, {0xAB, 1, 0, 7}, {0xAE, 1, 7, 6}, {0xAC, 2, 0, 7}, {0xAF, 2, 7, 6},
};

} // namespace

void CHeadsetFirmware::HandleOutputReport(std::span<const uint8_t> report)
{
    const ColourPart* part = nullptr;
    if (report.size() >= kHeadsetLightReportSize && report[0] == kHeadsetLightReportId && report[3] == 0 &&
        (report[1] == 0x22 || report[1] == 0x44)) {
        for (const ColourPart& p : kParts)
            if (p.code == report[2])
                part = &p;
    }
    if (!part) {
        ++rejectedReports_;
        return;
    }
    auto& bank = banks_[report[1] == 0x22 ? 0 : 1];
    for (size_t i = 0; i < part->ledCount; ++i)
        bank[(part->firstLed + i) * 3 + part->component] = report[4 + i];
    ++lightReports_;
}

Json::Value CHeadsetFirmware::Dump() const
{
    Json::Value dump = CFirmwareModel::Dump();
    dump["bank22"] = ToHex(banks_[0]);
    dump["bank44"] = ToHex(banks_[1]);
    dump["lightReports"] = lightReports_;
    dump["rejectedReports"] = rejectedReports_;
    return dump;
}

} // namespace devsim
