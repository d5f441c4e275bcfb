#pragma once
// The headset's profile: the shared groups plus its audio settings, the band values of its equaliser
// presets and the user's custom equalisers.

#include "profiles/BasicProfiledata.h"

#include <cstdint>
#include <string>
#include <vector>

class CHs6533Profiledata : public CBasicProfiledata
{
public:
    // Number of bands of every equaliser.
    static constexpr int kBandCount = 10;
    // The "EqType" of the custom equaliser, which has no preset slot.
    static constexpr int32_t kCustomEqType = 13;

    HeadsetSettingsRecord GetHeadsetSettings();
    // Writes the eight members into "SystemSetStages" (the cached record is left as it is).
    void SetHeadsetSettings(const HeadsetSettingsRecord& record);

    // The ten bands of the preset slot of equaliser type `type`; empty for the custom type. Bands the
    // document does not hold read as 0 and are stored with the value 0.
    std::vector<int32_t> GetEqValues(int32_t type);
    void SetEqValues(int32_t type, const std::vector<int32_t>& values);
    std::vector<std::string> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::string>& names);
    // The same for custom equaliser number `index`; empty for a negative index.
    std::vector<int32_t> GetCustomEqValues(int32_t index);
    void SetCustomEqValues(int32_t index, const std::vector<int32_t>& values);

    // The preset slot of an equaliser type: 0 and anything above 13 use slot 1, 1-12 their own slot,
    // 13 (custom) none (-1).
    static int32_t EqSlotOf(int32_t type);

private:
    std::vector<int32_t> ReadBands(const char* group, int32_t index);
    void WriteBands(const char* group, int32_t index, const std::vector<int32_t>& values);

    HeadsetSettingsRecord m_settings{};
};
