#include "devices/DeviceOptionUI.h"

#include "devices/NimbrelUSBDevice.h"
#include "devices/SupportedDevices.h"
#include "dui/DialogBuilder.h"
#include "dui/Geometry.h"
#include "dui/Option.h"
#include "dui/PaintManager.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

namespace {

// Presence timer traces.
constexpr const char* kPresenceRegainedLine = "2.4gcesvdfherhue 2";
constexpr const char* kPresenceLostLine = "2.4gcesvdfherhue 3";

} // namespace

CDeviceOptionUI::CDeviceOptionUI()
{
    SetPictures(TileImagePrefix(kKindNone, 0));
}

CDeviceOptionUI::~CDeviceOptionUI()
{
    // The skin frees pages and tiles in no fixed order: whichever goes first unlinks the other.
    if (device_ && device_->GetTile() == this)
        device_->SetTile(nullptr);
    if (notifierManager_)
        notifierManager_->RemoveNotifier(this);
}

CDeviceOptionUI* CDeviceOptionUI::Create(std::string_view layout, dui::CPaintManagerUI* manager,
                                         dui::IDialogBuilderCallback* factory)
{
    // The layout's root element "DeviceOption" is the tile itself, so the root's attributes (its size)
    // apply to it; a layout with another root is built as the tile's child.
    struct RootAsTile : dui::IDialogBuilderCallback
    {
        CDeviceOptionUI* tile;
        dui::IDialogBuilderCallback* next;
        bool taken = false;
        dui::CControlUI* CreateControl(std::string_view name) override
        {
            if (!taken && dui::EqualsNoCase(name, kClassName)) {
                taken = true;
                return tile;
            }
            return next ? next->CreateControl(name) : nullptr;
        }
    };
    auto* tile = new CDeviceOptionUI;
    RootAsTile callback;
    callback.tile = tile;
    callback.next = factory;
    dui::CDialogBuilder builder;
    dui::CControlUI* root = builder.Create(layout, {}, &callback, manager);
    if (!root) {
        if (!callback.taken)
            delete tile;
        return nullptr;
    }
    if (root != tile && !tile->Add(root)) {
        delete root;
        delete tile;
        return nullptr;
    }
    tile->FindSubControls();
    return tile;
}

std::string CDeviceOptionUI::GetClass() const
{
    return std::string(kClassName);
}

