#pragma once
// CNimbrelUSBDevice: the common base of the device classes. One object is at the same time the device's
// page in the user interface (a horizontal layout built from the device's page layout file) and the
// device's controller: it owns the command link and the event link, the live lighting state and frame
// buffer, the current profile pieces and the worker threads of its kind. The main window sets it up,
// opens and closes its links and drives its periodic work through the timers of its selector tile.
//
// The kinds override the virtual operations below; their order is fixed (1-51) and each base version
// is the behaviour a kind inherits. Without a window the page is just a control tree in memory, so the
// controller runs the same in tests.
//
// Threads: set-up, notifications, timers and profile editing run on the UI thread; the kind's lighting
// thread and up to two event reader threads run beside it. The UI thread never talks to the device: the
// operations that do (the frame, attach, event, deferred, battery and online operations, lighting
// control and every command sequence of a kind) run on the device worker (PostDeviceWork), and what
// they change on the page goes back to the UI thread through PostToUi. Locks: each link's own locks
// (see CDeviceLink); profileLock_ (owner: this device) guards the profile pieces and lists,
// lightingLock_ (owner: this device) the lighting lists that worker threads read, uiLock_ (owner: this
// device) the functions waiting for the UI thread. This class never takes a link lock while holding
// one of its own.

#include "devices/DeviceWorker.h"
#include "devices/LightEffect.h"
#include "devices/SupportedDeviceEntry.h"
#include "dui/HorizontalLayout.h"
#include "dui/UIDefine.h"
#include "link/DeviceLink.h"
#include "platform/WorkerThread.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <json/value.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class CNimbrelUSBDevice : public dui::CHorizontalLayoutUI, public dui::INotifyUI
{
public:
    static constexpr std::string_view kClassName = "NimbrelUSBDevice";
    static constexpr int kReactiveSize = 170;
    static constexpr int kColumnCount = 23;
    static constexpr int kCustomColourRecordSize = 14;
    static constexpr int kDeviceInfoSize = 34;
    // Largest LED count whose frame the base sends (3 bytes per LED in one 512-byte frame).
    static constexpr int kMaxFrameLeds = 170;
    static constexpr uint32_t kReaderStopLimitMs = 500;
    // The longest event report a reader takes.
    static constexpr size_t kMaxEventReport = 4097;
    static constexpr uint32_t kLightingStopLimitMs = 1000;
    // Pause after a lighting frame the device did not accept.
    static constexpr uint32_t kRejectedFramePauseMs = 200;
    // Light display the page gives every LED button when it binds it.
    static constexpr uint32_t kLedButtonWhite = 0xFFFFFF;
    // Posted to the owner window when functions wait for the UI thread; the window calls
    // RunUiCompletions.
    static constexpr dui::UINT kWorkDoneMessage = 3340;

    using KeyNameMap = std::map<int, std::string>;
    using CustomColourRecord = std::array<uint8_t, kCustomColourRecordSize>;

    CNimbrelUSBDevice();
    // Closes both links, stops the device worker and the event readers and lets go of the tile. A kind
    // stops its own workers and calls StopDeviceWork in its destructor, before its own parts go.
    ~CNimbrelUSBDevice() override;

    // The skin library's operations this class replaces.
    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;

    // Notification entry: routes the notifications of this page's own controls to HandleNotify.
    void Notify(dui::TNotifyUI& msg) override;

    // Virtual operations in their fixed order.
    /* 1 */ virtual void InitPage();
    /* 2 */ virtual int ApplyProfileLighting();
    /* 3 */ virtual void EffectBreathing();
    /* 4 */ virtual void EffectBreathingFourColours();
    /* 5 */ virtual void EffectStatic();
    /* 6 */ virtual void EffectSpectrumCycle();
    /* 7 */ virtual void EffectBlink();
    /* 8 */ virtual void EffectBlinkFourColours();
    /* 9 */ virtual void EffectOff();
    /* 10 */ virtual void SendLightFrame();
    /* 11 */ virtual void SetLedColour(int led, uint32_t entry);
    /* 12 */ virtual uint32_t GetLedColour(int led) const;
    /* 13 */ virtual void OnAttached();
    /* 14 */ virtual void OnEventReport();
    /* 15 */ virtual void DeferredTaskA();
    /* 16 */ virtual void DeferredTaskB();
    /* 17 */ virtual void RefreshBattery();
    /* 18 */ virtual bool IsWirelessOnline();
    /* 19 */ virtual int LoadCurrentProfile();
    /* 20 */ virtual void RefreshPage();
    /* 21 */ virtual void PruneMacroAssignments();
    /* 22 */ virtual void LoadDefaultProfile();
    /* 23 */ virtual std::vector<int> UsedMacroIndexes();
    /* 24 */ virtual int WriteKeyTable(int bank, const uint8_t* keyData);
    /* 25 */ virtual int WriteKeyTableFromProfile(int bank);
    /* 26 */ virtual int WriteMacros(const std::vector<int>& macroNumbers);
    /* 27 */ virtual int WriteLightingSettings(int profileNumber, int value, int extra);
    /* 28 */ virtual void LoadLists();
    /* 29 */ virtual void SetKeyNameMap(const KeyNameMap& map);
    /* 30 */ virtual void DecayReactive(int led, int style);
    /* 31 */ virtual void SeedReactive();
    /* 32 */ virtual void RotateColumns(int direction);
    /* 33 */ virtual void ClearReactiveState();
    /* 34 */ virtual void SetFunctionTab(int tab);
    /* 35 */ virtual int GetFunctionTab() const;
    /* 36 */ virtual void UpdateProfilePaths();
    /* 37 */ virtual std::string GetProfilePath();
    /* 38 */ virtual void CommitProfile();
    /* 39 */ virtual void SetTypeOrder(int value);
    /* 40 */ virtual int GetTypeOrder() const;
    /* 41 */ virtual void SetLightEffect(const LightEffect::Words& words);
    /* 42 */ virtual void SetLightColour(uint8_t red, uint8_t green, uint8_t blue);
    /* 43 */ virtual std::array<uint8_t, 3> GetLightColour();
    /* 44 */ virtual void SelectLightItem(int index);
    /* 45 */ virtual void FeedAudioSpectrum(const uint8_t* spectrum100, int length);
    /* 46 */ virtual void FeedAudioLevels(const int32_t* values6, int count);
    /* 47 */ virtual void BindPanels() {}
    /* 48 */ virtual std::array<uint8_t, 16> GetLightEffect() const;
    /* 49 */ virtual void ResetReactiveState() {}
    /* 50 */ virtual void ApplyReactiveState() {}
    /* 51 */ virtual void AdvanceReactiveState() {}

    // Set-up, called once in this order, then InitPage.
    void SetPageLayoutPath(std::string_view path) { pageLayoutPath_ = path; }
    void SetOwnerWindow(dui::HWND window) { ownerWindow_ = window; }
    void SetKeyCount(int count);
    void SetLedCount(int count);
    void SetTypeIndex(int index) { typeIndex_ = index; }
    void SetBatteryPowered(bool powered);
    void SetProfileId(std::string_view id);
    void SetTypeName(std::string_view name) { typeName_ = name; }
    void SetBatteryDisplay(dui::CControlUI* display);
    void SetDeviceRecord(const SupportedDeviceEntry& record);
    // SetTypeOrder (39) comes here.
    void SetLightingListName(std::string_view name) { lightingListName_ = name; }

    // Identity and page bindings.
    const SupportedDeviceEntry& GetDeviceRecord() const { return record_; }
    int GetDeviceIndex() const { return typeIndex_; }
    int GetKind() const { return kind_; }
    int GetRole() const { return role_; }
    bool IsWireless() const { return commandLink_.IsWireless(); }
    bool IsBatteryPowered() const { return batteryPowered_; }
    void SetTile(dui::CControlUI* tile) { tile_ = tile; }
    dui::CControlUI* GetTile() const { return tile_; }
    dui::CControlUI* GetBatteryDisplay() const { return batteryDisplay_; }
    dui::CControlUI* GetKeyPanel() const { return keyPanel_; }
    dui::HWND GetOwnerWindow() const { return ownerWindow_; }
    const std::string& GetPageLayoutPath() const { return pageLayoutPath_; }
    std::string GetProfileId() const;
    const std::string& GetTypeName() const { return typeName_; }
    const std::string& GetLightingListName() const { return lightingListName_; }
    int GetKeyCount() const { return keyCount_; }
    int GetLedCount() const { return ledCount_; }
    // The bound button of a key or LED, or nullptr.
    dui::CControlUI* GetKeyButton(int key) const;
    dui::CControlUI* GetLedButton(int led) const;
    int GetSelectedLightItem() const { return selectedLightItem_; }
    const KeyNameMap& GetKeyNameMap() const { return keyNames_; }

    // Device work. PostDeviceWork runs the job on the device worker (keys as CDeviceWorker); false when
    // it was dropped. PostToUi runs fn on the UI thread, from any thread: queued here, the owner window
    // is told with kWorkDoneMessage and calls RunUiCompletions (UI thread), which runs them in order.
    // AskDevice runs ask on the worker and hands its answer to then on the UI thread.
    bool PostDeviceWork(std::string_view key, CDeviceWorker::Job job);
    void PostToUi(std::function<void()> fn);
    void RunUiCompletions();
    template <class Ask, class Then>
    bool AskDevice(std::string_view key, Ask ask, Then then)
    {
        return PostDeviceWork(key,
                              [this, ask = std::move(ask), then = std::move(then)](platform::Event& stop) {
                                  PostToUi([then, answer = ask(stop)] { then(answer); });
                              });
    }
    // True when no device work waits or runs and nothing waits for the UI thread.
    bool IsDeviceWorkIdle() const;

    // Applies the current profile (SetProfileId first), as the window does when one is chosen: it is
    // loaded and the page filled here, then WriteProfileToDevice runs on the worker and done gets its
    // macro result (0, -1, or by how much the macros are too long) on the UI thread.
    void ApplyCurrentProfile(std::function<void(int macroResult)> done);
    // Stops the device worker, dropping what waits; later work is refused.
    void StopDeviceWork();

    // Lighting control: the system drives the device's lighting. Switching it on tells a wired
    // keyboard with command 0x1C. Answers the command's result, or kLinkOk when nothing was sent.
    // Device work: RequestLightingControl is the UI thread's way, which changes the flag at once and
    // sends the command from the worker.
    int SetLightingControl(bool on);
    void RequestLightingControl(bool on);
    bool HasLightingControl() const { return lightingControl_.load(); }
    void SetLivePreview(bool on) { livePreview_ = on; }
    bool IsLivePreview() const { return livePreview_.load(); }
    // Synchronised lighting: the device takes part while its command link's synchronised flag is set.
    bool IsSynchronised() const { return commandLink_.IsSynchronised(); }
    void SetSynchronised(bool on) { commandLink_.SetSynchronised(on); }

    // Files: the device's data folder (created when missing), the shipped defaults and the default
    // profile file, each a path; folders end in '/'.
    std::string DataFolder() const;
    std::string DefaultDataFolder() const;
    std::string DefaultDataFile() const;

    // The event link: link A for kinds 1, 2, 3 and 7, link B for kinds 9 and 6. Opening (re)opens that
    // side on the path and starts its reader thread; false when the kind has no side or the open
    // fails. Closing stops the side's reader and closes the side.
    bool OpenEventLink(const std::string& path, int kind);
    void CloseEventLink(int kind);
    bool IsEventSideOpen(int kind) const;
    // Closes both sides and stops their readers. A kind calls it in its destructor, before its own
    // parts go, since the readers hand codes to the kind.
    void StopEventReaders();
    // The last event code a reader received (for OnEventReport).
    uint16_t GetEventCode() const { return eventCode_.load(); }

    // The links.
    CDeviceLink& CommandLink() { return commandLink_; }
    CDeviceLink& EventLink() { return eventLink_; }

    // Live lighting state.
    LightEffect GetLightEffectRecord() const;
    const CustomColourRecord& GetCustomColour(int led) const;
    void SetCustomColour(int led, const CustomColourRecord& record);
    uint8_t GetReactive(int index) const { return reactive_[index]; }
    void SetReactive(int index, uint8_t value) { reactive_[index] = value; }
    uint8_t GetColumn(int index) const { return columns_[index]; }
    void SetColumn(int index, uint8_t value) { columns_[index] = value; }

    std::recursive_mutex& ProfileLock() { return profileLock_; }
    std::recursive_mutex& LightingLock() { return lightingLock_; }

protected:
    // The notification map: what the page does with a notification of one of its own controls.
    virtual void HandleNotify(dui::TNotifyUI& msg);
    // The device half of applying a profile (on the worker): lighting settings, the macros the keys
    // play, the key table. Answers WriteMacros's result. The keyboard adds its custom colours.
    virtual int WriteProfileToDevice();
    // An event code from a reader thread (runs on that thread). The base stores it for OnEventReport.
    virtual void HandleEventCode(uint16_t code);
    // The debug line a reader writes when it ends.
    virtual std::string_view EventReaderExitLine() const;

    // The page's control of that name (this page's tree only), or nullptr.
    dui::CControlUI* FindPageControl(std::string_view name);
    // Sets up the page's profile panel ("DeviceProfileItem") and takes its current profile.
    void BindProfilePanel();
    // Binds the "DeviceKeyButton" children of a key panel by their names "key_N" and "light_N".
    void BindKeyButtons(dui::CControlUI* panel);
    // Registers the page as a notification receiver of its paint manager (once).
    void RegisterNotifier();
    // Fills the whole frame with one colour and brightness.
    void FillFrame(uint8_t red, uint8_t green, uint8_t blue, uint8_t brightness);
    // The single colour of the live effect, or a hue wheel colour when the effect is colourful.
    void FillEffectColour(const LightEffect& effect, int hueIndex, uint8_t brightness);
    // Flips the blink phase once its period (by the live speed) has passed; true at a flip.
    bool AdvanceBlinkPhase(int speed);

    // Links.
    CDeviceLink commandLink_;
    CDeviceLink eventLink_;

    // Identity.
    SupportedDeviceEntry record_;
    int kind_ = 0;
    int role_ = 0;
    int typeIndex_ = -1;
    int typeOrder_ = 0;
    std::array<uint8_t, kDeviceInfoSize> deviceInfo_{};

    // Page bindings.
    dui::CControlUI* keyPanel_ = nullptr;
    dui::CControlUI* tile_ = nullptr;
    dui::CControlUI* batteryDisplay_ = nullptr;
    dui::CControlUI* functionSwitch_ = nullptr;
    dui::CControlUI* keyFunctionSwitch_ = nullptr;
    dui::CControlUI* lightPanel_ = nullptr;  // the kind's lighting panel, bound by BindPanels
    dui::CControlUI* keySetPanel_ = nullptr; // the kind's key panel object, bound by BindPanels
    dui::HWND ownerWindow_ = nullptr;
    int functionTab_ = 1;
    int selectedLightItem_ = -1;
    bool notifierRegistered_ = false;

    // Names.
    std::string pageLayoutPath_; // empty: the page has no key or LED buttons
    std::string profileId_;      // guarded by profileLock_
    std::string lightingListName_;
    std::string typeName_;

    // Counts and buttons (index = key or LED number).
    int keyCount_ = 0;
    int ledCount_ = 0;
    std::vector<dui::CControlUI*> keyButtons_;
    std::vector<dui::CControlUI*> ledButtons_;

    // Lighting state (the effect record under lightingLock_). Frame entries: byte 0 red, 1 green, 2 blue, 3
    // brightness; written by the lighting thread and read by the UI thread entry by entry, so a frame may mix
    // two steps.
    LightEffect lightEffect_;
    std::array<uint8_t, 3> lightColour_{};
    std::vector<std::atomic<uint32_t>> frame_;
    uint8_t stepCounter_ = 0;
    uint8_t paletteIndex_ = 0;
    uint8_t blinkPhase_ = 0;
    uint32_t tickStamp_ = 0;
    std::array<uint8_t, kReactiveSize> reactive_{};
    std::array<uint8_t, kColumnCount> columns_{};
    std::vector<CustomColourRecord> customColours_;
    std::vector<int> effectCodes_;
    std::atomic<bool> lightingControl_{false};
    std::atomic<bool> livePreview_{false};

    // Profile storage (guarded by profileLock_): key names, key assignment values and key display
    // texts by key number; the current profile's lighting, key and macro pieces; the lists.
    KeyNameMap keyNames_;
    std::map<int, uint32_t> keyAssignments_;
    std::map<int, std::string> keyTexts_;
    Json::Value profileLighting_;
    Json::Value profileKeys_;
    Json::Value profileMacros_;
    mutable std::recursive_mutex profileLock_;
    mutable std::recursive_mutex lightingLock_;
    std::vector<std::string> macroNames_;
    std::vector<std::string> lightingListNames_;
    std::vector<uint8_t> keyData_;

    bool batteryPowered_ = false;
    std::atomic<uint16_t> eventCode_{0};

private:
    // One side of the event link with its reader thread.
    struct EventSide
    {
        bool linkB = false;
        platform::WorkerThread reader;
    };
    EventSide* SideOfKind(int kind);
    const EventSide* SideOfKind(int kind) const;
    CHidDevice& HidOf(const EventSide& side) { return side.linkB ? eventLink_.LinkB() : eventLink_.LinkA(); }
    std::recursive_mutex& LockOf(const EventSide& side)
    {
        return side.linkB ? eventLink_.ReceiverLock() : eventLink_.TransactionLock();
    }
    bool IsOpen(const EventSide& side) const
    {
        return side.linkB ? eventLink_.IsWireless() : eventLink_.IsOpen();
    }
    void MarkOpen(const EventSide& side, bool open);
    void CloseSide(EventSide& side);
    // The reader thread's body.
    void ReadEvents(EventSide& side, platform::Event& stop);

    EventSide sideA_{false, {}};
    EventSide sideB_{true, {}};

    CDeviceWorker worker_;
    mutable std::mutex uiLock_;
    std::vector<std::function<void()>> uiQueue_; // guarded by uiLock_
};
