#include "devices/NimbrelUSBDevice.h"

#include "devices/DeviceKinds.h"
#include "devices/DeviceOptionUI.h"
#include "devices/DevicePageViews.h"
#include "devices/IndexedControlName.h"
#include "devices/LightingTables.h"
#include "devices/SupportedDevices.h"
#include "dui/PaintManager.h"
#include "dui/TabLayout.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"
#include "platform/Event.h"
#include "profiles/StorageHelpers.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kKeyPanelClass = "SelectPanel";
constexpr std::string_view kKeyButtonClass = "DeviceKeyButton";
constexpr std::string_view kFunctionSwitch = "device_function_switch";
constexpr std::string_view kKeyFunctionSwitch = "device_key_function_switch";
constexpr std::string_view kKeyPrefix = "key_";
constexpr std::string_view kLedPrefix = "light_";
constexpr std::string_view kProfilePanelName = "DeviceProfileItem";
constexpr int kUnchanged = -1;

// Pages of the two function switches for a function tab.
struct FunctionTabRow
{
    int tab;
    bool wiredKeyboardOrMouseOnly; // the row applies to kinds 1 and 2 only
    int functionPage;
    int keyFunctionPage; // kUnchanged leaves the switch as it is
};
constexpr FunctionTabRow kFunctionTabs[] = {
    {2, false, 0, 1},         {6, false, 0, 1}, {3, false, 1, kUnchanged}, {8, false, 1, kUnchanged},
    {4, true, 3, kUnchanged}, {4, false, 0, 2}, {7, false, 0, 2},          {5, false, 2, kUnchanged},
};
constexpr FunctionTabRow kOtherTab = {0, false, 0, 0};

const FunctionTabRow& FunctionTabPages(int tab, int kind)
{
    const bool wired = kind == kKindKeyboard || kind == kKindMouse;
    for (const FunctionTabRow& row : kFunctionTabs)
        if (row.tab == tab && (!row.wiredKeyboardOrMouseOnly || wired))
            return row;
    return kOtherTab;
}

void SelectSwitchPage(dui::CControlUI* control, int page)
{
    if (page == kUnchanged)
        return;
    if (auto* tab = static_cast<dui::CTabLayoutUI*>(control->GetInterface("TabLayout")))
        tab->SelectItem(page);
}

uint32_t PackEntry(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness)
{
    return red | (green << 8) | (blue << 16) | (static_cast<uint32_t>(brightness) << 24);
}

uint8_t EntryByte(uint32_t entry, int index)
{
    return static_cast<uint8_t>(entry >> (8 * index));
}

// One decay step of a reactive intensity: the amount by range, for each style.
struct DecayStep
{
    uint8_t atLeast;
    uint8_t amount;
};
constexpr DecayStep kDecayStyle0[] = {{128, 40}, {64, 30}, {32, 15}, {17, 8}, {1, 1}};
constexpr DecayStep kDecayStyle29[] = {{144, 45}, {128, 40}, {112, 35}, {96, 30}, {80, 25},
                                       {64, 20},  {32, 10},  {17, 5},   {1, 1}};
constexpr DecayStep kDecayOther[] = {{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 1}};

template <size_t N>
uint8_t Decay(uint8_t value, const DecayStep (&steps)[N])
{
    for (const DecayStep& s : steps)
        if (value >= s.atLeast)
            return value > s.amount ? static_cast<uint8_t>(value - s.amount) : 0;
    return 0;
}

} // namespace

CNimbrelUSBDevice::CNimbrelUSBDevice() = default;

CNimbrelUSBDevice::~CNimbrelUSBDevice()
{
    // Closing the links first cuts short a job that waits on the device, so the worker ends at once.
    commandLink_.SetOpen(false);
    commandLink_.LinkA().Close();
    commandLink_.LinkB().Close();
    StopDeviceWork();
    StopEventReaders();
    // The skin frees pages and tiles in no fixed order: whichever goes first unlinks the other.
    if (auto* tile =
            tile_ ? static_cast<CDeviceOptionUI*>(tile_->GetInterface(CDeviceOptionUI::kClassName)) : nullptr)
        tile->ForgetDevice(this);
    if (notifierRegistered_ && GetManager())
        GetManager()->RemoveNotifier(this);
}

