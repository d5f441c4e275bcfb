// Reads arbitrary bytes as a profile document (or as the default profile it falls back to) through one
// profile data class, then saves and reloads it: nothing may crash, and the lighting record must read
// back as it was saved.
//
// The first byte is not part of the document: bit 0 set makes the bytes the profile itself (clear:
// only its default), and the rest of it picks the class (keyboard, mouse, headset, in turn). One class
// an input keeps each input cheap, since every change rewrites and rereads the whole document.

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

using orvant_fuzz::Require;
using orvant_fuzz::WriteBytes;

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

void Open(CBasicProfiledata& profile, const std::string& profilePath, const std::string& defaultPath)
{
    profile.SetDefaultPath(defaultPath);
    profile.SetProfilePath(profilePath);
}

void DriveKeyboard(const std::string& profilePath, const std::string& defaultPath)
{
    CKeyboardProfiledata keyboard;
    Open(keyboard, profilePath, defaultPath);
    keyboard.Load(profilePath);
    ReadEverything(keyboard);
    keyboard.SetSystemStages(keyboard.GetSystemStages());
    const int32_t group = keyboard.GetCustomLightGroup();
    keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 170), group);
    CheckSaveReload(keyboard);
}

void DriveMouse(const std::string& profilePath, const std::string& defaultPath)
{
    CMouseProfiledata mouse;
    Open(mouse, profilePath, defaultPath);
    mouse.Load(profilePath);
    ReadEverything(mouse);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetActiveStage(mouse.GetActiveStage());
    mouse.SetSystemStages(mouse.GetSystemStages());
    mouse.GetCorrectList();
    CheckSaveReload(mouse);
}

void DriveHeadset(const std::string& profilePath, const std::string& defaultPath)
{
    CHs6533Profiledata headset;
    Open(headset, profilePath, defaultPath);
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
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::string profilePath = orvant_fuzz::ScratchFolder() + "profile.Json";
    const std::string defaultPath = orvant_fuzz::ScratchFolder() + "default.Json";
    const uint8_t choice = data[0];
    std::remove(profilePath.c_str());
    std::remove((profilePath + ".damaged").c_str());
    WriteBytes(defaultPath, data + 1, size - 1);
    if ((choice & 1) != 0) {
        WriteBytes(profilePath, data + 1, size - 1);
    }
    switch ((choice >> 1) % 3) {
    case 0:
        DriveKeyboard(profilePath, defaultPath);
        break;
    case 1:
        DriveMouse(profilePath, defaultPath);
        break;
    default:
        DriveHeadset(profilePath, defaultPath);
        break;
    }
    return 0;
}
