#include "panels/DeviceKeyButtonUI.h"

std::string CDeviceKeyButtonUI::GetClass() const
{
    return std::string(kClassName);
}

void* CDeviceKeyButtonUI::GetInterface(std::string_view name)
{
    if (name == kClassName)
        return this;
    if (name == IKeyButtonDisplay::kInterfaceName)
        return static_cast<IKeyButtonDisplay*>(this);
    return CButtonUI::GetInterface(name);
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "lightimage") {
        m_sLightImage = value;
        Invalidate();
    } else if (name == "keysetimage") {
        m_sKeySetImage = value;
        Invalidate();
    } else if (name == "gmnametextcolor") {
        // Accepted for the layouts that carry it; it changes nothing.
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CDeviceKeyButtonUI::SetLightDisplay(uint32_t colour, int32_t brightness, bool on)
{
    m_dwLightColor = colour;
    m_nLightBrightness = brightness;
    m_bLightDisplay = on;
}

void CDeviceKeyButtonUI::SetKeySetMarkHidden(bool hidden)
{
    if (hidden == m_bKeySetHidden)
        return;
    m_bKeySetHidden = hidden;
    Invalidate();
}
