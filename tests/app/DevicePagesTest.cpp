// The main window's device tiles and pages, on a small main layout (tests/app/fixtures/pages) with the
// four named containers: pages and tiles built from the tables, arrival and removal of simulated devices
// (slots claimed by hand or by the discovery against the simulator), selection, the cable/receiver
// switch with its chunk sizes, the tile pictures and the tile timers.

#include "app/DevicePages.h"

#include "app/WindowMessages.h"
#include "devices/DeviceDiscovery.h"
#include "devices/DeviceOptionUI.h"
#include "devices/DevicePageViews.h"
#include "devices/NimbrelUSBDevice.h"
#include "dui/Option.h"
#include "dui/TabLayout.h"
#include "dui/WindowWnd.h"
#include "dui/testing/UiTestHarness.h"
#include "link/HidBackend.h"
#include "link/HidDevice.h"
#include "platform/DebugOutput.h"
#include "tools/devsim/DeviceCatalog.h"
#include "tools/devsim/DeviceSimulator.h"
#include "tools/devsim/HidSocketServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kFixtures = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/pages/";

// Interface path fragments of the simulated products.
constexpr const char* kKeyboardCommand = "vid_320f&pid_5055&mi_01&col04";
constexpr const char* kKeyboardEvents = "vid_320f&pid_5055&mi_01&col03";
constexpr const char* kMouseCommand = "vid_320f&pid_221c&mi_01&col04";
constexpr const char* kReceiverCommand = "vid_320f&pid_0000&mi_01&col04";
constexpr const char* kHeadsetCommand = "vid_0c76&pid_0000&mi_03";

// Supported-device rows used here.
constexpr int kKeyboardRow = 0;
constexpr int kKeyboardEventRow = 1;
constexpr int kKeyboardReceiverRow = 2;
constexpr int kMouseRow = 4;
constexpr int kMouseReceiverRow = 6;
constexpr int kMousePadRow = 8;
constexpr int kHeadsetRow = 10;

// A device page that counts the tile timers' calls and answers the online query as told. The calls
// come on the device's worker.
class TestDevice : public CNimbrelUSBDevice
{
public:
    ~TestDevice() override { StopDeviceWork(); }
    void OnAttached() override { ++attached; }
    void RefreshBattery() override { ++batteryRefreshes; }
    bool IsWirelessOnline() override { return online; }
    void OnEventReport() override { ++eventReports; }
    std::atomic<int> attached = 0;
    std::atomic<int> batteryRefreshes = 0;
    std::atomic<int> eventReports = 0;
    std::atomic<bool> online = true;
};

class TestBattery : public dui::CControlUI, public IBatteryDisplayView
{
public:
    void* GetInterface(std::string_view name) override
    {
        return name == kInterfaceName ? static_cast<IBatteryDisplayView*>(this)
                                      : CControlUI::GetInterface(name);
    }
    void SetBatteryPowered(bool p) override { powered = p; }
    void SetDeviceKind(int k, int r) override
    {
        kind = k;
        role = r;
    }
    bool powered = false;
    int kind = -1;
    int role = -1;
};

// The main window's part of the factory: device elements become device objects.
class TestFactory : public dui::IDialogBuilderCallback
{
public:
    dui::CControlUI* CreateControl(std::string_view name) override
    {
        for (const char* device : {"NimbrelKeyboardDevice", "NimbrelMouseDevice", "NimbrelMousePadDevice",
                                   "NimbrelHS6533Device"}) {
            if (name == device)
                return new TestDevice;
        }
        if (name == "MpDevicePower")
            return new TestBattery;
        return nullptr;
    }
};

// The owner window: hands UM_WIRELESS_LINK and the devices' answers to the pages, as the main window
// does.
class OwnerWindow : public dui::CWindowWnd
{
public:
    dui::LRESULT HandleMessage(dui::UINT msg, dui::WPARAM wParam, dui::LPARAM lParam) override
    {
        if (msg == UM_WIRELESS_LINK && pages) {
            wirelessLinks.push_back({static_cast<int>(wParam), static_cast<int>(lParam)});
            pages->OnWirelessLink(static_cast<int>(wParam), lParam != 0);
            return 0;
        }
        if (msg == UM_DEVICE_WORK_DONE && pages) {
            pages->RunDeviceCompletions();
            return 0;
        }
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }
    CDevicePages* pages = nullptr;
    std::vector<std::pair<int, int>> wirelessLinks;
};

class PagesListener : public IDiscoveryListener
{
public:
    explicit PagesListener(CDevicePages*& pages) : pages_(pages) {}
    void OnDeviceArrived(int slot) override { pages_->OnDeviceArrived(slot); }
    void OnDeviceRemoved(int slot) override { pages_->OnDeviceRemoved(slot); }
    void OnFirstScanComplete() override {}

private:
    CDevicePages*& pages_;
};

class DevicePagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        char pattern[] = "/tmp/pages-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        std::filesystem::create_directories(folder_ + "/sysfs/class/hidraw");
        std::filesystem::create_directories(folder_ + "/hid");
        hid::SetHidrawRoots({folder_ + "/sysfs", folder_ + "/sysfs"});
        setenv("ORVANT_VIRTUAL_HID", (folder_ + "/hid").c_str(), 1);
        sim_ = std::make_unique<devsim::CDeviceSimulator>(folder_ + "/hid");
        ASSERT_TRUE(sim_->Start());

        savedResourcePath_ = dui::CPaintManagerUI::GetResourcePath();
        dui::CPaintManagerUI::SetResourcePath(resourcePath_.empty() ? kFixtures : resourcePath_);
        ASSERT_NE(harness_.Load("main.xml"), nullptr);
        ASSERT_NE(owner_.Create(nullptr, "Owner", 0, 0, 0, 0, 10, 10), nullptr);
        hooks_.closeChildWindows = [this] { ++childWindowCloses_; };
        hooks_.stopKeyCapture = [this] { ++keyCaptureStops_; };
        hooks_.refreshWindowState = [this] { ++refreshes_; };
        pages_ = std::make_unique<CDevicePages>(harness_.Manager(), &factory_, owner_.GetHWND(), hooks_);
        pagesPtr_ = pages_.get();
        owner_.pages = pages_.get();
        pages_->CreateBuiltInPages();
        discovery_ = std::make_unique<CDeviceDiscovery>(pages_->Slots(), listener_);
    }

    void TearDown() override
    {
        discovery_.reset();
        owner_.pages = nullptr;
        owner_.DestroyWindow();
        pages_.reset();
        dui::CPaintManagerUI::SetResourcePath(savedResourcePath_);
        sim_.reset();
        unsetenv("ORVANT_VIRTUAL_HID");
        hid::ClearHidrawRoots();
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }

    // The one listed path holding the fragment.
    std::string PathWith(const std::string& fragment)
    {
        CHidDevice lister;
        EXPECT_TRUE(lister.Enumerate());
        std::vector<std::string> found;
        while (const char* p = lister.NextPath()) {
            if (std::string(p).find(fragment) != std::string::npos)
                found.push_back(p);
        }
        EXPECT_EQ(found.size(), 1u) << fragment;
        return found.empty() ? std::string() : found[0];
    }

    bool PlugIn(const std::string& product)
    {
        return sim_->HasDevice(product) ? sim_->Plug(product) : sim_->AddDevice(product);
    }
    // Claims the slot of a table row for a path by hand (as the discovery does) and reports it.
    void Arrive(int row, const std::string& path)
    {
        SupportedDeviceEntry candidate = SupportedDeviceTable()[static_cast<size_t>(row)];
        candidate.path = path;
        int index = -1;
        ASSERT_TRUE(pages_->Slots().ClaimSlot(candidate, index));
        ASSERT_EQ(index, row);
        pages_->OnDeviceArrived(index);
        Settle();
    }
    // Reports the slot gone; settle false leaves the devices' work it started running.
    void Remove(int row, bool settle = true)
    {
        ASSERT_TRUE(pages_->Slots().ReleaseSlot(row));
        pages_->OnDeviceRemoved(row);
        if (settle)
            Settle();
    }
    // One discovery cycle on this thread: listing, then presence; then the devices' work it started.
    void Cycle()
    {
        discovery_->Scan();
        discovery_->CheckPresence();
        Settle();
    }
    // Runs the UI thread until every device's work is done and its answers are handled.
    void Settle()
    {
        ASSERT_TRUE(dui::testing::PumpEventsUntil([this] { return pages_->IsDeviceWorkIdle(); }));
    }
    // The control timers' clock moves on; then the devices' work the timers started.
    void Advance(uint32_t ms)
    {
        harness_.AdvanceTimers(ms);
        Settle();
    }

    CDeviceOptionUI* Tile(const std::vector<CNimbrelUSBDevice*>& list)
    {
        return list.empty() ? nullptr : static_cast<CDeviceOptionUI*>(list[0]->GetTile());
    }
    CDeviceOptionUI* KeyboardTile() { return Tile(pages_->Keyboards()); }
    CDeviceOptionUI* MouseTile() { return Tile(pages_->Mice()); }
    TestDevice* Keyboard() { return static_cast<TestDevice*>(pages_->Keyboards().at(0)); }
    TestDevice* Mouse() { return static_cast<TestDevice*>(pages_->Mice().at(0)); }
    dui::CTabLayoutUI* Tab(const char* name)
    {
        return static_cast<dui::CTabLayoutUI*>(harness_.Find(name)->GetInterface("TabLayout"));
    }
    // How often exactly this debug line was written.
    static int Lines(const platform::DebugCapture& capture, const std::string& line)
    {
        const std::vector<std::string> pieces = capture.Pieces();
        return static_cast<int>(std::count(pieces.begin(), pieces.end(), line));
    }
    bool NoDeviceShown() { return harness_.Find(CDevicePages::kNoDeviceName)->IsVisible(); }
    int ShownTiles()
    {
        int shown = 0;
        for (CDeviceOptionUI* tile : pages_->Tiles())
            shown += tile->IsShown() ? 1 : 0;
        return shown;
    }

    std::string folder_;
    std::string resourcePath_; // empty: the fixture layouts
    std::string savedResourcePath_;
    std::unique_ptr<devsim::CDeviceSimulator> sim_;
    dui::testing::CUiTestHarness harness_;
    TestFactory factory_;
    OwnerWindow owner_;
    CDevicePages::Hooks hooks_;
    std::unique_ptr<CDevicePages> pages_;
    CDevicePages* pagesPtr_ = nullptr;
    PagesListener listener_{pagesPtr_};
    std::unique_ptr<CDeviceDiscovery> discovery_;
    int childWindowCloses_ = 0;
    int keyCaptureStops_ = 0;
    int refreshes_ = 0;
};

// Start-up -------------------------------------------------------------------------------------------

