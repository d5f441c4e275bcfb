#pragma once
// The settings of one device for the profile in use, mirrored in that profile's JSON file. This is the
// only code that knows the member names of the settings document: device objects, panels and the main
// window read and change settings through the getters and setters below, which convert between the
// document and the packed records of ProfileRecords.h.
//
// The document is the truth; the records are caches of the last value read or written. No setter
// writes a file: the owner calls Save when a change is to last. Every getter returns a copy.
// The mouse pad uses this class as it is; the keyboard, the mouse and the headset use the kinds that
// add their own groups.

#include "profiles/ProfileRecords.h"

#include <json/json.h>

#include <cstdint>
#include <string>
#include <vector>

class CBasicProfiledata
{
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;

    // --- files ---
    // Empty paths leave the profile and the default path unchanged.
    void SetProfilePath(const std::string& path);
    std::string GetProfilePath() const { return m_profilePath; }
    void SetDefaultPath(const std::string& path);
    std::string GetDefaultPath() const { return m_defaultPath; }
    void SetLightLibraryPath(const std::string& path) { m_lightLibraryPath = path; }
    std::string GetLightLibraryPath() const { return m_lightLibraryPath; }
    void SetEntryIndex(int32_t index) { m_entryIndex = index; }
    int32_t GetEntryIndex() const { return m_entryIndex; }

    // Loads the device entry of the profile file at path. A profile without a device entry (missing,
    // empty or damaged file) takes it from the default profile file and the file is written back with it.
    Json::Value Load(const std::string& path);
    // The same into the other-profile document, used to change a profile that is not in use.
    Json::Value LoadOther(const std::string& path);
    // Reads the light library document (null when unreadable) and returns it.
    Json::Value LoadLightLibrary(const std::string& path);

    // --- shared groups ---
    LightInfoRecord GetLightInfo();
    void SetLightInfo(const LightInfoRecord& record);
    AudioZuvovIvudoz GetAudioLight();
    void SetAudioLight(const AudioZuvovIvudoz& record);
    std::vector<LightListEntry> GetLightList();
    // The steps of the custom effect that the current lighting selection names in the light library.
    std::vector<LedEffectStep> GetCustomEffectSteps();
    std::vector<KeyAssignmentEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyAssignmentEntry>& keys);
    std::vector<KeyAssignmentEntry> GetOtherKeyList();
    void SetOtherKeyList(const std::vector<KeyAssignmentEntry>& keys);

    // --- saving ---
    // Stores the device entry in the profile file.
    virtual void Save();
    // Stores value as the device entry of the file at path; every other member of the file stays.
    virtual void SaveEntryTo(const Json::Value& value, const std::string& path);
    // Stores the other-profile document in the file at path.
    virtual void SaveOtherEntryTo(const std::string& path);
    // Writes value as the whole file.
    virtual void WriteDocumentFile(const Json::Value& value, const std::string& path);

    // The documents as they are now (copies), for the owner and for tests.
    Json::Value GetDeviceEntry() const { return m_deviceEntry; }
    Json::Value GetOtherEntry() const { return m_otherEntry; }

protected:
    Json::Value& Entry() { return m_deviceEntry; }
    const Json::Value& Entry() const { return m_deviceEntry; }

private:
    Json::Value LoadInto(Json::Value& entry, const std::string& path);
    // Reads a document; damaged is set when the file has content that is not a JSON object.
    static Json::Value ReadDocument(const std::string& path, bool* damaged);
    static std::vector<KeyAssignmentEntry> ReadKeyList(const Json::Value& entry);
    static void WriteKeyList(Json::Value& entry, const std::vector<KeyAssignmentEntry>& keys);
    // Reads the custom effect file of the given base name: beside the light library first, then as
    // the bare name (the process's current folder).
    Json::Value ReadEffectFile(const std::string& guid) const;

    std::string m_profilePath;
    std::string m_defaultPath;
    LightInfoRecord m_lightInfo{};
    AudioZuvovIvudoz m_audioLight{};
    std::vector<LightListEntry> m_lightList;
    Json::Value m_deviceEntry;
    Json::Value m_otherEntry;
    std::string m_lightLibraryPath;
    std::vector<LedEffectStep> m_effectSteps;
    Json::Value m_lightLibrary;
    std::vector<KeyAssignmentEntry> m_keyList;
    std::vector<KeyAssignmentEntry> m_otherKeyList;
    int32_t m_entryIndex = 0;
};
