// The shipped skin: every layout under skin/XML builds with the program's custom elements standing in as
// plain containers, carries the control names the program looks up, and names only images that exist;
// the device pages give the key panel and function switches the shape the device page binds to. The main
// window is rendered to PNG (empty, and with tiles and a keyboard page) for looking at.

#include "dui/Button.h"
#include "dui/DialogBuilder.h"
#include "dui/HorizontalLayout.h"
#include "dui/MenuWnd.h"
#include "dui/Option.h"
#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"
#include "dui/TabLayout.h"
#include "dui/VerticalLayout.h"
#include "dui/testing/UiTestHarness.h"
#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

#include "dui/ControlFactory.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace dui;
namespace fs = std::filesystem;

namespace {

const fs::path kSkin = fs::path(ORVANT_SOURCE_DIR) / "skin";

// Sub-layout elements of the main window and the files that replace them.
const std::map<std::string, std::string> kSubLayouts = {
    {"deviceprofileui", "XML\\CustomControlXML\\DeviceProfile.xml"},
    {"lightsetcontrolui", "XML\\CustomControlXML\\LightControl.xml"},
    {"voice6533setcontrolui", "XML\\CustomControlXML\\Voice6533Control.xml"},
    {"magicsetcontrolui", "XML\\CustomControlXML\\MagicControl.xml"},
    {"keysetcontrolui", "XML\\CustomControlXML\\KeySetControl.xml"},
    {"macrosetcontrolui", "XML\\CustomControlXML\\MacroControl.xml"},
    {"shootkeysetcontrolui", "XML\\CustomControlXML\\ShootControl.xml"},
    {"virtualsetcontrolui", "XML\\CustomControlXML\\VirtualSet.xml"},
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Stands in for the main window's element table: plain library controls of the same kind for the
// program's own classes and the menu window's elements, the sub-layout files built the way the window builds
// them. Names it does not know are recorded.
class CStandInCallback : public IDialogBuilderCallback
{
public:
    explicit CStandInCallback(CPaintManagerUI* manager) : m_manager(manager) {}
    std::set<std::string> unknown;

    CControlUI* CreateControl(std::string_view className) override
    {
        const std::string name = Lower(className);
        static const std::set<std::string> kHorizontal = {
            "deviceoption",       "mpdevicepower",         "deviceprofile",      "nimbrelkeyboarddevice",
            "nimbrelmousedevice", "nimbrelmousepaddevice", "nimbrelhs6533device"};
        if (kHorizontal.count(name))
            return new CHorizontalLayoutUI;
        if (name == "selectpanel")
            return new CVerticalLayoutUI;
        if (name == "devicekeybutton")
            return new CButtonUI;
        // The menu window's own elements.
        if (name == "menu")
            return new CMenuUI;
        if (name == "menuelement")
            return new CMenuElementUI;
        if (auto it = kSubLayouts.find(name); it != kSubLayouts.end())
            return CDialogBuilder().Create(it->second, {}, nullptr, m_manager);
        unknown.insert(std::string(className));
        return nullptr;
    }

private:
    CPaintManagerUI* m_manager;
};

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<fs::path> ShippedLayouts()
{
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(kSkin / "XML"))
        if (e.is_regular_file() && e.path().extension() == ".xml")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

class SkinFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dui::testing::EnsureApplication();
        CPaintManagerUI::SetResourcePath(kSkin.string() + "/");
        // Sub-layouts are built without a callback: their roots come from the program's class
        // registry, which stands in here as for the callback.
        CControlFactory::GetInstance()->RegistControl(
            "CDeviceProfileUI", []() -> CControlUI* { return new CHorizontalLayoutUI; });
    }
};

// Builds a layout in a harness; the tree is owned by the harness.
CControlUI* Build(dui::testing::CUiTestHarness& h, const std::string& file, CStandInCallback& cb)
{
    return h.Load(file, &cb);
}

