#include "profiles/BasicProfiledata.h"

#include "profiles/JsonFields.h"
#include "profiles/StorageHelpers.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <system_error>

using profiles::json::Field;

namespace {

namespace pj = profiles::json;

constexpr std::array kLightInfoFields{
    Field{"SelectItem", offsetof(LightInfoRecord, SelectItem), 1},
    Field{"Light", offsetof(LightInfoRecord, Light), 1},
    Field{"Speed", offsetof(LightInfoRecord, Speed), 1},
    Field{"Fx", offsetof(LightInfoRecord, Fx), 1},
    Field{"MultiColor", offsetof(LightInfoRecord, MultiColor), 1, true},
    Field{"Red", offsetof(LightInfoRecord, Red), 1},
    Field{"Green", offsetof(LightInfoRecord, Green), 1},
    Field{"Blue", offsetof(LightInfoRecord, Blue), 1},
    Field{"ZZCCLedMode", offsetof(LightInfoRecord, ZZCCLedMode), 1},
    Field{"CustomGroup", offsetof(LightInfoRecord, CustomGroup), 1},
    Field{"OldLedmode", offsetof(LightInfoRecord, OldLedmode), 1},
};

constexpr std::array kAudioLightFields{
    Field{"AudioMode", offsetof(AudioZuvovIvudoz, AudioMode), 1},
    Field{"BkColorR", offsetof(AudioZuvovIvudoz, BkColorR), 1},
    Field{"BkColorG", offsetof(AudioZuvovIvudoz, BkColorG), 1},
    Field{"BkColorB", offsetof(AudioZuvovIvudoz, BkColorB), 1},
    Field{"FgColorR", offsetof(AudioZuvovIvudoz, FgColorR), 1},
    Field{"FgColorG", offsetof(AudioZuvovIvudoz, FgColorG), 1},
    Field{"FgColorB", offsetof(AudioZuvovIvudoz, FgColorB), 1},
    Field{"7ColorFlags", offsetof(AudioZuvovIvudoz, SevenColorFlags), 1, true},
    Field{"ColorTypeFlags", offsetof(AudioZuvovIvudoz, ColorTypeFlags), 1, true},
};

constexpr std::array kLightListFields{
    Field{"LEDREGMode", offsetof(LightListEntry, LEDREGMode), 1},
    Field{"LEDBrightness", offsetof(LightListEntry, LEDBrightness), 1},
    Field{"LEDSpeed", offsetof(LightListEntry, LEDSpeed), 1},
    Field{"LEDDirection", offsetof(LightListEntry, LEDDirection), 1, true},
    Field{"LEDMultiColor", offsetof(LightListEntry, LEDMultiColor), 1, true},
    Field{"red", offsetof(LightListEntry, red), 1},
    Field{"green", offsetof(LightListEntry, green), 1},
    Field{"blue", offsetof(LightListEntry, blue), 1},
};

constexpr std::array kEffectStepFields{
    Field{"LEDREGMode", offsetof(LedEffectStep, LEDREGMode), 1},
    Field{"LEDBrightness", offsetof(LedEffectStep, LEDBrightness), 1},
    Field{"LEDSpeed", offsetof(LedEffectStep, LEDSpeed), 1},
    Field{"LEDDirection", offsetof(LedEffectStep, LEDDirection), 1},
    Field{"LEDMultiColor", offsetof(LedEffectStep, LEDMultiColor), 1},
    Field{"red", offsetof(LedEffectStep, red), 1},
    Field{"green", offsetof(LedEffectStep, green), 1},
    Field{"blue", offsetof(LedEffectStep, blue), 1},
    Field{"Time", offsetof(LedEffectStep, Time), 4},
    Field{"Cyle", offsetof(LedEffectStep, Cyle), 4},
};

} // namespace

void CBasicProfiledata::SetProfilePath(const std::string& path)
{
    if (!path.empty()) {
        m_profilePath = path;
    }
}

void CBasicProfiledata::SetDefaultPath(const std::string& path)
{
    if (!path.empty()) {
        m_defaultPath = path;
    }
}

