#pragma once
// CDeviceKeyButtonUI: one key or LED of a device page's key panel. It shows the key's current light
// colour (the light image tinted with the colour and brightness the device hands it) and marks keys
// that carry another assignment (the key-set image). Names "key_N" and "light_N" bind it to key or LED N.

#include "devices/DevicePageViews.h"
#include "dui/Button.h"

#include <cstdint>
#include <string>

class CDeviceKeyButtonUI : public dui::CButtonUI, public IKeyButtonDisplay
{
public:
    static constexpr std::string_view kClassName = "DeviceKeyButton";

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    // Stores the light display; the device's frame pump repaints the whole key panel.
    void SetLightDisplay(uint32_t colour, int32_t brightness, bool on) override;
    uint32_t GetLightColour() const { return m_dwLightColor; }
    int32_t GetLightBrightness() const { return m_nLightBrightness; }
    bool IsLightDisplayOn() const { return m_bLightDisplay; }
    // Hides or shows the reassignment mark; repaints only when it changes.
    void SetKeySetMarkHidden(bool hidden);
    bool IsKeySetMarkHidden() const { return m_bKeySetHidden; }
    // Set by the enclosing key panel at the end of a rectangle selection.
    void SetPanelSelected(bool selected) { m_bPanelSelected = selected; }
    bool IsPanelSelected() const { return m_bPanelSelected; }
    const std::string& GetLightImage() const { return m_sLightImage; }
    const std::string& GetKeySetImage() const { return m_sKeySetImage; }

protected:
    std::string m_sLightImage;
    std::string m_sKeySetImage;
    bool m_bLightDisplay = false;
    uint32_t m_dwLightColor = 255;
    int32_t m_nLightBrightness = 200;
    bool m_bKeySetHidden = true;
    bool m_bPanelSelected = false;
};