TEST_F(DevicePagesTest, StartUpBuildsHiddenMouseAndKeyboardTilesBoundToTheirPages)
{
    const std::vector<CDeviceOptionUI*> tiles = pages_->Tiles();
    ASSERT_EQ(tiles.size(), 2u);
    ASSERT_EQ(pages_->Mice().size(), 1u);
    ASSERT_EQ(pages_->Keyboards().size(), 1u);
    EXPECT_TRUE(pages_->MousePads().empty());
    EXPECT_TRUE(pages_->Headsets().empty());
    ASSERT_EQ(pages_->BatteryDisplays().size(), 2u);

    struct Expect
    {
        CNimbrelUSBDevice* device;
        int row, kind, typeIndex, typeOrder, leds, keys;
        bool battery;
        const char* typeName;
        const char* picture;
    };
    const Expect expects[] = {
        {Mouse(), kMouseRow, kKindMouse, 0, 1, 15, 11, true, "mouse", "ms_device_"},
        {Keyboard(), kKeyboardRow, kKindKeyboard, 1, 0, 170, 170, false, "keyboard", "kb_device_"},
    };
    for (size_t i = 0; i < std::size(expects); ++i) {
        const Expect& e = expects[i];
        SCOPED_TRACE(e.typeName);
        CDeviceOptionUI* tile = tiles[i];
        EXPECT_EQ(tile->GetDevice(), e.device);
        EXPECT_EQ(e.device->GetTile(), tile);
        EXPECT_FALSE(tile->IsShown());
        EXPECT_FALSE(tile->IsVisible());
        EXPECT_FALSE(tile->IsSelected());
        EXPECT_EQ(tile->GetKind(), e.kind);
        EXPECT_EQ(tile->GetTabLayoutName(), CDevicePages::kPageSwitchName);
        // Page 0 of both tab layouts is the layout's own placeholder.
        EXPECT_EQ(tile->GetPageIndex(), static_cast<int>(i) + 1);
        EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetItemAt(tile->GetPageIndex()), e.device);
        EXPECT_EQ(tile->GetPowerLayoutName(), CDevicePages::kPowerSwitchName);
        EXPECT_EQ(Tab(CDevicePages::kPowerSwitchName)->GetItemAt(tile->GetPowerPage()),
                  e.device->GetBatteryDisplay());
        EXPECT_EQ(tile->SelectOption()->GetGroup(), "tab_header_device");
        EXPECT_EQ(tile->NameLabel()->GetRawText(), e.typeName);
        EXPECT_EQ(tile->SelectOption()->GetNormalImage(),
                  std::string("common/device_ico/") + e.picture + "normal.png");

        EXPECT_TRUE(
            CDeviceSlotList::RecordsMatch(e.device->GetDeviceRecord(), SupportedDeviceTable()[e.row]));
        EXPECT_EQ(e.device->GetDeviceIndex(), e.typeIndex);
        EXPECT_EQ(e.device->GetTypeOrder(), e.typeOrder);
        EXPECT_EQ(e.device->GetLedCount(), e.leds);
        EXPECT_EQ(e.device->GetKeyCount(), e.keys);
        EXPECT_EQ(e.device->IsBatteryPowered(), e.battery);
        EXPECT_EQ(e.device->GetTypeName(), e.typeName);
        EXPECT_EQ(e.device->GetLightingListName(), "zentor_light");
        EXPECT_EQ(e.device->GetOwnerWindow(), owner_.GetHWND());
        auto* battery = static_cast<TestBattery*>(e.device->GetBatteryDisplay());
        EXPECT_EQ(battery->kind, e.kind);
        EXPECT_EQ(battery->role, 0);
        EXPECT_EQ(battery->powered, e.battery);
    }
    pages_->UpdateNoDeviceLink();
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(pages_->CurrentDevice(), nullptr);
}

// A layout that does not build, or a page that is not a device, leaves nothing behind.
class DevicePagesMissingLayoutTest : public DevicePagesTest, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        copy_ = std::filesystem::temp_directory_path() / ("pages-layouts-" + std::to_string(getpid()));
        std::filesystem::remove_all(copy_);
        std::filesystem::copy(kFixtures, copy_, std::filesystem::copy_options::recursive);
        resourcePath_ = copy_.string() + "/";
        DevicePagesTest::SetUp();
    }
    void TearDown() override
    {
        DevicePagesTest::TearDown();
        std::filesystem::remove_all(copy_);
    }
    std::filesystem::path copy_;
};

TEST_P(DevicePagesMissingLayoutTest, MousePadPageIsNotCreated)
{
    const std::string file = copy_.string() + "/" + GetParam();
    if (std::string(GetParam()) == "XML/DeviceXml/mousepaddevice.xml#plain") {
        // A page whose root is a plain layout, not a device.
        std::ofstream(copy_.string() + "/XML/DeviceXml/mousepaddevice.xml")
            << "<VerticalLayout name=\"x\" />";
    } else {
        ASSERT_TRUE(std::filesystem::remove(file)) << file;
    }
    const size_t tiles = pages_->Tiles().size();
    const int batteryPages = Tab(CDevicePages::kPowerSwitchName)->GetCount();
    const int devicePages = Tab(CDevicePages::kPageSwitchName)->GetCount();

    EXPECT_EQ(pages_->CreateDevicePage(kMousePadRow, 0), nullptr);
    EXPECT_EQ(pages_->Tiles().size(), tiles);
    EXPECT_TRUE(pages_->MousePads().empty());
    EXPECT_EQ(pages_->BatteryDisplays().size(), 2u);
    EXPECT_EQ(Tab(CDevicePages::kPowerSwitchName)->GetCount(), batteryPages);
    EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetCount(), devicePages);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DevicePagesMissingLayoutTest,
                         ::testing::Values("XML/CustomControlXML/MpDevicePower.xml",
                                           "XML/DeviceXml/mousepaddevice.xml",
                                           "XML/CustomControlXML/DeviceOption.xml",
                                           "XML/DeviceXml/mousepaddevice.xml#plain"));

