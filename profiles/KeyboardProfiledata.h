#pragma once
// The keyboard's profile: the shared groups plus its system settings and its per-key custom colours.

#include "profiles/BasicProfiledata.h"

#include <cstdint>
#include <vector>

class CKeyboardProfiledata : public CBasicProfiledata
{
public:
    // The six system settings of "SystemStages", each cut to 16 bits; zero when the group is absent.
    KeyboardSystemRecord GetSystemStages();
    // Writes the six members one by one; other members of the group stay.
    void SetSystemStages(const KeyboardSystemRecord& record);

    // The colours of custom group `group` for the first `count` key positions. Positions the document
    // does not hold yet are filled in the document with zero colours.
    std::vector<CustomLightColor> GetCustomLightColors(int32_t group, int32_t count);
    void SetCustomLightColors(const std::vector<CustomLightColor>& colors, int32_t group);
    int32_t GetCustomLightGroup();
    void SetCustomLightGroup(int32_t group);

private:
    KeyboardSystemRecord m_system{};
    std::vector<CustomLightColor> m_customColors;
    int32_t m_customGroup = 0;
};