std::string CNimbrelUSBDevice::GetClass() const
{
    return std::string(kClassName);
}

void* CNimbrelUSBDevice::GetInterface(std::string_view name)
{
    if (name == kClassName)
        return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

// Notifications --------------------------------------------------------------------------------------

void CNimbrelUSBDevice::Notify(dui::TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    // Every page receives every notification of the window; only the sender that is a control of this
    // page (found by its name in this page's own tree) belongs here.
    if (FindPageControl(msg.pSender->GetName()) != msg.pSender)
        return;
    platform::DebugOutput("测试成功   、n");
    HandleNotify(msg);
}

void CNimbrelUSBDevice::HandleNotify(dui::TNotifyUI&) {}

dui::CControlUI* CNimbrelUSBDevice::FindPageControl(std::string_view name)
{
    if (name.empty())
        return nullptr;
    return FindSubControl(name);
}

void CNimbrelUSBDevice::RegisterNotifier()
{
    if (!notifierRegistered_ && GetManager())
        notifierRegistered_ = GetManager()->AddNotifier(this);
}

// Set-up ---------------------------------------------------------------------------------------------

void CNimbrelUSBDevice::SetKeyCount(int count)
{
    count = std::max(count, 0);
    if (count != keyCount_) {
        keyButtons_.assign(static_cast<size_t>(count), nullptr);
        keyCount_ = count;
    }
}

void CNimbrelUSBDevice::SetLedCount(int count)
{
    count = std::max(count, 0);
    if (count != ledCount_) {
        ledButtons_.assign(static_cast<size_t>(count), nullptr);
        frame_ = std::vector<std::atomic<uint32_t>>(static_cast<size_t>(count));
        customColours_.resize(static_cast<size_t>(count));
        ledCount_ = count;
    }
    for (auto& entry : frame_)
        entry.store(0, std::memory_order_relaxed);
    std::fill(customColours_.begin(), customColours_.end(), CustomColourRecord{});
}

void CNimbrelUSBDevice::SetBatteryPowered(bool powered)
{
    batteryPowered_ = powered;
    if (!batteryDisplay_)
        return;
    if (auto* view = static_cast<IBatteryDisplayView*>(
            batteryDisplay_->GetInterface(IBatteryDisplayView::kInterfaceName)))
        view->SetBatteryPowered(powered);
}

void CNimbrelUSBDevice::SetBatteryDisplay(dui::CControlUI* display)
{
    batteryDisplay_ = display;
    SetBatteryPowered(batteryPowered_);
}

void CNimbrelUSBDevice::SetProfileId(std::string_view id)
{
    std::lock_guard lock(profileLock_);
    profileId_ = id;
}

std::string CNimbrelUSBDevice::GetProfileId() const
{
    std::lock_guard lock(profileLock_);
    return profileId_;
}

void CNimbrelUSBDevice::SetDeviceRecord(const SupportedDeviceEntry& record)
{
    record_ = record;
    kind_ = record.kind;
    role_ = record.role;
}

dui::CControlUI* CNimbrelUSBDevice::GetKeyButton(int key) const
{
    return key >= 0 && key < static_cast<int>(keyButtons_.size()) ? keyButtons_[key] : nullptr;
}

dui::CControlUI* CNimbrelUSBDevice::GetLedButton(int led) const
{
    return led >= 0 && led < static_cast<int>(ledButtons_.size()) ? ledButtons_[led] : nullptr;
}

// 1 InitPage -----------------------------------------------------------------------------------------

void CNimbrelUSBDevice::InitPage()
{
    BindProfilePanel();
    if (pageLayoutPath_.empty()) {
        SetKeyCount(0);
        SetLedCount(0);
        keyButtons_.clear();
        ledButtons_.clear();
        return;
    }
    keyPanel_ = nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        dui::CControlUI* child = GetItemAt(i);
        if (child && child->GetClass() == kKeyPanelClass) {
            keyPanel_ = child;
            break;
        }
    }
    if (keyPanel_)
        BindKeyButtons(keyPanel_);
}