TEST_F(DevicePagesTest, RowsWithoutADeviceTypeGetNoPage)
{
    for (int row : {kKeyboardReceiverRow, kMouseReceiverRow, -1, 11}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(pages_->CreateDevicePage(row, 0), nullptr);
    }
    EXPECT_EQ(pages_->Tiles().size(), 2u);
}

// Tile pictures --------------------------------------------------------------------------------------

TEST_F(DevicePagesTest, TilePicturesFollowKindRoleAndTheSynchronisedOption)
{
    struct Case
    {
        int kind, role;
        const char* prefix; // expected after the call; kind 3 role 2 keeps the previous (hub)
    };
    const Case cases[] = {
        {1, 0, "kb_device_"},      {2, 0, "ms_device_"},     {3, 1, "soft_mp_device_"},
        {3, 0, "hard_mp_device_"}, {4, 0, "hd_device_"},     {7, 0, "hd_device_"},
        {5, 0, "hub_device_"},     {3, 2, "hub_device_"},    {9, 0, "unknow_device_"},
        {6, 0, "unknow_device_"},  {0, 0, "unknow_device_"},
    };
    CDeviceOptionUI* tile = KeyboardTile();
    dui::COptionUI* select = tile->SelectOption();
    dui::COptionUI* synchro = tile->SynchroOption();
    ASSERT_NE(select, nullptr);
    ASSERT_NE(synchro, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.role));
        tile->SetKindRole(c.kind, c.role);
        const std::string base = std::string("common/device_ico/") + c.prefix;
        EXPECT_EQ(select->GetNormalImage(), base + "normal.png");
        EXPECT_EQ(tile->SelectedImage(), base + "selected.png");
        select->SetResourceText(false);
        EXPECT_EQ(select->GetToolTip(), std::string(c.prefix) + "name_text");

        // The synchronised option, selected as the user does (with its notification), switches the
        // pictures; unselecting it switches them back.
        synchro->Selected(true);
        EXPECT_EQ(select->GetNormalImage(), base + "synchro_normal.png");
        synchro->Selected(false);
        EXPECT_EQ(select->GetNormalImage(), base + "normal.png");
    }
}

TEST_F(DevicePagesTest, ClickingATileSendsSelectChanged)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    harness_.Layout();
    const dui::RECT label = KeyboardTile()->NameLabel()->GetPos();
    const size_t before = harness_.Notifications().size();
    harness_.ClickAt({(label.left + label.right) / 2, (label.top + label.bottom) / 2});
    const auto& notes = harness_.Notifications();
    ASSERT_GT(notes.size(), before);
    EXPECT_EQ(notes.back().sType, dui::DUI_MSGTYPE_SELECTCHANGED);
    EXPECT_EQ(notes.back().sSender, KeyboardTile()->GetName());
}

// Arrival and removal --------------------------------------------------------------------------------

TEST_F(DevicePagesTest, KeyboardArrivalShowsAndSelectsItsTileOnAWiredLink)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    platform::DebugCapture capture;
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));

    CDeviceOptionUI* tile = KeyboardTile();
    EXPECT_TRUE(tile->IsShown());
    EXPECT_TRUE(tile->IsVisible());
    EXPECT_TRUE(tile->IsSelected());
    EXPECT_FALSE(MouseTile()->IsShown());
    EXPECT_FALSE(NoDeviceShown());
    EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetCurSel(), tile->GetPageIndex());
    EXPECT_EQ(Tab(CDevicePages::kPowerSwitchName)->GetCurSel(), tile->GetPowerPage());
    EXPECT_EQ(pages_->CurrentDevice(), Keyboard());

    CDeviceLink& link = Keyboard()->CommandLink();
    EXPECT_TRUE(link.IsOpen());
    EXPECT_FALSE(link.IsWireless());
    EXPECT_EQ(link.GetChunkSize(), 56);
    EXPECT_TRUE(link.LinkA().IsOpen());
    EXPECT_TRUE(capture.Contains("添加一个键盘设备"));
    EXPECT_EQ(refreshes_, 1);

    // The attach timer: the device's attach work after 500 ms, then the frame pump.
    Advance(499);
    EXPECT_EQ(Keyboard()->attached, 0);
    Advance(1);
    EXPECT_EQ(Keyboard()->attached, 1);
    EXPECT_NE(harness_.Manager().NextTimerDue(), dui::CPaintManagerUI::kNoTimer);
    EXPECT_TRUE(owner_.wirelessLinks.empty());
}

TEST_F(DevicePagesTest, RemovingTheOnlyDeviceShowsNoDeviceAndTurnsBothTabsToPageZero)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    platform::DebugCapture capture;
    Remove(kKeyboardRow);

    EXPECT_FALSE(KeyboardTile()->IsShown());
    EXPECT_FALSE(KeyboardTile()->IsSelected());
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetCurSel(), 0);
    EXPECT_EQ(Tab(CDevicePages::kPowerSwitchName)->GetCurSel(), 0);
    EXPECT_EQ(pages_->CurrentDevice(), nullptr);
    EXPECT_FALSE(Keyboard()->CommandLink().IsOpen());
    EXPECT_FALSE(Keyboard()->CommandLink().LinkA().IsOpen());
    // The selected device left: its child windows close and key capture stops.
    EXPECT_EQ(childWindowCloses_, 1);
    EXPECT_EQ(keyCaptureStops_, 1);
    const std::string text = capture.Text();
    EXPECT_LT(text.find("键盘设备丢失"), text.find("删除一个键盘设备"));
    EXPECT_NE(text.find("删除一个键盘设备"), std::string::npos);

    // Plugged in again: the same page and tile come back.
    ASSERT_TRUE(sim_->Plug("keyboard"));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    EXPECT_EQ(pages_->Keyboards().size(), 1u);
    EXPECT_EQ(pages_->Tiles().size(), 2u);
    EXPECT_TRUE(KeyboardTile()->IsSelected());
    EXPECT_TRUE(Keyboard()->CommandLink().IsOpen());
}

