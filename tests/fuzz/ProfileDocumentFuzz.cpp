// Reads arbitrary bytes as a profile document (and as the default profile it falls back to) through
// every profile data class, then saves and reloads it: nothing may crash, and the lighting record must
// read back as it was saved.

#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MouseProfiledata.h"
#include "tests/fuzz/FuzzScratchFolder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

void WriteBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void ReadEverything(CBasicProfiledata& profile)
{
    profile.GetLightInfo();
    profile.GetAudioLight();
    profile.GetLightList();
    profile.LoadLightLibrary(profile.GetProfilePath());
    profile.GetCustomEffectSteps();
    std::vector<KeyAssignmentEntry> keys = profile.GetKeyList();
    profile.SetKeyList(keys);
}

template <class Profile>
void CheckSaveReload(Profile& profile)
{
    const LightInfoRecord before = profile.GetLightInfo();
    profile.SetLightInfo(before);
    profile.Save();
    Profile again;
    again.SetDefaultPath(profile.GetDefaultPath());
    again.Load(profile.GetProfilePath());
    const LightInfoRecord after = again.GetLightInfo();
    if (std::memcmp(&before, &after, sizeof before) != 0) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string profilePath = orvant_fuzz::ScratchFolder() + "profile.Json";
    const std::string defaultPath = orvant_fuzz::ScratchFolder() + "default.Json";
    // The first byte chooses whether the bytes are the profile itself or only its default.
    const bool asProfile = size == 0 || (data[0] & 1) != 0;
    std::remove(profilePath.c_str());
    std::remove((profilePath + ".damaged").c_str());
    WriteBytes(defaultPath, data, size);
    if (asProfile) {
        WriteBytes(profilePath, data, size);
    }

    CKeyboardProfiledata keyboard;
    keyboard.SetDefaultPath(defaultPath);
    keyboard.SetProfilePath(profilePath);
    keyboard.Load(profilePath);
    ReadEverything(keyboard);
    keyboard.SetSystemStages(keyboard.GetSystemStages());
    const int32_t group = keyboard.GetCustomLightGroup();
    keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 170), group);
    CheckSaveReload(keyboard);

    CMouseProfiledata mouse;
    mouse.SetDefaultPath(defaultPath);
    mouse.SetProfilePath(profilePath);
    mouse.Load(profilePath);
    ReadEverything(mouse);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetActiveStage(mouse.GetActiveStage());
    mouse.SetSystemStages(mouse.GetSystemStages());
    mouse.GetCorrectList();
    CheckSaveReload(mouse);

    CHs6533Profiledata headset;
    headset.SetDefaultPath(defaultPath);
    headset.SetProfilePath(profilePath);
    headset.LoadOther(profilePath);
    headset.GetOtherKeyList();
    headset.Load(profilePath);
    ReadEverything(headset);
    const HeadsetSettingsRecord settings = headset.GetHeadsetSettings();
    headset.SetHeadsetSettings(settings);
    headset.SetEqValues(settings.EqType, headset.GetEqValues(settings.EqType));
    headset.SetCustomEqValues(settings.CustomEqSeletIndex,
                              headset.GetCustomEqValues(settings.CustomEqSeletIndex));
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    CheckSaveReload(headset);
    return 0;
}
