#include "tools/devsim/LightingBlockFirmware.h"

namespace devsim {

CLightingBlockFirmware::CLightingBlockFirmware(size_t ledCount)
{
    std::array<size_t, kRegionCount> sizes{};
    sizes[static_cast<size_t>(Region::Info)] = kInfoBlockSize;
    sizes[static_cast<size_t>(Region::Settings)] = kSettingsSize;
    sizes[static_cast<size_t>(Region::Status)] = kBatteryRecordSize;
    sizes[static_cast<size_t>(Region::Frame)] = ledCount * 3;
    LayOut(sizes);
    PutLe16(Region::Info, 32, 0x0100);
    auto& settings = Memory(Region::Settings);
    settings[1] = 1; // effect code
    settings[2] = 4; // brightness
    settings[3] = 2; // 4 - speed
    settings[6] = settings[7] = settings[8] = 0xFF;
    SetBattery(100, 0);
}

void CLightingBlockFirmware::ApplyProfileSwitch(uint16_t eventCode)
{
    if (const auto s = DecodeProfileSwitch(eventCode))
        Memory(Region::Settings)[0] = static_cast<uint8_t>(s->profile);
}

} // namespace devsim