TEST_F(DevicePagesTest, UnpluggingADeviceMovesTheSelectionOnlyWhenItHadIt)
{
    struct Case
    {
        const char* name;
        bool unplugSelected;
    };
    for (const Case c : {Case{"selected", true}, Case{"other", false}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(PlugIn("keyboard"));
        ASSERT_TRUE(PlugIn("mouse"));
        Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
        Arrive(kMouseRow, PathWith(kMouseCommand));
        // The first device shown keeps the selection.
        ASSERT_TRUE(KeyboardTile()->IsSelected());
        ASSERT_FALSE(MouseTile()->IsSelected());
        ASSERT_EQ(ShownTiles(), 2);

        const char* product = c.unplugSelected ? "keyboard" : "mouse";
        const int row = c.unplugSelected ? kKeyboardRow : kMouseRow;
        CDeviceOptionUI* stays = c.unplugSelected ? MouseTile() : KeyboardTile();
        ASSERT_TRUE(sim_->Unplug(product));
        Remove(row);
        EXPECT_TRUE(stays->IsShown());
        EXPECT_TRUE(stays->IsSelected());
        EXPECT_EQ(pages_->CurrentDevice(), stays->GetDevice());
        EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetCurSel(), stays->GetPageIndex());
        EXPECT_FALSE(NoDeviceShown());
        EXPECT_EQ(childWindowCloses_, c.unplugSelected ? 1 : 0);

        // Unplug the rest for the next case.
        ASSERT_TRUE(sim_->Unplug(c.unplugSelected ? "mouse" : "keyboard"));
        Remove(c.unplugSelected ? kMouseRow : kKeyboardRow);
        EXPECT_EQ(ShownTiles(), 0);
        EXPECT_EQ(pages_->CurrentDevice(), nullptr);
        EXPECT_TRUE(NoDeviceShown());
        childWindowCloses_ = 0;
    }
}

TEST_F(DevicePagesTest, MousePadAndHeadsetPagesAreCreatedOnTheirFirstArrival)
{
    struct Case
    {
        const char* product;
        const char* fragment;
        int row;
        const std::vector<CNimbrelUSBDevice*>& (CDevicePages::*list)() const;
        const char* typeName;
        const char* picture;
        int typeIndex;
        const char* addedLine;
    };
    const Case cases[] = {
        {"mousepad", kReceiverCommand, kMousePadRow, &CDevicePages::MousePads, "MousePad", "hard_mp_device_",
         2, "添加一个鼠标垫设备"},
        {"headset", kHeadsetCommand, kHeadsetRow, &CDevicePages::Headsets, "HD", "hd_device_", -1,
         "添加一个鼠标垫设备"},
    };
    // The mouse pad's interface also fits the receiver rows before it; those slots are taken first.
    SupportedDeviceEntry filler = SupportedDeviceTable()[kKeyboardReceiverRow];
    int index = -1;
    for (const char* path : {"filler-a", "filler-b"}) {
        filler.path = path;
        ASSERT_TRUE(pages_->Slots().ClaimSlot(filler, index));
    }
    size_t tiles = pages_->Tiles().size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        ASSERT_TRUE(sim_->AddDevice(c.product));
        platform::DebugCapture capture;
        Arrive(c.row, PathWith(c.fragment));
        const std::vector<CNimbrelUSBDevice*>& list = (pages_.get()->*c.list)();
        ASSERT_EQ(list.size(), 1u);
        CNimbrelUSBDevice* device = list[0];
        auto* tile = static_cast<CDeviceOptionUI*>(device->GetTile());
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(pages_->Tiles().size(), ++tiles);
        EXPECT_EQ(pages_->Tiles().back(), tile);
        EXPECT_EQ(device->GetTypeName(), c.typeName);
        EXPECT_EQ(device->GetDeviceIndex(), c.typeIndex);
        EXPECT_EQ(tile->SelectOption()->GetNormalImage(),
                  std::string("common/device_ico/") + c.picture + "normal.png");
        EXPECT_TRUE(tile->IsShown());
        EXPECT_TRUE(capture.Contains(c.addedLine));
        // No link mode is chosen: the link keeps its initial wired mode with 24-byte chunks.
        EXPECT_TRUE(device->CommandLink().IsOpen());
        EXPECT_FALSE(device->CommandLink().IsWireless());
        EXPECT_EQ(device->CommandLink().GetChunkSize(), 24);

        // Gone and back: the page stays, no second one.
        ASSERT_TRUE(sim_->Unplug(c.product));
        Remove(c.row);
        EXPECT_FALSE(tile->IsShown());
        ASSERT_TRUE(sim_->Plug(c.product));
        Arrive(c.row, PathWith(c.fragment));
        EXPECT_EQ(list.size(), 1u);
        EXPECT_EQ(pages_->Tiles().size(), tiles);
        EXPECT_TRUE(tile->IsShown());
    }
    // The first device shown (the mouse pad) keeps the selection.
    EXPECT_TRUE(static_cast<CDeviceOptionUI*>(pages_->MousePads()[0]->GetTile())->IsSelected());
}