TEST_F(SkinFilesTest, EveryLayoutBuildsWithoutUnknownElements)
{
    const auto files = ShippedLayouts();
    ASSERT_GE(files.size(), 16u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        platform::DebugCapture capture;
        dui::testing::CUiTestHarness h({1000, 640});
        CStandInCallback cb(&h.Manager());
        EXPECT_NE(Build(h, fs::relative(file, kSkin).string(), cb), nullptr);
        EXPECT_TRUE(cb.unknown.empty()) << *cb.unknown.begin();
        EXPECT_FALSE(capture.Contains("dui:")) << capture.Text();
    }
}

TEST_F(SkinFilesTest, LayoutsCarryTheControlNamesTheProgramLooksUp)
{
    struct Case
    {
        const char* file;
        std::vector<const char*> names;
    };
    const Case cases[] = {
        {"XML/main.xml",
         {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "gamemodebtn", "cloudbtn", "smarteyesbtn",
          "setbtn", "device_select_prev", "device_select_layout", "device_select_next", "device_switch",
          "device_power_switch", "No_device_Link", "nodevice_ok_btn", "control_light_status",
          "setting_progress"}},
        {"XML/CustomControlXML/DeviceOption.xml",
         {"device_select", "synchro_device_select", "device_select_name"}},
        {"XML/Menus/menu.xml", {"show", "exit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        dui::testing::CUiTestHarness h({1000, 640});
        CStandInCallback cb(&h.Manager());
        ASSERT_NE(Build(h, c.file, cb), nullptr);
        for (const char* name : c.names)
            EXPECT_NE(h.Find(name), nullptr) << name;
    }

    dui::testing::CUiTestHarness h({1000, 640});
    CStandInCallback cb(&h.Manager());
    ASSERT_NE(Build(h, "XML/main.xml", cb), nullptr);
    EXPECT_EQ(h.Manager().GetInitSize().cx, 1000);
    EXPECT_EQ(h.Manager().GetInitSize().cy, 640);
    EXPECT_EQ(h.Manager().GetRoot()->GetName(), "root") << "the window's size notification names its root";
    EXPECT_EQ(h.Find("control_light_status")->GetText(), "控制灯光");
    EXPECT_FALSE(h.Find("setting_progress")->IsVisible());
    // Both tab layouts start with the placeholder page that stands for "no device".
    for (const char* tab : {"device_switch", "device_power_switch"}) {
        auto* layout = static_cast<CTabLayoutUI*>(h.Find(tab)->GetInterface("TabLayout"));
        ASSERT_NE(layout, nullptr) << tab;
        EXPECT_EQ(layout->GetCount(), 1) << tab;
    }
    EXPECT_EQ(h.Find("device_select_layout")->GetInterface("IContainer") != nullptr, true);
}

TEST_F(SkinFilesTest, NoDeviceLayerCoversTheWholePageArea)
{
    dui::testing::CUiTestHarness h({1000, 640});
    CStandInCallback cb(&h.Manager());
    ASSERT_NE(Build(h, "XML/main.xml", cb), nullptr);
    h.Layout();
    const RECT area = h.Find("device_page_layout")->GetPos();
    const RECT layer = h.Find("No_device_Link")->GetPos();
    EXPECT_EQ(layer.left, area.left);
    EXPECT_EQ(layer.top, area.top);
    EXPECT_EQ(layer.right, area.right);
    EXPECT_EQ(layer.bottom, area.bottom);
    const RECT tiles = h.Find("device_select_layout")->GetPos();
    EXPECT_GE(tiles.bottom - tiles.top, 72) << "a tile is 72 high";
}

// The shape the device page binds to: the key panel a direct child of the page, its key and LED buttons
// direct children of the panel numbered inside the device's key and LED counts, the function tabs, and
// enough pages in the two function switches for the pages the tabs select.
TEST_F(SkinFilesTest, DevicePagesHaveTheStructureThePageBindsTo)
{
    struct Case
    {
        const char* file;
        int keys;
        int leds;
        std::vector<const char*> tabs;
        int functionPages;
        int keyFunctionPages;
    };
    const Case cases[] = {
        {"XML\\DeviceXml\\keyboarddevice.xml",
         170,
         170,
         {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"},
         4,
         2},
        {"XML\\DeviceXml\\mousedevice.xml",
         11,
         15,
         {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "cursor_Op_tab", "system_Op_tab"},
         4,
         2},
        {"XML\\DeviceXml\\mousepaddevice.xml", 0, 15, {"deng_Op_tab"}, 1, 1},
        {"XML\\DeviceXml\\hs6533device.xml",
         0,
         13,
         {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"},
         2,
         3},
    };
    const std::regex indexed("^(key|light)_([0-9]+)$");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        dui::testing::CUiTestHarness h({1000, 466});
        CStandInCallback cb(&h.Manager());
        CControlUI* page = Build(h, c.file, cb);
        ASSERT_NE(page, nullptr);
        auto* pageItems = static_cast<IContainerUI*>(page->GetInterface("IContainer"));
        ASSERT_NE(pageItems, nullptr);
        CControlUI* panelControl = nullptr;
        for (int i = 0; i < pageItems->GetCount() && !panelControl; ++i)
            if (Lower(pageItems->GetItemAt(i)->GetName()).ends_with("_device_key_light"))
                panelControl = pageItems->GetItemAt(i);
        ASSERT_NE(panelControl, nullptr) << "key panel is not a direct child of the page";
        auto* panel = static_cast<IContainerUI*>(panelControl->GetInterface("IContainer"));
        ASSERT_NE(panel, nullptr);
        // The page fills the page area of the main window; the buttons float and must stay on the panel.
        h.Layout();
        const RECT panelRect = panelControl->GetPos();
        int buttons = 0;
        for (int i = 0; i < panel->GetCount(); ++i) {
            CControlUI* item = panel->GetItemAt(i);
            if (!item->GetInterface("Button"))
                continue;
            std::smatch m;
            const std::string name = item->GetName();
            ASSERT_TRUE(std::regex_match(name, m, indexed)) << name;
            EXPECT_LT(std::stoi(m[2]), m[1] == "key" ? c.keys : c.leds) << name;
            const RECT r = item->GetPos();
            EXPECT_TRUE(r.left >= panelRect.left && r.top >= panelRect.top && r.right <= panelRect.right &&
                        r.bottom <= panelRect.bottom)
                << name << " lies outside the key panel";
            ++buttons;
        }
        EXPECT_GT(buttons, 0);
        for (const char* tab : c.tabs)
            EXPECT_NE(h.Find(tab), nullptr) << tab;
        auto pages = [&](const char* name) {
            CControlUI* control = h.Find(name);
            auto* tab = control ? static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr;
            return tab ? tab->GetCount() : -1;
        };
        EXPECT_GE(pages("device_function_switch"), c.functionPages);
        EXPECT_GE(pages("device_key_function_switch"), c.keyFunctionPages);
        EXPECT_NE(h.Find("deviceprofile_title"), nullptr) << "profile panel";
    }
}

TEST_F(SkinFilesTest, EveryNamedImageExists)
{
    // Image descriptions: a bare file name as the value, or file='...' inside a description.
    const std::regex described("file='([^']+)'");
    const std::regex bare("=\"([^\"']+\\.png)\"");
    int seen = 0;
    for (const fs::path& file : ShippedLayouts()) {
        const std::string text = ReadText(file);
        for (const std::regex* re : {&described, &bare}) {
            for (auto it = std::sregex_iterator(text.begin(), text.end(), *re); it != std::sregex_iterator();
                 ++it) {
                ++seen;
                EXPECT_TRUE(fs::is_regular_file(kSkin / (*it)[1].str())) << file << ": " << (*it)[1];
            }
        }
    }
    EXPECT_GT(seen, 20);
}

TEST_F(SkinFilesTest, DeviceTilePicturesForEveryKindDecodeAtTileSize)
{
    for (const char* prefix : {"kb_device_", "ms_device_", "soft_mp_device_", "hard_mp_device_", "hd_device_",
                               "hub_device_", "unknow_device_"}) {
        for (const char* ending :
             {"normal.png", "selected.png", "synchro_normal.png", "synchro_selected.png"}) {
            const std::string name = std::string("common/device_ico/") + prefix + ending;
            const TImageInfo* image = CRenderEngine::GetImage(name);
            ASSERT_NE(image, nullptr) << name;
            EXPECT_EQ(image->nX, 120) << name;
            EXPECT_EQ(image->nY, 72) << name;
        }
    }
}

// Renders the window as it first shows (no device) and with three tiles and a keyboard page.
TEST_F(SkinFilesTest, MainWindowRenders)
{
    dui::testing::CUiTestHarness h({1000, 640});
    CStandInCallback cb(&h.Manager());
    ASSERT_NE(Build(h, "XML/main.xml", cb), nullptr);
    const fs::path out = fs::temp_directory_path();
    ASSERT_TRUE(h.RenderPng((out / "skin-main-nodevice.png").string()));
    const RECT ok = h.Find("nodevice_ok_btn")->GetPos();
    EXPECT_EQ(h.PixelAt((ok.left + ok.right) / 2, ok.top + 4), 0xFF2B7FFFu) << "no-device layer is on top";

    auto* row = static_cast<IContainerUI*>(h.Find("device_select_layout")->GetInterface("IContainer"));
    int index = 0;
    for (const char* prefix : {"kb_device_", "ms_device_", "hd_device_"}) {
        CControlUI* tile =
            CDialogBuilder().Create("XML\\CustomControlXML\\DeviceOption.xml", {}, &cb, &h.Manager());
        ASSERT_NE(tile, nullptr);
        ASSERT_TRUE(row->Add(tile));
        auto* container = static_cast<IContainerUI*>(tile->GetInterface("IContainer"));
        for (int i = 0; i < container->GetCount(); ++i) {
            CControlUI* item = container->GetItemAt(i);
            const std::string base = std::string("common/device_ico/") + prefix;
            if (item->GetName() == "device_select") {
                const bool synchro = index == 1;
                item->SetAttribute("normalimage", base + (synchro ? "synchro_normal.png" : "normal.png"));
                item->SetAttribute("selectedimage",
                                   base + (synchro ? "synchro_selected.png" : "selected.png"));
                static_cast<COptionUI*>(item->GetInterface("Option"))->Selected(index == 0, false);
            } else if (item->GetName() == "device_select_name") {
                item->SetText(index == 0 ? "keyboard" : index == 1 ? "mouse" : "HD");
            } else if (item->GetName() == "synchro_device_select") {
                static_cast<COptionUI*>(item->GetInterface("Option"))->Selected(index == 1, false);
            }
        }
        ++index;
    }
    CControlUI* power =
        CDialogBuilder().Create("XML\\CustomControlXML\\MpDevicePower.xml", {}, &cb, &h.Manager());
    CControlUI* page = CDialogBuilder().Create("XML\\DeviceXml\\keyboarddevice.xml", {}, &cb, &h.Manager());
    ASSERT_NE(power, nullptr);
    ASSERT_NE(page, nullptr);
    auto* powerTab = static_cast<CTabLayoutUI*>(h.Find("device_power_switch")->GetInterface("TabLayout"));
    auto* pageTab = static_cast<CTabLayoutUI*>(h.Find("device_switch")->GetInterface("TabLayout"));
    ASSERT_TRUE(powerTab->Add(power));
    ASSERT_TRUE(pageTab->Add(page));
    pageTab->SelectItem(1);
    powerTab->SelectItem(1);
    h.Find("No_device_Link")->SetVisible(false);
    h.Find("setting_progress")->SetVisible(true);
    for (const char* other : {"mousedevice", "mousepaddevice", "hs6533device"}) {
        CControlUI* more =
            CDialogBuilder().Create(std::string("XML\\DeviceXml\\") + other + ".xml", {}, &cb, &h.Manager());
        ASSERT_NE(more, nullptr) << other;
        ASSERT_TRUE(pageTab->Add(more));
    }
    const char* const shots[] = {"keyboard", "mouse", "mousepad", "headset"};
    for (int i = 0; i < 4; ++i) {
        pageTab->SelectItem(i + 1);
        ASSERT_TRUE(h.RenderPng((out / (std::string("skin-main-") + shots[i] + ".png")).string()));
    }
    const RECT tile = h.Find("device_select")->GetPos();
    EXPECT_EQ(tile.right - tile.left, 120);
    EXPECT_EQ(tile.bottom - tile.top, 72);
}

} // namespace
