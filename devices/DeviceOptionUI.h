#pragma once
// CDeviceOptionUI: the selector tile of one device in the main window's device row. It is a horizontal
// layout holding the tile layout's controls: "device_select" (the option that selects the device),
// "synchro_device_select" (the option that puts the device into synchronised lighting) and
// "device_select_name" (the name label). It knows the device it stands for, whether it is shown (a
// shown tile stands for a connected device), the device page and battery page it selects, and the
// pictures of its kind; its control timers pace the device's periodic work (light frames, battery,
// wireless presence, deferred device tasks).
//
// UI thread only. The timers hand the device's work to its worker and act on the answers when they come
// back (the UI thread never waits on the device); UM_WIRELESS_LINK goes to the device's owner window
// with a send.

#include "dui/HorizontalLayout.h"
#include "dui/UIDefine.h"

#include <string>
#include <string_view>

namespace dui {
class COptionUI;
class CPaintManagerUI;
class IDialogBuilderCallback;
} // namespace dui

class CNimbrelUSBDevice;

class CDeviceOptionUI : public dui::CHorizontalLayoutUI, public dui::INotifyUI
{
public:
    static constexpr std::string_view kClassName = "DeviceOption";
    // Names of the tile layout's controls.
    static constexpr std::string_view kSelectName = "device_select";
    static constexpr std::string_view kSynchroName = "synchro_device_select";
    static constexpr std::string_view kNameLabelName = "device_select_name";

    // The owner window's message for a device's wireless link (wParam device index, lParam 1 present,
    // 0 lost).
    static constexpr dui::UINT kWirelessLinkMessage = 3331;

    // Timer ids.
    enum Timer : dui::UINT
    {
        kFramePumpTimer = 1000,
        kAttachTimer = 1001,
        kEventReportTimer = 1002, // started by device code
        kDeferredTaskATimer = 1003,
        kDeferredTaskBTimer = 1004,
        kBatteryTimer = 1005,
        kPresenceTimer = 1007
    };
    // Periods (ms).
    static constexpr dui::UINT kAttachDelayMs = 500;
    static constexpr dui::UINT kAttachRetryMs = 3000;
    static constexpr dui::UINT kFirstFrameMs = 5;
    static constexpr dui::UINT kWiredFrameMs = 5;
    static constexpr dui::UINT kWirelessFrameMs = 500;
    static constexpr dui::UINT kFirstBatteryMs = 50;
    static constexpr dui::UINT kBatteryMs = 5000;
    static constexpr dui::UINT kFirstPresenceMs = 2000;
    static constexpr dui::UINT kPresenceMs = 3000;

    CDeviceOptionUI();
    ~CDeviceOptionUI() override;

    // A tile whose children are built from the tile layout (a file name or layout text) with the
    // manager and factory; nullptr when the layout gives no controls.
    static CDeviceOptionUI* Create(std::string_view layout, dui::CPaintManagerUI* manager,
                                   dui::IDialogBuilderCallback* factory);

    // The skin library's operations this class replaces.
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    void DoInit() override;
    void DoEvent(dui::TEventUI& event) override;
    // Watches the synchronised option of this tile to switch the pictures.
    void Notify(dui::TNotifyUI& msg) override;

    // Device: setting it also tells the device this tile. A device going away calls ForgetDevice.
    void SetDevice(CNimbrelUSBDevice* device);
    CNimbrelUSBDevice* GetDevice() const { return device_; }
    void ForgetDevice(const CNimbrelUSBDevice* device);
    // The tile a device has, or nullptr.
    static CDeviceOptionUI* Of(CNimbrelUSBDevice* device);

    // Kind and role choose the pictures (kind 3 with a role other than 0 or 1 keeps them).
    void SetKindRole(int kind, int role);
    int GetKind() const { return kind_; }
    int GetRole() const { return role_; }

    // The tab layout and page the tile selects; the battery page (layout name, index; -1: none).
    void BindPage(std::string_view tabLayout, int page);
    const std::string& GetTabLayoutName() const { return tabLayout_; }
    int GetPageIndex() const { return page_; }
    void SetPowerPage(std::string_view layout, int page);
    const std::string& GetPowerLayoutName() const { return powerLayout_; }
    int GetPowerPage() const { return powerPage_; }

    // The option group of "device_select".
    void SetGroup(std::string_view group);
    void SetNameText(std::string_view text);

    // Shown (connected) state, mirrored in the tile's visibility.
    void SetShown(bool shown);
    bool IsShown() const { return shown_; }
    // Selects "device_select" (with its notification); Unselect clears it quietly.
    void Select();
    void Unselect();
    bool IsSelected() const override;
    // The synchronised option (set quietly; the pictures follow).
    void SetSynchronised(bool on);
    bool IsSynchronised() const;

    // Timers.
    void StartAttachTimer();
    // Does nothing while the device's command link is closed.
    void StartPresenceTimer(dui::UINT elapseMs = kFirstPresenceMs);

    // The sub-controls (nullptr when the layout lacks them).
    dui::COptionUI* SelectOption() const { return select_; }
    dui::COptionUI* SynchroOption() const { return synchro_; }
    dui::CControlUI* NameLabel() const { return nameLabel_; }
    // The four pictures of the current kind.
    const std::string& NormalImage() const { return normalImage_; }
    const std::string& SelectedImage() const { return selectedImage_; }
    const std::string& SynchroNormalImage() const { return synchroNormalImage_; }
    const std::string& SynchroSelectedImage() const { return synchroSelectedImage_; }

private:
    void FindSubControls();
    void SetPictures(const char* prefix);
    // Gives "device_select" the pictures of the synchronised state.
    void ShowPictures();
    // What the attach timer's question found: whether the device was on its open receiver link, and
    // whether it answered there (always true on a cable).
    struct AttachAnswer
    {
        bool wireless;
        bool online;
    };

    void OnTimer(dui::UINT id);
    // Runs one device operation on the device's worker, under the key (one waiting copy at most).
    void RunOnDevice(std::string_view key, void (CNimbrelUSBDevice::*operation)());
    void OnAttach();
    void Attached(AttachAnswer answer);
    void OnFramePump();
    void OnBattery();
    void OnPresence();
    void PresenceAnswered(bool online);
    void SendWirelessLink(bool present);

    CNimbrelUSBDevice* device_ = nullptr;
    dui::COptionUI* select_ = nullptr;
    dui::COptionUI* synchro_ = nullptr;
    dui::CControlUI* nameLabel_ = nullptr;
    dui::CPaintManagerUI* notifierManager_ = nullptr; // the manager this tile listens to
    bool shown_ = true;
    int kind_ = 0;
    int role_ = 0;
    std::string tabLayout_;
    int page_ = -1;
    std::string powerLayout_;
    int powerPage_ = -1;
    std::string synchroSelectedImage_;
    std::string synchroNormalImage_;
    std::string selectedImage_;
    std::string normalImage_;
};