TEST_F(DevicePagesTest, EventInterfaceOpensAndClosesTheDevicesEventLink)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    Arrive(kKeyboardEventRow, PathWith(kKeyboardEvents));
    EXPECT_TRUE(Keyboard()->IsEventSideOpen(kKindKeyboard));
    EXPECT_FALSE(Keyboard()->IsEventSideOpen(kKindKeyboardReceiver));
    EXPECT_FALSE(Mouse()->IsEventSideOpen(kKindMouse));
    // An event interface does not show or hide a tile.
    EXPECT_EQ(ShownTiles(), 1);

    ASSERT_TRUE(sim_->Unplug("keyboard"));
    Remove(kKeyboardEventRow);
    EXPECT_FALSE(Keyboard()->IsEventSideOpen(kKindKeyboard));
    EXPECT_TRUE(KeyboardTile()->IsShown());
    Remove(kKeyboardRow);
    EXPECT_FALSE(KeyboardTile()->IsShown());
}

TEST_F(DevicePagesTest, ACommandLinkThatCannotOpenLeavesTheTileHidden)
{
    Arrive(kKeyboardRow, folder_ + "/hid/no-such-interface");
    EXPECT_FALSE(Keyboard()->CommandLink().IsOpen());
    EXPECT_FALSE(KeyboardTile()->IsShown());
    EXPECT_TRUE(NoDeviceShown());
    Advance(1000);
    EXPECT_EQ(Keyboard()->attached, 0);
}

TEST_F(DevicePagesTest, OutOfRangeSlotsAreIgnored)
{
    for (int slot : {-1, CDeviceSlotList::Count(), 1000}) {
        pages_->OnDeviceArrived(slot);
        pages_->OnDeviceRemoved(slot);
    }
    EXPECT_EQ(pages_->Tiles().size(), 2u);
    EXPECT_EQ(refreshes_, 0);
}

// Cable and receiver ---------------------------------------------------------------------------------

TEST_F(DevicePagesTest, KeyboardMovesBetweenReceiverAndCableKeepingOneTileAndOnePage)
{
    // On its receiver: the tile appears once the attach timer finds the device online there.
    ASSERT_TRUE(sim_->AddDevice("keyboard-receiver"));
    Cycle();
    CDeviceLink& link = Keyboard()->CommandLink();
    ASSERT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.IsWireless());
    EXPECT_EQ(link.GetChunkSize(), 24);
    EXPECT_TRUE(link.LinkB().IsOpen());
    EXPECT_FALSE(KeyboardTile()->IsShown());
    Advance(CDeviceOptionUI::kAttachDelayMs);
    ASSERT_FALSE(owner_.wirelessLinks.empty());
    EXPECT_EQ(owner_.wirelessLinks.back(), std::make_pair(Keyboard()->GetDeviceIndex(), 1));
    EXPECT_TRUE(KeyboardTile()->IsShown());
    EXPECT_TRUE(KeyboardTile()->IsSelected());
    EXPECT_EQ(Keyboard()->attached, 1);

    struct Step
    {
        devsim::LinkChoice to;
        bool wireless;
        int chunk;
    };
    const Step steps[] = {
        {devsim::LinkChoice::Cable, false, 56},
        {devsim::LinkChoice::Receiver, true, 24},
        {devsim::LinkChoice::Cable, false, 56},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.chunk);
        ASSERT_TRUE(sim_->SwitchLink("keyboard", step.to));
        Cycle();
        Advance(CDeviceOptionUI::kAttachDelayMs);
        EXPECT_EQ(pages_->Keyboards().size(), 1u);
        EXPECT_EQ(pages_->Tiles().size(), 2u);
        EXPECT_EQ(ShownTiles(), 1);
        EXPECT_TRUE(KeyboardTile()->IsShown());
        EXPECT_TRUE(link.IsOpen());
        EXPECT_EQ(link.IsWireless(), step.wireless);
        EXPECT_EQ(link.GetChunkSize(), step.chunk);
        EXPECT_EQ(link.LinkA().IsOpen(), !step.wireless);
        EXPECT_EQ(link.LinkB().IsOpen(), step.wireless);
        // The device keeps the record of its wired row.
        EXPECT_TRUE(CDeviceSlotList::RecordsMatch(Keyboard()->GetDeviceRecord(),
                                                  SupportedDeviceTable()[kKeyboardRow]));
    }
    // The commands reach the device over the link in use.
    EXPECT_TRUE(link.QueryWirelessOnline());

    // The cable goes with the receiver already gone: the keyboard is gone.
    ASSERT_TRUE(sim_->Unplug("keyboard-receiver"));
    Cycle();
    EXPECT_TRUE(KeyboardTile()->IsShown());
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    Cycle();
    EXPECT_FALSE(KeyboardTile()->IsShown());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(NoDeviceShown());
}

