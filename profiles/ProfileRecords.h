#pragma once
// The small packed records that the profile data objects exchange with the device objects. Their byte
// layout is what the device objects copy into and out of device frames, so every field order and size
// is fixed and checked below.

#include <cstdint>
#include <string>

#pragma pack(push, 1)

// Selected lighting of a profile; bytes 0-7 and 11-13 line up with the device's live lighting record.
struct LightInfoRecord
{
    uint8_t SelectItem;
    uint8_t Light;
    uint8_t Speed;
    uint8_t Fx;
    uint8_t MultiColor;
    uint8_t Red;
    uint8_t Green;
    uint8_t Blue;
    uint8_t Reserved[3];
    uint8_t ZZCCLedMode;
    uint8_t CustomGroup;
    uint8_t OldLedmode;
};

// Audio-reactive lighting of a profile.
struct AudioZuvovIvudoz
{
    uint8_t AudioMode;
    uint8_t BkColorR;
    uint8_t BkColorG;
    uint8_t BkColorB;
    uint8_t FgColorR;
    uint8_t FgColorG;
    uint8_t FgColorB;
    uint8_t SevenColorFlags;
    uint8_t ColorTypeFlags;
};

// One built-in effect's settings from the profile's light list.
struct LightListEntry
{
    uint8_t LEDREGMode;
    uint8_t LEDBrightness;
    uint8_t LEDSpeed;
    uint8_t LEDDirection;
    uint8_t LEDMultiColor;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t Reserved1[2];
    uint8_t Present; // 1 when the list element was an object, 0 when it was null
    uint8_t Reserved2[3];
};

// One step of a custom lighting effect.
struct LedEffectStep
{
    uint8_t LEDREGMode;
    uint8_t LEDBrightness;
    uint8_t LEDSpeed;
    uint8_t LEDDirection;
    uint8_t LEDMultiColor;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t Reserved[8];
    int32_t Time;
    int32_t Cyle;
};

// The current and the factory assignment of one key position.
struct KeyAssignmentEntry
{
    uint16_t Position;
    uint8_t Type;
    uint8_t Param1;
    uint8_t Param2;
    uint8_t Reserved1;
    uint16_t DefaultPosition;
    uint8_t DefaultType;
    uint8_t DefaultParam1;
    uint8_t DefaultParam2;
    uint8_t Reserved2;
};

// The keyboard's six system settings; as three 32-bit words: Repeat | RepeatDelay << 16, ...
struct KeyboardSystemRecord
{
    uint16_t Repeat;
    uint16_t RepeatDelay;
    uint16_t Key6Flag;
    uint16_t PollingRate;
    uint16_t WFlag;
    uint16_t WinFlag;
};

// One key's custom colour.
struct CustomLightColor
{
    uint8_t Red;
    uint8_t Green;
    uint8_t Blue;
    uint8_t Alpha;
};

// One mouse DPI stage; the DPI values are slider steps.
struct DpiStageRecord
{
    uint8_t StageActive;
    uint8_t StageXY;
    uint16_t StageDPIX;
    uint16_t StageDPIY;
    uint8_t StageColorR;
    uint8_t StageColorG;
    uint8_t StageColorB;
};

// The mouse's pointer and wheel settings and its report rate stage (high half of the third word).
struct MouseSystemRecord
{
    uint16_t DoubleClickTime;
    uint16_t MouseSpeed;
    uint16_t PointerPrecision;
    uint16_t ScorllPage;
    uint16_t WheelScorlllinse;
    uint16_t ReportStage;
};

// The headset's audio settings.
struct HeadsetSettingsRecord
{
    int32_t MagicEnable;
    int32_t MagicType;
    int32_t EqType;
    int32_t CustomEqSeletIndex;
    int32_t MicInSelect;
    int32_t MicInValue;
    int32_t MicMoniterSelect;
    int32_t MicMoniterValue;
};

#pragma pack(pop)

// One sensor correction of the mouse (not packed: it carries its name).
struct CorrectEntry
{
    uint8_t CorrectPixThresh = 0;
    uint8_t CorrectMinSq = 0;
    uint8_t CorrectSelect = 0;
    std::string CorrectName;
};

static_assert(sizeof(LightInfoRecord) == 14);
static_assert(sizeof(AudioZuvovIvudoz) == 9);
static_assert(sizeof(LightListEntry) == 14);
static_assert(sizeof(LedEffectStep) == 24);
static_assert(sizeof(KeyAssignmentEntry) == 12);
static_assert(sizeof(KeyboardSystemRecord) == 12);
static_assert(sizeof(CustomLightColor) == 4);
static_assert(sizeof(DpiStageRecord) == 9);
static_assert(sizeof(MouseSystemRecord) == 12);
static_assert(sizeof(HeadsetSettingsRecord) == 32);
