#include "profiles/KeyboardProfiledata.h"

#include "profiles/JsonFields.h"

#include <array>
#include <cstddef>

using profiles::json::Field;

namespace {

namespace pj = profiles::json;

constexpr std::array kSystemFields{
    Field{"Repeat", offsetof(KeyboardSystemRecord, Repeat), 2},
    Field{"RepeatDelay", offsetof(KeyboardSystemRecord, RepeatDelay), 2},
    Field{"Key6Flag", offsetof(KeyboardSystemRecord, Key6Flag), 2},
    Field{"PollingRate", offsetof(KeyboardSystemRecord, PollingRate), 2},
    Field{"WFlag", offsetof(KeyboardSystemRecord, WFlag), 2},
    Field{"WinFlag", offsetof(KeyboardSystemRecord, WinFlag), 2},
};

constexpr std::array kColorFields{
    Field{"Red", offsetof(CustomLightColor, Red), 1},
    Field{"Green", offsetof(CustomLightColor, Green), 1},
    Field{"Blue", offsetof(CustomLightColor, Blue), 1},
    Field{"Alpha", offsetof(CustomLightColor, Alpha), 1},
};

// The colours of one custom group in the document, created when missing; nullptr for a group number
// no document can hold (nothing is changed then).
Json::Value* GroupSlot(Json::Value& entry, int32_t group)
{
    if (group < 0 || group > pj::kMaxIndex) {
        return nullptr;
    }
    return pj::ElementSlot(pj::MemberSlot(pj::MemberSlot(entry, "CustomLightMode"), "LightColorInfo"), group);
}

} // namespace

KeyboardSystemRecord CKeyboardProfiledata::GetSystemStages()
{
    KeyboardSystemRecord record{};
    const Json::Value& group = pj::Member(Entry(), "SystemStages");
    if (!group.isNull()) {
        pj::ReadFields(group, kSystemFields, &record);
    }
    m_system = record;
    return record;
}

void CKeyboardProfiledata::SetSystemStages(const KeyboardSystemRecord& record)
{
    m_system = record;
    pj::WriteFields(pj::MemberSlot(Entry(), "SystemStages"), kSystemFields, &record);
}

std::vector<CustomLightColor> CKeyboardProfiledata::GetCustomLightColors(int32_t group, int32_t count)
{
    std::vector<CustomLightColor> colors;
    Json::Value* groupSlot = GroupSlot(Entry(), group);
    if (groupSlot != nullptr) {
        const CustomLightColor zero{};
        for (int32_t i = 0; i < count; ++i) {
            Json::Value* element = pj::ElementSlot(*groupSlot, i);
            if (element == nullptr) {
                break;
            }
            CustomLightColor color{};
            if (element->isObject()) {
                pj::ReadFields(*element, kColorFields, &color);
            } else {
                // A position without colours yet starts black and is stored that way.
                pj::WriteFields(*element, kColorFields, &zero);
            }
            colors.push_back(color);
        }
    }
    m_customColors = colors;
    return colors;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<CustomLightColor>& colors, int32_t group)
{
    m_customColors = colors;
    Json::Value* groupSlot = GroupSlot(Entry(), group);
    if (groupSlot == nullptr) {
        return;
    }
    for (size_t i = 0; i < colors.size(); ++i) {
        Json::Value* element = pj::ElementSlot(*groupSlot, static_cast<int64_t>(i));
        if (element == nullptr) {
            break;
        }
        pj::WriteFields(*element, kColorFields, &colors[i]);
    }
}

int32_t CKeyboardProfiledata::GetCustomLightGroup()
{
    m_customGroup = pj::ReadS32(pj::Member(Entry(), "CustomLightMode"), "CustomLightModeGroupIndex");
    return m_customGroup;
}

void CKeyboardProfiledata::SetCustomLightGroup(int32_t group)
{
    m_customGroup = group;
    pj::WriteInt(pj::MemberSlot(Entry(), "CustomLightMode"), "CustomLightModeGroupIndex", group);
}