void CNimbrelUSBDevice::BindProfilePanel()
{
    dui::CControlUI* panel = FindPageControl(kProfilePanelName);
    auto* view = panel
                     ? static_cast<IProfilePanelView*>(panel->GetInterface(IProfilePanelView::kInterfaceName))
                     : nullptr;
    if (!view)
        return;
    const DeviceFamilyEntry* family = FindFamily(kind_);
    const int kind = family ? family->wiredKind : kind_;
    SetProfileId(view->SetUpProfiles(kind, DataFolder(), DefaultDataFile()));
}

void CNimbrelUSBDevice::BindKeyButtons(dui::CControlUI* panel)
{
    auto* container = static_cast<dui::IContainerUI*>(panel->GetInterface("IContainer"));
    if (!container)
        return;
    // A page bound again forgets its earlier buttons.
    std::fill(keyButtons_.begin(), keyButtons_.end(), nullptr);
    std::fill(ledButtons_.begin(), ledButtons_.end(), nullptr);
    for (int i = 0; i < container->GetCount(); ++i) {
        dui::CControlUI* button = container->GetItemAt(i);
        if (!button || button->GetClass() != kKeyButtonClass)
            continue;
        const auto name = SplitIndexedName(button->GetName());
        if (!name || name->number < 0)
            continue;
        const auto index = static_cast<size_t>(name->number);
        if (SamePrefix(name->prefix, kKeyPrefix) && index < keyButtons_.size()) {
            keyButtons_[index] = button;
        } else if (SamePrefix(name->prefix, kLedPrefix) && index < ledButtons_.size()) {
            ledButtons_[index] = button;
            if (auto* display =
                    static_cast<IKeyButtonDisplay*>(button->GetInterface(IKeyButtonDisplay::kInterfaceName)))
                display->SetLightDisplay(kLedButtonWhite, 255, true);
        }
    }
}

// 2-12 Lighting --------------------------------------------------------------------------------------

int CNimbrelUSBDevice::ApplyProfileLighting()
{
    return 0;
}

void CNimbrelUSBDevice::FillFrame(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness)
{
    const uint32_t entry = PackEntry(red, green, blue, brightness);
    for (auto& e : frame_)
        e.store(entry, std::memory_order_relaxed);
}

void CNimbrelUSBDevice::FillEffectColour(const LightEffect& e, int hueIndex, uint8_t brightness)
{
    if (e.colourful) {
        const lighting::Rgb c = lighting::HueWheel(hueIndex);
        FillFrame(c.red, c.green, c.blue, brightness);
    } else {
        FillFrame(e.red, e.green, e.blue, brightness);
    }
}

void CNimbrelUSBDevice::EffectBreathing()
{
    const LightEffect e = GetLightEffectRecord();
    stepCounter_ = lighting::StepCounter(e.direction == 1, lighting::kBreathingCurveSize, stepCounter_, 1);
    if (stepCounter_ == 0) {
        paletteIndex_ = static_cast<uint8_t>(paletteIndex_ + 16);
        if (paletteIndex_ >= lighting::kHueWheelSize)
            paletteIndex_ = 0;
    }
    const int level = lighting::BrightnessOfLevel(e.brightness);
    FillEffectColour(e, paletteIndex_,
                     static_cast<uint8_t>(lighting::BreathingCurve(stepCounter_) * level / 256));
}

void CNimbrelUSBDevice::EffectBreathingFourColours()
{
    const LightEffect e = GetLightEffectRecord();
    stepCounter_ = lighting::StepCounter(e.direction == 1, lighting::kBreathingCurveSize, stepCounter_, 1);
    if (stepCounter_ == 0)
        paletteIndex_ = static_cast<uint8_t>((paletteIndex_ + 1) & 3);
    const lighting::Rgb c = lighting::FourColour(paletteIndex_);
    const int level = lighting::BrightnessOfLevel(e.brightness);
    FillFrame(c.red, c.green, c.blue,
              static_cast<uint8_t>(lighting::BreathingCurve(stepCounter_) * level / 256));
}

void CNimbrelUSBDevice::EffectStatic()
{
    const LightEffect e = GetLightEffectRecord();
    FillFrame(e.red, e.green, e.blue, lighting::BrightnessOfLevel(e.brightness));
}