TEST_F(DevicePagesTest, SwitchToTheReceiverAsksABatteryDeviceWhetherItIsOnline)
{
    struct Case
    {
        const char* name;
        bool online;
        int failedLines;
    };
    // The mouse receiver's interface also fits the keyboard receiver's row, which comes first in the
    // table; that slot is taken so the receiver lands in its own row.
    SupportedDeviceEntry filler = SupportedDeviceTable()[kKeyboardReceiverRow];
    filler.path = "filler";
    int index = -1;
    ASSERT_TRUE(pages_->Slots().ClaimSlot(filler, index));
    for (const Case c :
         {Case{"online", true, 0}, Case{"offline", false, CDevicePages::kOnlineQueryTries - 1}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(PlugIn("mouse"));
        Arrive(kMouseRow, PathWith(kMouseCommand));
        ASSERT_TRUE(Mouse()->CommandLink().IsOpen());
        ASSERT_FALSE(Mouse()->IsWireless());
        // The receiver comes while the mouse is on its cable: nothing changes.
        ASSERT_TRUE(PlugIn("mouse-receiver"));
        Arrive(kMouseReceiverRow, PathWith(kReceiverCommand));
        ASSERT_FALSE(Mouse()->IsWireless());
        ASSERT_TRUE(sim_->SetOnline("mouse-receiver", c.online));
        const int refreshes = Mouse()->batteryRefreshes;

        platform::DebugCapture capture;
        ASSERT_TRUE(sim_->Unplug("mouse"));
        Remove(kMouseRow);
        EXPECT_TRUE(Mouse()->IsWireless());
        EXPECT_EQ(Mouse()->CommandLink().GetChunkSize(), 24);
        EXPECT_TRUE(MouseTile()->IsShown());
        EXPECT_EQ(Lines(capture, "获取2.4G模式失败"), c.failedLines);
        EXPECT_EQ(Lines(capture, "获取2"), 1);
        EXPECT_TRUE(capture.Contains("鼠标设备丢失"));
        EXPECT_EQ(Mouse()->batteryRefreshes, refreshes + 1);

        ASSERT_TRUE(sim_->Unplug("mouse-receiver"));
        Remove(kMouseReceiverRow);
        EXPECT_FALSE(MouseTile()->IsShown());
        EXPECT_FALSE(Mouse()->CommandLink().IsOpen());
    }
}

TEST_F(DevicePagesTest, AReceiverThatNeverAnswersDoesNotHoldUpTheWindow)
{
    SupportedDeviceEntry filler = SupportedDeviceTable()[kKeyboardReceiverRow];
    filler.path = "filler";
    int index = -1;
    ASSERT_TRUE(pages_->Slots().ClaimSlot(filler, index));
    ASSERT_TRUE(PlugIn("mouse"));
    Arrive(kMouseRow, PathWith(kMouseCommand));
    ASSERT_TRUE(PlugIn("mouse-receiver"));
    Arrive(kMouseReceiverRow, PathWith(kReceiverCommand));
    devsim::Fault silent;
    silent.kind = devsim::FaultKind::Drop;
    silent.command = kCmdWirelessOnline;
    silent.count = 0;
    ASSERT_TRUE(sim_->AddFault("mouse-receiver", silent));

    // The cable goes: the switch to the receiver is done and shown while the worker still waits for an
    // answer (each question waits up to the wireless time-out).
    platform::DebugCapture capture;
    ASSERT_TRUE(sim_->Unplug("mouse"));
    Remove(kMouseRow, false);
    EXPECT_TRUE(Mouse()->IsWireless());
    EXPECT_TRUE(MouseTile()->IsShown());
    EXPECT_FALSE(pages_->IsDeviceWorkIdle());
    EXPECT_EQ(Lines(capture, "获取2"), 0);

    // The receiver goes too: closing the link cuts the question short and the worker finishes at once.
    ASSERT_TRUE(sim_->Unplug("mouse-receiver"));
    Remove(kMouseReceiverRow);
    EXPECT_EQ(Lines(capture, "获取2"), 1);
    EXPECT_FALSE(MouseTile()->IsShown());
}

TEST_F(DevicePagesTest, ASecondIdenticalKeyboardIsIgnoredUntilTheFirstGoes)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    Cycle();
    const std::string first = PathWith(kKeyboardCommand);
    ASSERT_TRUE(Keyboard()->CommandLink().IsOpen());

    // A second product with the same ids, served beside the simulator's.
    devsim::CHidSocketServer server;
    ASSERT_TRUE(server.Start());
    devsim::HidInterfaceInfo info;
    info.vendorId = 0x320F;
    info.productId = 0x5055;
    info.interfaceNumber = 1;
    info.descriptor = devsim::DescriptorBytes(devsim::DescriptorKind::CommandInterface);
    const int second =
        server.AddInterface(folder_ + "/hid/keyboard2-mi01.hid", info, [](int, uint8_t, auto) {});
    ASSERT_GE(second, 0);
    platform::DebugCapture capture;
    Cycle();
    EXPECT_FALSE(capture.Contains("添加一个键盘设备"));
    EXPECT_EQ(pages_->Keyboards().size(), 1u);
    EXPECT_EQ(pages_->Tiles().size(), 2u);
    EXPECT_EQ(pages_->Slots().Slot(kKeyboardRow).path, first);

    // The first goes: the second takes its slot, page and tile.
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    Cycle();
    Cycle();
    EXPECT_TRUE(capture.Contains("删除一个键盘设备"));
    EXPECT_TRUE(capture.Contains("添加一个键盘设备"));
    EXPECT_NE(pages_->Slots().Slot(kKeyboardRow).path, first);
    EXPECT_NE(pages_->Slots().Slot(kKeyboardRow).path.find("keyboard2"), std::string::npos);
    EXPECT_EQ(pages_->Keyboards().size(), 1u);
    EXPECT_TRUE(KeyboardTile()->IsShown());
    EXPECT_TRUE(Keyboard()->CommandLink().IsOpen());
    server.RemoveInterface(second);
}

// Wireless presence ----------------------------------------------------------------------------------

