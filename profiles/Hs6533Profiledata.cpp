#include "profiles/Hs6533Profiledata.h"

#include "profiles/JsonFields.h"

#include <algorithm>
#include <array>
#include <cstddef>

using profiles::json::Field;

namespace {

namespace pj = profiles::json;

constexpr std::array kSettingsFields{
    Field{"MagicEnable", offsetof(HeadsetSettingsRecord, MagicEnable), 4},
    Field{"MagicType", offsetof(HeadsetSettingsRecord, MagicType), 4},
    Field{"EqType", offsetof(HeadsetSettingsRecord, EqType), 4},
    Field{"CustomEqSeletIndex", offsetof(HeadsetSettingsRecord, CustomEqSeletIndex), 4},
    Field{"MicInSelect", offsetof(HeadsetSettingsRecord, MicInSelect), 4},
    Field{"MicInValue", offsetof(HeadsetSettingsRecord, MicInValue), 4},
    Field{"MicMoniterSelect", offsetof(HeadsetSettingsRecord, MicMoniterSelect), 4},
    Field{"MicMoniterValue", offsetof(HeadsetSettingsRecord, MicMoniterValue), 4},
};

constexpr const char* kPresetBands = "EQHzValueInfo";
constexpr const char* kCustomBands = "CustomEQHzValueInfo";

} // namespace

HeadsetSettingsRecord CHs6533Profiledata::GetHeadsetSettings()
{
    HeadsetSettingsRecord record{};
    const Json::Value& group = pj::Member(Entry(), "SystemSetStages");
    if (!group.isNull()) {
        pj::ReadFields(group, kSettingsFields, &record);
    }
    m_settings = record;
    return record;
}

void CHs6533Profiledata::SetHeadsetSettings(const HeadsetSettingsRecord& record)
{
    pj::WriteFields(pj::MemberSlot(Entry(), "SystemSetStages"), kSettingsFields, &record);
}

int32_t CHs6533Profiledata::EqSlotOf(int32_t type)
{
    if (type == kCustomEqType) {
        return -1;
    }
    return (type >= 1 && type <= 12) ? type : 1;
}

std::vector<int32_t> CHs6533Profiledata::ReadBands(const char* group, int32_t index)
{
    std::vector<int32_t> values;
    if (index < 0 || index > pj::kMaxIndex) {
        return values;
    }
    Json::Value* bands = pj::ElementSlot(pj::MemberSlot(Entry(), group), index);
    for (int band = 0; band < kBandCount; ++band) {
        Json::Value* element = pj::ElementSlot(*bands, band);
        const Json::Value& value = pj::Member(*element, "value");
        if (value.isNull()) {
            // A band the profile does not hold yet starts flat and is stored that way.
            pj::WriteInt(*element, "value", 0);
        }
        values.push_back(pj::ReadS32(*element, "value"));
    }
    return values;
}

void CHs6533Profiledata::WriteBands(const char* group, int32_t index, const std::vector<int32_t>& values)
{
    if (index < 0 || index > pj::kMaxIndex) {
        return;
    }
    Json::Value* bands = pj::ElementSlot(pj::MemberSlot(Entry(), group), index);
    const size_t count = std::min(values.size(), static_cast<size_t>(kBandCount));
    for (size_t band = 0; band < count; ++band) {
        pj::WriteInt(*pj::ElementSlot(*bands, static_cast<int64_t>(band)), "value", values[band]);
    }
}

std::vector<int32_t> CHs6533Profiledata::GetEqValues(int32_t type)
{
    return ReadBands(kPresetBands, EqSlotOf(type));
}

void CHs6533Profiledata::SetEqValues(int32_t type, const std::vector<int32_t>& values)
{
    WriteBands(kPresetBands, EqSlotOf(type), values);
}

std::vector<int32_t> CHs6533Profiledata::GetCustomEqValues(int32_t index)
{
    return ReadBands(kCustomBands, index);
}

void CHs6533Profiledata::SetCustomEqValues(int32_t index, const std::vector<int32_t>& values)
{
    WriteBands(kCustomBands, index, values);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames()
{
    std::vector<std::string> names;
    const Json::Value& array = pj::Member(Entry(), "CustomEQNameInfo");
    if (array.isArray()) {
        for (const Json::Value& element : array) {
            names.push_back(pj::ToString(pj::Member(element, "Name")));
        }
    }
    return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names)
{
    Json::Value array(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = name;
        array.append(element);
    }
    pj::MemberSlot(Entry(), "CustomEQNameInfo") = array;
}