void CNimbrelUSBDevice::EffectSpectrumCycle()
{
    const LightEffect e = GetLightEffectRecord();
    stepCounter_ = lighting::StepCounter(e.direction == 1, lighting::kHueWheelSize, stepCounter_, 1);
    const lighting::Rgb c = lighting::HueWheel(stepCounter_);
    FillFrame(c.red, c.green, c.blue, lighting::BrightnessOfLevel(e.brightness));
}

bool CNimbrelUSBDevice::AdvanceBlinkPhase(int speed)
{
    const uint32_t now = platform::GetTickCount();
    const uint32_t period = static_cast<uint32_t>(lighting::BlinkPeriod(speed)) * 200u;
    if (now - tickStamp_ < period)
        return false;
    tickStamp_ = now;
    blinkPhase_ ^= 1;
    return true;
}

void CNimbrelUSBDevice::EffectBlink()
{
    const LightEffect e = GetLightEffectRecord();
    if (AdvanceBlinkPhase(e.speed)) {
        stepCounter_ = static_cast<uint8_t>(stepCounter_ + 16);
        if (stepCounter_ >= lighting::kHueWheelSize)
            stepCounter_ = 0;
    }
    if (blinkPhase_)
        FillEffectColour(e, stepCounter_, lighting::BrightnessOfLevel(e.brightness));
    else
        FillFrame(0, 0, 0, 0);
}

void CNimbrelUSBDevice::EffectBlinkFourColours()
{
    const LightEffect e = GetLightEffectRecord();
    if (AdvanceBlinkPhase(e.speed) && blinkPhase_)
        paletteIndex_ = static_cast<uint8_t>((paletteIndex_ + 1) & 3);
    const lighting::Rgb c = lighting::FourColour(paletteIndex_);
    if (blinkPhase_)
        FillFrame(c.red, c.green, c.blue, lighting::BrightnessOfLevel(e.brightness));
    else
        FillFrame(0, 0, 0, 0);
}

void CNimbrelUSBDevice::EffectOff()
{
    FillFrame(0, 0, 0, 0);
}

void CNimbrelUSBDevice::SendLightFrame()
{
    if (!commandLink_.IsOpen() || commandLink_.IsWireless() || !lightingControl_.load())
        return;
    if (ledCount_ <= 0 || ledCount_ > kMaxFrameLeds)
        return;
    std::array<uint8_t, CDeviceLink::kMaxTransferSize> data{};
    for (int i = 0; i < ledCount_; ++i) {
        const uint32_t entry = frame_[static_cast<size_t>(i)].load(std::memory_order_relaxed);
        const int brightness = EntryByte(entry, 3);
        for (int c = 0; c < 3; ++c)
            data[static_cast<size_t>(i * 3 + c)] =
                static_cast<uint8_t>(EntryByte(entry, c) * brightness / 256);
    }
    if (commandLink_.WriteLightingFrame(data.data(), static_cast<uint32_t>(ledCount_ * 3)) != kLinkOk)
        platform::SleepMs(kRejectedFramePauseMs);
}

void CNimbrelUSBDevice::SetLedColour(int led, uint32_t entry)
{
    if (led >= 0 && led < static_cast<int>(frame_.size()))
        frame_[static_cast<size_t>(led)].store(entry, std::memory_order_relaxed);
}

uint32_t CNimbrelUSBDevice::GetLedColour(int led) const
{
    if (led < 0 || led >= static_cast<int>(frame_.size()))
        return 0;
    return frame_[static_cast<size_t>(led)].load(std::memory_order_relaxed);
}

// 13-28 Device work: the kinds provide it ------------------------------------------------------------

void CNimbrelUSBDevice::OnAttached() {}
void CNimbrelUSBDevice::OnEventReport() {}
void CNimbrelUSBDevice::DeferredTaskA() {}
void CNimbrelUSBDevice::DeferredTaskB() {}
void CNimbrelUSBDevice::RefreshBattery() {}

bool CNimbrelUSBDevice::IsWirelessOnline()
{
    return true;
}

int CNimbrelUSBDevice::LoadCurrentProfile()
{
    return 0;
}

void CNimbrelUSBDevice::RefreshPage() {}
void CNimbrelUSBDevice::PruneMacroAssignments() {}
void CNimbrelUSBDevice::LoadDefaultProfile() {}

std::vector<int> CNimbrelUSBDevice::UsedMacroIndexes()
{
    return {};
}