Json::Value CBasicProfiledata::ReadDocument(const std::string& path, bool* damaged)
{
    Json::Value document;
    if (!path.empty()) {
        document = readjsonFile(path);
    }
    if (damaged != nullptr) {
        *damaged = IsDamagedDocument(path, document);
    }
    if (!document.isObject()) {
        return Json::Value();
    }
    return document; // moved, not copied as a conditional expression would
}

Json::Value CBasicProfiledata::LoadInto(Json::Value& entry, const std::string& path)
{
    const Json::Value file = ReadDocument(path, nullptr);
    entry = pj::Element(pj::Member(file, "Device"), m_entryIndex);
    if (!entry.isObject()) {
        // No usable settings yet: take the factory settings and store them in the profile.
        const Json::Value defaults = ReadDocument(m_defaultPath, nullptr);
        entry = pj::Element(pj::Member(defaults, "Device"), m_entryIndex);
        if (!entry.isObject()) {
            entry = Json::Value();
        }
        SaveEntryTo(entry, path);
    }
    return entry;
}

Json::Value CBasicProfiledata::Load(const std::string& path)
{
    return LoadInto(m_deviceEntry, path);
}

Json::Value CBasicProfiledata::LoadOther(const std::string& path)
{
    return LoadInto(m_otherEntry, path);
}

Json::Value CBasicProfiledata::LoadLightLibrary(const std::string& path)
{
    m_lightLibrary = ReadDocument(path, nullptr);
    return m_lightLibrary;
}

LightInfoRecord CBasicProfiledata::GetLightInfo()
{
    LightInfoRecord record{};
    const Json::Value& group = pj::Member(m_deviceEntry, "LightInfo");
    if (!group.isNull()) {
        pj::ReadFields(group, kLightInfoFields, &record);
    }
    m_lightInfo = record;
    return record;
}

void CBasicProfiledata::SetLightInfo(const LightInfoRecord& record)
{
    m_lightInfo = record;
    Json::Value group(Json::objectValue);
    pj::WriteFields(group, kLightInfoFields, &record);
    pj::MemberSlot(m_deviceEntry, "LightInfo") = group;
}

AudioZuvovIvudoz CBasicProfiledata::GetAudioLight()
{
    AudioZuvovIvudoz record{};
    const Json::Value& group = pj::Member(m_deviceEntry, "AudioLightInfo");
    if (!group.isNull()) {
        pj::ReadFields(group, kAudioLightFields, &record);
        // The colour type is always on, whatever the file holds.
        record.ColorTypeFlags = 1;
    }
    m_audioLight = record;
    return record;
}

void CBasicProfiledata::SetAudioLight(const AudioZuvovIvudoz& record)
{
    m_audioLight = record;
    Json::Value group(Json::objectValue);
    pj::WriteFields(group, kAudioLightFields, &record);
    pj::MemberSlot(m_deviceEntry, "AudioLightInfo") = group;
}

std::vector<LightListEntry> CBasicProfiledata::GetLightList()
{
    std::vector<LightListEntry> list;
    const Json::Value& array = pj::Member(m_deviceEntry, "LightList");
    if (array.isArray()) {
        for (const Json::Value& element : array) {
            LightListEntry entry{};
            if (element.isObject()) {
                pj::ReadFields(element, kLightListFields, &entry);
                entry.Present = 1;
            }
            list.push_back(entry);
        }
    }
    m_lightList = list;
    return list;
}

Json::Value CBasicProfiledata::ReadEffectFile(const std::string& guid) const
{
    const std::string name = guid + ".light";
    if (!m_lightLibraryPath.empty()) {
        const std::filesystem::path folder = std::filesystem::path(m_lightLibraryPath).parent_path();
        if (!folder.empty()) {
            Json::Value beside = ReadDocument((folder / name).string(), nullptr);
            if (!beside.isNull()) {
                return beside;
            }
        }
    }
    return ReadDocument(name, nullptr);
}

