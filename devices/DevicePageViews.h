#pragma once
// What the device object needs of the custom controls of its page that belong to higher layers (the
// key buttons and the lighting panel of the panels layer, the battery display of the main window).
// Each control answers GetInterface with the view's name; a control that does not is left alone.

#include <cstdint>
#include <string>
#include <string_view>

// A key or LED button ("DeviceKeyButton") showing the light colour of its key.
class IKeyButtonDisplay
{
public:
    static constexpr std::string_view kInterfaceName = "KeyButtonDisplay";
    // Colour as red + blue * 256 + green * 65536, brightness 0-255, and whether the light is drawn.
    virtual void SetLightDisplay(uint32_t colour, int32_t brightness, bool on) = 0;

protected:
    ~IKeyButtonDisplay() = default;
};

// The lighting panel's single colour.
class ILightColourView
{
public:
    static constexpr std::string_view kInterfaceName = "LightColourView";
    virtual void SetLightColour(uint8_t red, uint8_t green, uint8_t blue) = 0;
    virtual void GetLightColour(uint8_t& red, uint8_t& green, uint8_t& blue) const = 0;

protected:
    ~ILightColourView() = default;
};

// The battery display of a device.
class IBatteryDisplayView
{
public:
    static constexpr std::string_view kInterfaceName = "BatteryDisplayView";
    virtual void SetBatteryPowered(bool powered) = 0;
    // The kind and role of the device it belongs to (for kind-specific pictures); ignored by default.
    virtual void SetDeviceKind(int /*kind*/, int /*role*/) {}

protected:
    ~IBatteryDisplayView() = default;
};

// The profile panel of a device page ("DeviceProfileItem").
class IProfilePanelView
{
public:
    static constexpr std::string_view kInterfaceName = "ProfilePanelView";
    // Gives the panel the device kind (1 keyboard, 2 mouse, 3 mouse pad, 7 headset), the device folder
    // and the default profile file, reads the profile list and selects function tab 1; answers the
    // identifier of the current profile.
    virtual std::string SetUpProfiles(int kind, const std::string& deviceFolder,
                                      const std::string& defaultProfile) = 0;
    // Marks function tab 1-8 as the selected one (quietly).
    virtual void SelectFunctionTab(int tab) = 0;

protected:
    ~IProfilePanelView() = default;
};