void* CDeviceOptionUI::GetInterface(std::string_view name)
{
    if (name == kClassName)
        return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CDeviceOptionUI::DoInit()
{
    CHorizontalLayoutUI::DoInit();
    FindSubControls();
    // Joining a window (again) moves the listening to that window's manager.
    if (m_pManager != notifierManager_) {
        if (notifierManager_)
            notifierManager_->RemoveNotifier(this);
        notifierManager_ = m_pManager;
        if (notifierManager_)
            notifierManager_->AddNotifier(this);
    }
}

void CDeviceOptionUI::FindSubControls()
{
    auto find = [this](std::string_view name) { return FindSubControl(name); };
    auto option = [](dui::CControlUI* c) {
        return c ? static_cast<dui::COptionUI*>(c->GetInterface("Option")) : nullptr;
    };
    select_ = option(find(kSelectName));
    synchro_ = option(find(kSynchroName));
    nameLabel_ = find(kNameLabelName);
    ShowPictures();
}

void CDeviceOptionUI::DoEvent(dui::TEventUI& event)
{
    if (event.Type == dui::UIEVENT_TIMER && event.pSender == this) {
        OnTimer(static_cast<dui::UINT>(event.wParam));
        return;
    }
    if (event.Type == dui::UIEVENT_BUTTONUP && IsEnabled() && m_pManager) {
        if (dui::PtInRect(m_rcItem, event.ptMouse))
            m_pManager->SendNotify(this, dui::DUI_MSGTYPE_SELECTCHANGED);
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceOptionUI::Notify(dui::TNotifyUI& msg)
{
    if (synchro_ && msg.pSender == synchro_ && msg.sType == dui::DUI_MSGTYPE_SELECTCHANGED)
        ShowPictures();
}

// Set-up ---------------------------------------------------------------------------------------------

void CDeviceOptionUI::SetDevice(CNimbrelUSBDevice* device)
{
    if (device_ && device_ != device && device_->GetTile() == this)
        device_->SetTile(nullptr);
    device_ = device;
    if (device_)
        device_->SetTile(this);
}

void CDeviceOptionUI::ForgetDevice(const CNimbrelUSBDevice* device)
{
    if (device_ == device)
        device_ = nullptr;
}

void CDeviceOptionUI::SetKindRole(int kind, int role)
{
    kind_ = kind;
    role_ = role;
    if (const char* prefix = TileImagePrefix(kind, role))
        SetPictures(prefix);
}

void CDeviceOptionUI::SetPictures(const char* prefix)
{
    const std::string base = std::string(kTileImageFolder) + prefix;
    normalImage_ = base + kTileImageNormal;
    selectedImage_ = base + kTileImageSelected;
    synchroNormalImage_ = base + kTileImageSynchroNormal;
    synchroSelectedImage_ = base + kTileImageSynchroSelected;
    if (select_)
        select_->SetToolTip(std::string(prefix) + "name_text");
    ShowPictures();
}

void CDeviceOptionUI::ShowPictures()
{
    if (!select_)
        return;
    const bool synchronised = IsSynchronised();
    const std::string& normal = synchronised ? synchroNormalImage_ : normalImage_;
    select_->SetNormalImage(normal);
    select_->SetDisabledImage(normal);
    select_->SetAttribute("selectedimage", synchronised ? synchroSelectedImage_ : selectedImage_);
}

void CDeviceOptionUI::BindPage(std::string_view tabLayout, int page)
{
    tabLayout_ = tabLayout;
    page_ = page;
}

void CDeviceOptionUI::SetPowerPage(std::string_view layout, int page)
{
    powerLayout_ = layout;
    powerPage_ = page;
}

void CDeviceOptionUI::SetGroup(std::string_view group)
{
    if (select_)
        select_->SetGroup(group);
}

void CDeviceOptionUI::SetNameText(std::string_view text)
{
    if (nameLabel_)
        nameLabel_->SetText(text);
}

// State ----------------------------------------------------------------------------------------------

void CDeviceOptionUI::SetShown(bool shown)
{
    shown_ = shown;
    SetVisible(shown);
}

void CDeviceOptionUI::Select()
{
    if (select_)
        select_->Selected(true);
}

void CDeviceOptionUI::Unselect()
{
    if (select_)
        select_->Selected(false, false);
}

bool CDeviceOptionUI::IsSelected() const
{
    return select_ && select_->IsSelected();
}

void CDeviceOptionUI::SetSynchronised(bool on)
{
    if (!synchro_)
        return;
    synchro_->Selected(on, false);
    ShowPictures();
}

bool CDeviceOptionUI::IsSynchronised() const
{
    return synchro_ && synchro_->IsSelected();
}

// Timers ---------------------------------------------------------------------------------------------

void CDeviceOptionUI::StartAttachTimer()
{
    SetTimer(kAttachTimer, kAttachDelayMs);
}

void CDeviceOptionUI::StartPresenceTimer(dui::UINT elapseMs)
{
    if (device_ && device_->CommandLink().IsOpen())
        SetTimer(kPresenceTimer, elapseMs);
}

void CDeviceOptionUI::OnTimer(dui::UINT id)
{
    KillTimer(id);
    if (!device_)
        return;
    switch (id) {
    case kFramePumpTimer:
        OnFramePump();
        break;
    case kAttachTimer:
        OnAttach();
        break;
    case kEventReportTimer:
        RunOnDevice("event-report", &CNimbrelUSBDevice::OnEventReport);
        break;
    case kDeferredTaskATimer:
        RunOnDevice("deferred-a", &CNimbrelUSBDevice::DeferredTaskA);
        break;
    case kDeferredTaskBTimer:
        RunOnDevice("deferred-b", &CNimbrelUSBDevice::DeferredTaskB);
        break;
    case kBatteryTimer:
        OnBattery();
        break;
    case kPresenceTimer:
        OnPresence();
        break;
    default:
        break;
    }
}

CDeviceOptionUI* CDeviceOptionUI::Of(CNimbrelUSBDevice* device)
{
    dui::CControlUI* tile = device ? device->GetTile() : nullptr;
    return tile ? static_cast<CDeviceOptionUI*>(tile->GetInterface(kClassName)) : nullptr;
}

void CDeviceOptionUI::RunOnDevice(std::string_view key, void (CNimbrelUSBDevice::*operation)())
{
    CNimbrelUSBDevice* device = device_;
    device->PostDeviceWork(key, [device, operation](platform::Event&) { (device->*operation)(); });
}

// Each timer asks the device on its worker; the answer comes back here on the UI thread, to the tile
// the device has then.
void CDeviceOptionUI::OnAttach()
{
    CNimbrelUSBDevice* device = device_;
    device->AskDevice(
        "attach",
        [device](platform::Event&) {
            const bool wireless = device->IsWireless() && device->CommandLink().IsOpen();
            return AttachAnswer{wireless, !wireless || device->IsWirelessOnline()};
        },
        [device](AttachAnswer answer) {
            if (CDeviceOptionUI* tile = Of(device))
                tile->Attached(answer);
        });
}

void CDeviceOptionUI::Attached(AttachAnswer answer)
{
    if (!answer.online) {
        // The owner takes a lost device off the row (closing what belongs to it) before the tile
        // hides; without an owner the tile still hides.
        if (shown_) {
            SendWirelessLink(false);
            SetShown(false);
        }
        SetTimer(kAttachTimer, kAttachRetryMs);
        return;
    }
    if (answer.wireless)
        SendWirelessLink(true);
    RunOnDevice("attached", &CNimbrelUSBDevice::OnAttached);
    SetTimer(kFramePumpTimer, kFirstFrameMs);
    if (device_->IsBatteryPowered() && device_->CommandLink().IsOpen())
        SetTimer(kBatteryTimer, kFirstBatteryMs);
    if (device_->IsWireless())
        StartPresenceTimer(kFirstPresenceMs);
}

void CDeviceOptionUI::OnFramePump()
{
    // The worker sends the newest frame when it gets to it; while one send waits, the pump adds none.
    RunOnDevice("frame", &CNimbrelUSBDevice::SendLightFrame);
    if (IsSelected() && device_->IsLivePreview()) {
        if (dui::CControlUI* panel = device_->GetKeyPanel())
            panel->Invalidate();
    }
    if (device_->CommandLink().IsOpen())
        SetTimer(kFramePumpTimer, device_->IsWireless() ? kWirelessFrameMs : kWiredFrameMs);
}

void CDeviceOptionUI::OnBattery()
{
    RunOnDevice("battery", &CNimbrelUSBDevice::RefreshBattery);
    if (device_->IsBatteryPowered())
        SetTimer(kBatteryTimer, kBatteryMs);
}

void CDeviceOptionUI::OnPresence()
{
    if (!device_->IsWireless())
        return;
    CNimbrelUSBDevice* device = device_;
    device->AskDevice(
        "presence", [device](platform::Event&) { return device->IsWirelessOnline(); },
        [device](bool online) {
            if (CDeviceOptionUI* tile = Of(device))
                tile->PresenceAnswered(online);
        });
}

void CDeviceOptionUI::PresenceAnswered(bool online)
{
    if (!device_ || !device_->IsWireless())
        return;
    if (online) {
        if (!shown_) {
            platform::DebugOutput(kPresenceRegainedLine);
            SendWirelessLink(true);
            if (device_->IsBatteryPowered())
                RunOnDevice("battery", &CNimbrelUSBDevice::RefreshBattery);
        }
    } else if (shown_) {
        platform::DebugOutput(kPresenceLostLine);
        SendWirelessLink(false);
    }
    if (device_ && device_->IsWireless() && device_->CommandLink().IsOpen())
        SetTimer(kPresenceTimer, kPresenceMs);
}

void CDeviceOptionUI::SendWirelessLink(bool present)
{
    dui::SendMessage(device_->GetOwnerWindow(), kWirelessLinkMessage,
                     static_cast<dui::WPARAM>(device_->GetDeviceIndex()), present ? 1 : 0);
}
