#include "app/ControlRegistry.h"

#include "devices/DeviceOptionUI.h"
#include "devices/NimbrelUSBDevice.h"
#include "panels/DeviceKeyButtonUI.h"
#include "panels/DeviceProfileUI.h"
#include "panels/MpDevicePowerUI.h"
#include "panels/SelectPanelUI.h"

namespace {

template <class T>
dui::CControlUI* Make()
{
    return new T;
}

constexpr ControlClassEntry kControlClasses[] = {
    {"CCircleProgressUI", nullptr},
    {"CChartViewUI", nullptr},
    {"CWndUI", nullptr},
    {"CSelectPanelUI", &Make<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", &Make<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", nullptr},
    {"CUpdateInfoListItemUI", nullptr},
    {"CDeviceOptionUI", &Make<CDeviceOptionUI>},
    {"CMpDevicePowerUI", &Make<CMpDevicePowerUI>},
    {"CComboEditContainerElementUI", nullptr},
    {"CHandImgButtonUI", nullptr},
    {"CHandImgSelectButtonUI", nullptr},
    {"CRedioMacroButtonUI", nullptr},
    {"CAudioRecordUI", nullptr},
    {"CLightControlUI", nullptr},
    {"CMacroControlUI", nullptr},
    {"CKeySetControlUI", nullptr},
    {"CDeviceProfileUI", &Make<CDeviceProfileUI>},
    {"CShootControlUI", nullptr},
    {"CMagicControlUI", nullptr},
    {"CVoice6533ControlUI", nullptr},
    {"CNimbrelUSBDevice", &Make<CNimbrelUSBDevice>},
    {"CNimbrelMousePadDevice", nullptr},
    {"CNimbrelHS6533Device", nullptr},
};

} // namespace

std::span<const ControlClassEntry> ControlClasses()
{
    return kControlClasses;
}

int RegisterControlClasses()
{
    int registered = 0;
    for (const ControlClassEntry& entry : kControlClasses) {
        if (entry.creator) {
            dui::CControlFactory::GetInstance()->RegistControl(entry.name, entry.creator);
            ++registered;
        }
    }
    return registered;
}
