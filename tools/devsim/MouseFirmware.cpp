#include "tools/devsim/MouseFirmware.h"

namespace devsim {

namespace {

constexpr size_t kStageOffset = 14;
constexpr size_t kStageSize = 9;
constexpr int kStages = 5;
constexpr uint16_t kDefaultSteps[kStages] = {8, 16, 30, 38, 78};
constexpr uint8_t kDefaultStageColours[kStages][3] = {
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}};

} // namespace

CMouseFirmware::CMouseFirmware()
{
    std::array<size_t, kRegionCount> sizes{};
    sizes[static_cast<size_t>(Region::Info)] = kInfoBlockSize;
    sizes[static_cast<size_t>(Region::Settings)] = kProfiles * kBlockStride;
    sizes[static_cast<size_t>(Region::KeyTable)] = kKeyCount * 3;
    sizes[static_cast<size_t>(Region::KeyLeds)] = kKeyCount;
    sizes[static_cast<size_t>(Region::Colours)] = kColourSetStride;
    sizes[static_cast<size_t>(Region::Macro)] = 32 * 128;
    sizes[static_cast<size_t>(Region::Recoil)] = kRecoilSize;
    sizes[static_cast<size_t>(Region::Status)] = kBatteryRecordSize;
    sizes[static_cast<size_t>(Region::Frame)] = 512;
    LayOut(sizes);
    auto& info = Memory(Region::Info);
    info[5] = kKeyCount;
    info[6] = 32;
    PutLe16(Region::Info, 9, kSensorId);
    info[11] = kDpiStep;
    PutLe16(Region::Info, 12, kHighestStep);
    PutLe16(Region::Info, 14, kLowestDpi);
    PutLe16(Region::Info, 32, 0x0100);
    std::array<std::array<uint8_t, 3>, kKeyCount> buttons{};
    for (int k = 0; k < kKeyCount; ++k)
        buttons[k] = {0x10, 0, static_cast<uint8_t>(k + 1)}; // mouse button k + 1
    FillKeyTable(buttons);
    auto& settings = Memory(Region::Settings);
    for (int p = 0; p < kProfiles; ++p) {
        const size_t base = p * kBlockStride;
        settings[base + 2] = 4;
        settings[base + 3] = 2;
        settings[base + 6] = settings[base + 7] = settings[base + 8] = 0xFF;
        settings[base + 11] = 3;
        for (int s = 0; s < kStages; ++s) {
            const size_t stage = base + kStageOffset + s * kStageSize;
            settings[stage] = 1;
            PutLe16(Region::Settings, stage + 2, kDefaultSteps[s]);
            PutLe16(Region::Settings, stage + 4, kDefaultSteps[s]);
            for (int c = 0; c < 3; ++c)
                settings[stage + 6 + c] = kDefaultStageColours[s][c];
        }
        settings[base + 59] = 1;
    }
    settings[0] = 0;
    SetBattery(100, 2);
}

void CMouseFirmware::ApplyProfileSwitch(uint16_t eventCode)
{
    const auto s = DecodeProfileSwitch(eventCode);
    if (!s || (s->withValue && s->value >= kStages))
        return;
    auto& settings = Memory(Region::Settings);
    settings[0] = static_cast<uint8_t>(s->profile);
    if (s->withValue)
        settings[s->profile * kBlockStride + kActiveStageByte] = static_cast<uint8_t>(s->value);
}

} // namespace devsim
