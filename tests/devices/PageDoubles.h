#pragma once
// Stand-ins for the page controls of higher layers (key panel, key buttons, battery display, lighting
// panel), built in memory, and a device that records what reaches its notification map.

#include "devices/DevicePageViews.h"
#include "devices/NimbrelUSBDevice.h"
#include "dui/Button.h"
#include "dui/VerticalLayout.h"

#include <string>
#include <vector>

namespace devices_test {

class KeyPanel : public dui::CVerticalLayoutUI
{
public:
    std::string GetClass() const override { return "SelectPanel"; }
};

class KeyButton : public dui::CButtonUI, public IKeyButtonDisplay
{
public:
    KeyButton() = default;
    explicit KeyButton(std::string_view name) { SetName(name); }
    std::string GetClass() const override { return "DeviceKeyButton"; }
    void* GetInterface(std::string_view name) override
    {
        if (name == kInterfaceName)
            return static_cast<IKeyButtonDisplay*>(this);
        return CButtonUI::GetInterface(name);
    }
    void SetLightDisplay(uint32_t c, int32_t b, bool o) override
    {
        colour = c;
        brightness = b;
        on = o;
    }
    uint32_t colour = 255;
    int32_t brightness = 200;
    bool on = false;
};

class BatteryDisplay : public dui::CControlUI, public IBatteryDisplayView
{
public:
    void* GetInterface(std::string_view name) override
    {
        return name == kInterfaceName ? static_cast<IBatteryDisplayView*>(this)
                                      : CControlUI::GetInterface(name);
    }
    void SetBatteryPowered(bool p) override
    {
        powered = p;
        ++calls;
    }
    bool powered = false;
    int calls = 0;
};

class RecordingDevice : public CNimbrelUSBDevice
{
public:
    std::vector<std::string> handled; // "type:sender" of each notification that reached the map
    std::vector<uint16_t> codes;
    using CNimbrelUSBDevice::FindPageControl;
    using CNimbrelUSBDevice::RegisterNotifier;

protected:
    void HandleNotify(dui::TNotifyUI& msg) override
    {
        handled.push_back(msg.sType + ":" + msg.pSender->GetName());
    }
};

template <class T, class... A>
T* AddTo(dui::CContainerUI& parent, A&&... args)
{
    auto* control = new T(std::forward<A>(args)...);
    parent.Add(control);
    return control;
}

} // namespace devices_test