std::vector<LedEffectStep> CBasicProfiledata::GetCustomEffectSteps()
{
    std::vector<LedEffectStep> steps;
    if (!m_lightLibrary.isNull()) {
        const Json::Value& effects = pj::Element(pj::Member(m_lightLibrary, "LightInfo"), m_entryIndex);
        const std::string guid =
            pj::ToString(pj::Member(pj::Element(effects, m_lightInfo.SelectItem), "Guid"));
        if (!guid.empty()) {
            const Json::Value effect = ReadEffectFile(guid);
            const Json::Value& list = pj::Member(effect, "LEDEffectList");
            if (list.isArray()) {
                for (const Json::Value& element : list) {
                    LedEffectStep step{};
                    pj::ReadFields(element, kEffectStepFields, &step);
                    steps.push_back(step);
                }
            }
        }
    }
    m_effectSteps = steps;
    return steps;
}

std::vector<KeyAssignmentEntry> CBasicProfiledata::ReadKeyList(const Json::Value& entry)
{
    std::vector<KeyAssignmentEntry> keys;
    const Json::Value& array = pj::Member(entry, "KeyList");
    if (!array.isArray()) {
        return keys;
    }
    keys.reserve(array.size());
    for (Json::ArrayIndex i = 0; i < array.size(); ++i) {
        const uint32_t assignment = pj::Read24(array[i], "Assignment");
        const uint32_t factory = pj::Read24(array[i], "DefaultAssignment");
        KeyAssignmentEntry key{};
        key.Position = static_cast<uint16_t>(i);
        key.Type = static_cast<uint8_t>(assignment >> 16);
        key.Param1 = static_cast<uint8_t>(assignment >> 8);
        key.Param2 = static_cast<uint8_t>(assignment);
        key.DefaultPosition = static_cast<uint16_t>(i);
        key.DefaultType = static_cast<uint8_t>(factory >> 16);
        key.DefaultParam1 = static_cast<uint8_t>(factory >> 8);
        key.DefaultParam2 = static_cast<uint8_t>(factory);
        keys.push_back(key);
    }
    return keys;
}

void CBasicProfiledata::WriteKeyList(Json::Value& entry, const std::vector<KeyAssignmentEntry>& keys)
{
    Json::Value& array = pj::MemberSlot(entry, "KeyList");
    for (size_t i = 0; i < keys.size(); ++i) {
        Json::Value* element = pj::ElementSlot(array, static_cast<int64_t>(i));
        if (element == nullptr) {
            break;
        }
        const KeyAssignmentEntry& key = keys[i];
        pj::WriteInt(*element, "Assignment", key.Type * 65536 + key.Param1 * 256 + key.Param2);
    }
}

std::vector<KeyAssignmentEntry> CBasicProfiledata::GetKeyList()
{
    m_keyList = ReadKeyList(m_deviceEntry);
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssignmentEntry>& keys)
{
    m_keyList = keys;
    WriteKeyList(m_deviceEntry, keys);
}

std::vector<KeyAssignmentEntry> CBasicProfiledata::GetOtherKeyList()
{
    m_otherKeyList = ReadKeyList(m_otherEntry);
    return m_otherKeyList;
}

void CBasicProfiledata::SetOtherKeyList(const std::vector<KeyAssignmentEntry>& keys)
{
    m_otherKeyList = keys;
    WriteKeyList(m_otherEntry, keys);
}

void CBasicProfiledata::Save()
{
    SaveEntryTo(m_deviceEntry, m_profilePath);
}

void CBasicProfiledata::SaveEntryTo(const Json::Value& value, const std::string& path)
{
    if (path.empty()) {
        return;
    }
    bool damaged = false;
    Json::Value file = ReadDocument(path, &damaged);
    Json::Value* slot = pj::ElementSlot(pj::MemberSlot(file, "Device"), m_entryIndex);
    if (slot == nullptr) {
        return;
    }
    *slot = value;
    if (damaged) {
        KeepDamagedCopy(path);
    }
    WriteDocumentFile(file, path);
}

void CBasicProfiledata::SaveOtherEntryTo(const std::string& path)
{
    SaveEntryTo(m_otherEntry, path);
}

void CBasicProfiledata::WriteDocumentFile(const Json::Value& value, const std::string& path)
{
    if (!path.empty()) {
        writejsonFile(path, value);
    }
}