int CNimbrelUSBDevice::WriteKeyTable(int, const uint8_t*)
{
    return 0;
}

int CNimbrelUSBDevice::WriteKeyTableFromProfile(int)
{
    return 0;
}

int CNimbrelUSBDevice::WriteMacros(const std::vector<int>&)
{
    return 0;
}

int CNimbrelUSBDevice::WriteLightingSettings(int, int, int)
{
    return 0;
}

void CNimbrelUSBDevice::LoadLists() {}

void CNimbrelUSBDevice::SetKeyNameMap(const KeyNameMap& map)
{
    std::lock_guard lock(profileLock_);
    keyNames_ = map;
}

// 30-33 Reactive state -------------------------------------------------------------------------------

void CNimbrelUSBDevice::DecayReactive(int led, int style)
{
    if (led < 0 || led >= kReactiveSize)
        return;
    uint8_t& v = reactive_[static_cast<size_t>(led)];
    v = style == 0 ? Decay(v, kDecayStyle0) : style == 29 ? Decay(v, kDecayStyle29) : Decay(v, kDecayOther);
}

void CNimbrelUSBDevice::SeedReactive()
{
    for (int c = 0; c <= 8; ++c)
        if (columns_[static_cast<size_t>(c)] != 0)
            reactive_[static_cast<size_t>(c)] = columns_[static_cast<size_t>(c)];
}

void CNimbrelUSBDevice::RotateColumns(int direction)
{
    if (direction)
        std::rotate(columns_.rbegin(), columns_.rbegin() + 1, columns_.rend());
    else
        std::rotate(columns_.begin(), columns_.begin() + 1, columns_.end());
}

void CNimbrelUSBDevice::ClearReactiveState()
{
    reactive_.fill(0);
    columns_.fill(0);
}

// 34-35 Function tabs --------------------------------------------------------------------------------

void CNimbrelUSBDevice::SetFunctionTab(int tab)
{
    functionTab_ = tab;
    if (!functionSwitch_)
        functionSwitch_ = FindPageControl(kFunctionSwitch);
    if (!keyFunctionSwitch_)
        keyFunctionSwitch_ = FindPageControl(kKeyFunctionSwitch);
    if (!functionSwitch_ || !keyFunctionSwitch_)
        return;
    const FunctionTabRow& row = FunctionTabPages(tab, kind_);
    SelectSwitchPage(functionSwitch_, row.functionPage);
    SelectSwitchPage(keyFunctionSwitch_, row.keyFunctionPage);
}

int CNimbrelUSBDevice::GetFunctionTab() const
{
    return functionTab_;
}

// 36-46 Profile and live lighting --------------------------------------------------------------------

void CNimbrelUSBDevice::UpdateProfilePaths() {}

std::string CNimbrelUSBDevice::GetProfilePath()
{
    return {};
}

void CNimbrelUSBDevice::CommitProfile() {}

void CNimbrelUSBDevice::SetTypeOrder(int value)
{
    typeOrder_ = value;
}

int CNimbrelUSBDevice::GetTypeOrder() const
{
    return typeOrder_;
}

void CNimbrelUSBDevice::SetLightEffect(const LightEffect::Words& words)
{
    std::lock_guard lock(lightingLock_);
    lightEffect_ = LightEffect::FromWords(words);
}

LightEffect CNimbrelUSBDevice::GetLightEffectRecord() const
{
    std::lock_guard lock(lightingLock_);
    return lightEffect_;
}

std::array<uint8_t, 16> CNimbrelUSBDevice::GetLightEffect() const
{
    const LightEffect e = GetLightEffectRecord();
    std::array<uint8_t, 16> bytes{};
    std::copy_n(e.Bytes(), bytes.size(), bytes.begin());
    return bytes;
}

void CNimbrelUSBDevice::SetLightColour(uint8_t red, uint8_t green, uint8_t blue)
{
    lightColour_ = {red, green, blue};
    if (!lightPanel_)
        return;
    if (auto* view =
            static_cast<ILightColourView*>(lightPanel_->GetInterface(ILightColourView::kInterfaceName)))
        view->SetLightColour(red, green, blue);
}