TEST_F(DevicePagesTest, AWirelessDeviceThatDoesNotAnswerKeepsItsTileHiddenAndIsRetried)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard-receiver"));
    Keyboard()->online = false;
    Cycle();
    Advance(CDeviceOptionUI::kAttachDelayMs);
    EXPECT_FALSE(KeyboardTile()->IsShown());
    EXPECT_EQ(Keyboard()->attached, 0);
    EXPECT_TRUE(owner_.wirelessLinks.empty());

    // The attach timer tries again every 3 s; once the device answers, its tile appears.
    Keyboard()->online = true;
    Advance(CDeviceOptionUI::kAttachRetryMs - 1);
    EXPECT_FALSE(KeyboardTile()->IsShown());
    Advance(1);
    EXPECT_TRUE(KeyboardTile()->IsShown());
    EXPECT_EQ(Keyboard()->attached, 1);

    // The presence timer: the device goes out of range and comes back.
    platform::DebugCapture capture;
    Keyboard()->online = false;
    Advance(CDeviceOptionUI::kFirstPresenceMs);
    EXPECT_FALSE(KeyboardTile()->IsShown());
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_TRUE(capture.Contains("2.4gcesvdfherhue 1"));
    Keyboard()->online = true;
    Advance(CDeviceOptionUI::kPresenceMs);
    EXPECT_TRUE(KeyboardTile()->IsShown());
    EXPECT_TRUE(KeyboardTile()->IsSelected());
    ASSERT_GE(owner_.wirelessLinks.size(), 3u);
    EXPECT_EQ(owner_.wirelessLinks[owner_.wirelessLinks.size() - 2],
              std::make_pair(Keyboard()->GetDeviceIndex(), 0));
    EXPECT_EQ(owner_.wirelessLinks.back(), std::make_pair(Keyboard()->GetDeviceIndex(), 1));
}

TEST_F(DevicePagesTest, DeviceTimersReachTheDevice)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    KeyboardTile()->SetTimer(CDeviceOptionUI::kEventReportTimer, 10);
    Advance(10);
    Advance(50);
    // Each handler stops its own timer first: one call per start.
    EXPECT_EQ(Keyboard()->eventReports, 1);
}

// Selection ------------------------------------------------------------------------------------------

TEST_F(DevicePagesTest, SelectionFollowsTheOptionsAndTheNeighbourButtons)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    ASSERT_TRUE(sim_->AddDevice("headset"));
    Arrive(kMouseRow, PathWith(kMouseCommand));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    Arrive(kHeadsetRow, PathWith(kHeadsetCommand));
    const std::vector<CDeviceOptionUI*> tiles = pages_->Tiles();
    ASSERT_EQ(tiles.size(), 3u);
    ASSERT_TRUE(tiles[0]->IsSelected());

    // A click on another tile's option selects it and its pages.
    harness_.Layout();
    const dui::RECT r = tiles[2]->SelectOption()->GetPos();
    harness_.ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    EXPECT_TRUE(tiles[2]->IsSelected());
    EXPECT_FALSE(tiles[0]->IsSelected());
    pages_->OnSelectionChanged();
    EXPECT_EQ(pages_->CurrentTileIndex(), 2);
    EXPECT_EQ(pages_->CurrentDevice(), tiles[2]->GetDevice());
    EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetCurSel(), tiles[2]->GetPageIndex());
    EXPECT_EQ(Tab(CDevicePages::kPowerSwitchName)->GetCurSel(), tiles[2]->GetPowerPage());

    struct Step
    {
        int direction;
        int selected;
    };
    // Prev/next walk the shown tiles and stop at the ends.
    const Step steps[] = {{+1, 2}, {-1, 1}, {-1, 0}, {-1, 0}, {+1, 1}};
    for (const Step& step : steps) {
        pages_->SelectNeighbour(step.direction);
        EXPECT_EQ(pages_->CurrentTileIndex(), step.selected);
        EXPECT_TRUE(tiles[static_cast<size_t>(step.selected)]->IsSelected());
        EXPECT_EQ(Tab(CDevicePages::kPageSwitchName)->GetCurSel(),
                  tiles[static_cast<size_t>(step.selected)]->GetPageIndex());
    }
    // A hidden tile is skipped.
    ASSERT_TRUE(sim_->Unplug("keyboard"));
    Remove(kKeyboardRow);
    pages_->SelectNeighbour(+1);
    EXPECT_EQ(pages_->CurrentTileIndex(), 2);
}

TEST_F(DevicePagesTest, SynchronisedOptionsNeedTwoShownSynchronisedTiles)
{
    ASSERT_TRUE(sim_->AddDevice("keyboard"));
    ASSERT_TRUE(sim_->AddDevice("mouse"));
    Arrive(kKeyboardRow, PathWith(kKeyboardCommand));
    Arrive(kMouseRow, PathWith(kMouseCommand));
    KeyboardTile()->SetSynchronised(true);
    MouseTile()->SetSynchronised(true);
    Keyboard()->SetSynchronised(true);
    Mouse()->SetSynchronised(true);
    // Showing again with two synchronised tiles keeps them.
    pages_->ShowTile(0, true, false);
    EXPECT_TRUE(KeyboardTile()->IsSynchronised());
    EXPECT_TRUE(Keyboard()->IsSynchronised());

    // One device left: nothing is synchronised any more.
    ASSERT_TRUE(sim_->Unplug("mouse"));
    Remove(kMouseRow);
    EXPECT_FALSE(KeyboardTile()->IsSynchronised());
    EXPECT_FALSE(MouseTile()->IsSynchronised());
    EXPECT_FALSE(Keyboard()->IsSynchronised());
    EXPECT_FALSE(Mouse()->IsSynchronised());
    EXPECT_EQ(KeyboardTile()->SelectOption()->GetNormalImage(), KeyboardTile()->NormalImage());
}

} // namespace