std::array<uint8_t, 3> CNimbrelUSBDevice::GetLightColour()
{
    if (lightPanel_) {
        if (auto* view =
                static_cast<ILightColourView*>(lightPanel_->GetInterface(ILightColourView::kInterfaceName)))
            view->GetLightColour(lightColour_[0], lightColour_[1], lightColour_[2]);
    }
    return lightColour_;
}

void CNimbrelUSBDevice::SelectLightItem(int index)
{
    selectedLightItem_ = index;
}

void CNimbrelUSBDevice::FeedAudioSpectrum(const uint8_t*, int) {}
void CNimbrelUSBDevice::FeedAudioLevels(const int32_t*, int) {}

const CNimbrelUSBDevice::CustomColourRecord& CNimbrelUSBDevice::GetCustomColour(int led) const
{
    static const CustomColourRecord kNone{};
    return led >= 0 && led < static_cast<int>(customColours_.size())
               ? customColours_[static_cast<size_t>(led)]
               : kNone;
}

void CNimbrelUSBDevice::SetCustomColour(int led, const CustomColourRecord& record)
{
    if (led >= 0 && led < static_cast<int>(customColours_.size()))
        customColours_[static_cast<size_t>(led)] = record;
}

// Device work ----------------------------------------------------------------------------------------

bool CNimbrelUSBDevice::PostDeviceWork(std::string_view key, CDeviceWorker::Job job)
{
    return worker_.Post(std::move(job), key);
}

void CNimbrelUSBDevice::PostToUi(std::function<void()> fn)
{
    bool first = false;
    {
        std::lock_guard guard(uiLock_);
        first = uiQueue_.empty();
        uiQueue_.push_back(std::move(fn));
    }
    // One message per batch: the window runs everything queued until then.
    if (first && ownerWindow_)
        dui::PostMessage(ownerWindow_, kWorkDoneMessage, 0, 0);
}

void CNimbrelUSBDevice::RunUiCompletions()
{
    std::vector<std::function<void()>> ready;
    {
        std::lock_guard guard(uiLock_);
        ready.swap(uiQueue_);
    }
    for (auto& fn : ready)
        fn();
}

bool CNimbrelUSBDevice::IsDeviceWorkIdle() const
{
    std::lock_guard guard(uiLock_);
    return uiQueue_.empty() && worker_.IsIdle();
}

void CNimbrelUSBDevice::StopDeviceWork()
{
    worker_.Stop();
    std::lock_guard guard(uiLock_);
    uiQueue_.clear();
}

void CNimbrelUSBDevice::ApplyCurrentProfile(std::function<void(int macroResult)> done)
{
    LoadCurrentProfile();
    PruneMacroAssignments();
    RefreshPage();
    AskDevice(
        "apply-profile", [this](platform::Event&) { return WriteProfileToDevice(); },
        [done = std::move(done)](int macroResult) {
            if (done)
                done(macroResult);
        });
}

int CNimbrelUSBDevice::WriteProfileToDevice()
{
    WriteLightingSettings(0, 0, 0);
    const int macros = WriteMacros(UsedMacroIndexes());
    WriteKeyTableFromProfile(0);
    return macros;
}

// Shared operations ----------------------------------------------------------------------------------

int CNimbrelUSBDevice::SetLightingControl(bool on)
{
    lightingControl_ = on;
    if (on && kind_ == kKindKeyboard && commandLink_.IsOpen())
        return commandLink_.TakeLightingControl();
    return kLinkOk;
}

void CNimbrelUSBDevice::RequestLightingControl(bool on)
{
    lightingControl_ = on;
    // The job applies the state current when it runs, so one waiting copy serves every change.
    PostDeviceWork("lighting-control",
                   [this](platform::Event&) { SetLightingControl(lightingControl_.load()); });
}

std::string CNimbrelUSBDevice::DataFolder() const
{
    return GetDeviceFolder(typeName_);
}

std::string CNimbrelUSBDevice::DefaultDataFolder() const
{
    return GetDefaultDataFolder();
}

std::string CNimbrelUSBDevice::DefaultDataFile() const
{
    return DefaultDataFolder() + typeName_ + ".Json";
}

// Event link -----------------------------------------------------------------------------------------

CNimbrelUSBDevice::EventSide* CNimbrelUSBDevice::SideOfKind(int kind)
{
    return const_cast<EventSide*>(std::as_const(*this).SideOfKind(kind));
}

const CNimbrelUSBDevice::EventSide* CNimbrelUSBDevice::SideOfKind(int kind) const
{
    switch (kind) {
    case kKindKeyboard:
    case kKindMouse:
    case kKindMousePad:
    case kKindHeadset:
        return &sideA_;
    case kKindKeyboardReceiver:
    case kKindMouseReceiver:
        return &sideB_;
    default:
        return nullptr;
    }
}

bool CNimbrelUSBDevice::IsEventSideOpen(int kind) const
{
    const EventSide* side = SideOfKind(kind);
    return side && IsOpen(*side);
}

void CNimbrelUSBDevice::MarkOpen(const EventSide& side, bool open)
{
    if (side.linkB)
        eventLink_.SetLinkMode(open ? kLinkModeWireless : kLinkModeWired);
    else
        eventLink_.SetOpen(open);
}

bool CNimbrelUSBDevice::OpenEventLink(const std::string& path, int kind)
{
    EventSide* side = SideOfKind(kind);
    if (!side)
        return false;
    if (IsOpen(*side) || side->reader.IsRunning())
        CloseEventLink(kind);
    bool opened = false;
    {
        std::lock_guard lock(LockOf(*side));
        CHidDevice& hid = HidOf(*side);
        hid.Close();
        opened = hid.Open(path.c_str(), true, true, true, false);
        if (opened)
            MarkOpen(*side, true);
    }
    if (!opened)
        return false;
    side->reader.Start([this, side](platform::Event& stop) { ReadEvents(*side, stop); });
    return true;
}

void CNimbrelUSBDevice::CloseEventLink(int kind)
{
    if (EventSide* side = SideOfKind(kind))
        CloseSide(*side);
}

void CNimbrelUSBDevice::StopEventReaders()
{
    CloseSide(sideA_);
    CloseSide(sideB_);
}

void CNimbrelUSBDevice::CloseSide(EventSide& side)
{
    if (!IsOpen(side) && !side.reader.IsRunning())
        return;
    // The reader may be blocked in a read without time-out: signal its stop event, then close the side,
    // which cuts the read short, so the reader sees the stop within its limit.
    side.reader.StopEvent().Set();
    {
        std::lock_guard lock(LockOf(side));
        MarkOpen(side, false);
        HidOf(side).Close();
    }
    if (side.reader.IsRunning())
        side.reader.Stop(kReaderStopLimitMs);
}

void CNimbrelUSBDevice::ReadEvents(EventSide& side, platform::Event& stop)
{
    CHidDevice& hid = HidOf(side);
    // The report is read into the reader's own buffer, without the side's lock (closing the side cuts
    // the read short); decoding uses the side's layout, so it runs under the lock that closing takes.
    std::array<uint8_t, kMaxEventReport> report{};
    while (!platform::WaitOne(stop, 1)) {
        if (!IsOpen(side))
            continue;
        uint32_t bytesRead = 0;
        if (!hid.ReadReport(report.data(), static_cast<uint32_t>(report.size()), &bytesRead,
                            platform::kInfinite))
            continue;
        uint32_t code = 0;
        {
            std::lock_guard lock(LockOf(side));
            HidDataItem* items = hid.GetInputDataItems();
            const uint32_t count = hid.GetInputDataItemCount();
            if (!IsOpen(side) || count == 0 ||
                !CHidDevice::UnpackReport(report.data(), bytesRead, HidReportKind::Input, items, count,
                                          hid.GetPreparsedData()))
                continue;
            const HidDataItem& first = items[0];
            code = first.isButtonData ? (first.usages.empty() ? 0u : first.usages[0]) : first.rawValue;
        }
        platform::DebugOutput("接收到自动添加设备的同步信息要求  TEST");
        // A report with no usage on carries no event.
        if (code != 0)
            HandleEventCode(static_cast<uint16_t>(code));
    }
    platform::DebugOutput(EventReaderExitLine());
}

void CNimbrelUSBDevice::HandleEventCode(uint16_t code)
{
    eventCode_ = code;
}

std::string_view CNimbrelUSBDevice::EventReaderExitLine() const
{
    return "MS 设备同步线程设定退出";
}
