// A device page built from a layout file by the skin library's builder, the way the main window
// creates it, then bound and driven through a paint manager without a window.

#include "PageDoubles.h"

#include "devices/DeviceKinds.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "dui/TabLayout.h"
#include "platform/DebugOutput.h"
#include "profiles/StorageHelpers.h"

#include <gtest/gtest.h>
#include <string>

namespace devices_test {
namespace {

// The main window's control factory for the classes of a device page.
class PageFactory : public dui::IDialogBuilderCallback
{
public:
    dui::CControlUI* CreateControl(std::string_view className) override
    {
        if (className == "NimbrelUSBDevice")
            return new RecordingDevice;
        if (className == "SelectPanel")
            return new KeyPanel;
        if (className == "DeviceKeyButton")
            return new KeyButton;
        return nullptr;
    }
};

RecordingDevice* BuildPage(dui::CContainerUI& parent)
{
    PageFactory factory;
    dui::CDialogBuilder builder;
    const std::string file = std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/devicepage.xml";
    const std::string xml = ReadFileText(file);
    EXPECT_FALSE(xml.empty()) << file;
    auto* page = static_cast<RecordingDevice*>(
        builder.CreateFromData(xml, &factory, nullptr, &parent)->GetInterface("NimbrelUSBDevice"));
    EXPECT_NE(page, nullptr) << builder.GetLastError();
    return page;
}

TEST(LayoutPage, BindsTheButtonsOfTheBuiltKeyPanel)
{
    dui::CVerticalLayoutUI root;
    RecordingDevice* page = BuildPage(root);
    ASSERT_NE(page, nullptr);
    page->SetPageLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
    page->SetKeyCount(170);
    page->SetLedCount(3);
    page->InitPage();

    ASSERT_NE(page->GetKeyPanel(), nullptr);
    EXPECT_EQ(page->GetKeyPanel()->GetName(), "device_key_panel");
    EXPECT_EQ(page->GetKeyButton(0), page->FindPageControl("key_0"));
    EXPECT_EQ(page->GetKeyButton(169), page->FindPageControl("key_169"));
    EXPECT_EQ(page->GetKeyButton(3), nullptr) << "a plain button is not a key button";
    auto* led2 = static_cast<KeyButton*>(page->GetLedButton(2));
    ASSERT_NE(led2, nullptr);
    EXPECT_EQ(led2->GetName(), "light_2");
    EXPECT_TRUE(led2->on);
    EXPECT_FALSE(static_cast<KeyButton*>(page->FindPageControl("light_5"))->on);
}

TEST(LayoutPage, FunctionTabSelectsPagesOfTheBuiltSwitches)
{
    dui::CVerticalLayoutUI root;
    RecordingDevice* page = BuildPage(root);
    ASSERT_NE(page, nullptr);
    SupportedDeviceEntry record;
    record.kind = kKindKeyboard;
    page->SetDeviceRecord(record);
    page->SetFunctionTab(4);
    auto* functions = static_cast<dui::CTabLayoutUI*>(page->FindPageControl("device_function_switch"));
    auto* keyFunctions = static_cast<dui::CTabLayoutUI*>(page->FindPageControl("device_key_function_switch"));
    EXPECT_EQ(functions->GetCurSel(), 3);
    page->SetFunctionTab(2);
    EXPECT_EQ(functions->GetCurSel(), 0);
    EXPECT_EQ(keyFunctions->GetCurSel(), 1);
}

TEST(LayoutPage, PaintManagerNotificationsReachOnlyTheSendersPage)
{
    auto* root = new dui::CVerticalLayoutUI;
    RecordingDevice* first = BuildPage(*root);
    RecordingDevice* second = BuildPage(*root);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    dui::CPaintManagerUI manager;
    manager.AttachDialog(root);
    first->RegisterNotifier();
    second->RegisterNotifier();
    first->RegisterNotifier(); // once only

    platform::DebugCapture debug;
    manager.SendNotify(second->FindPageControl("light_btn_apply"), "click");
    EXPECT_TRUE(first->handled.empty());
    ASSERT_EQ(second->handled.size(), 1u);
    EXPECT_EQ(second->handled[0], "click:light_btn_apply");

    manager.SendNotify(first->FindPageControl("key_0"), "selectchanged");
    EXPECT_EQ(first->handled, std::vector<std::string>{"selectchanged:key_0"});
    EXPECT_EQ(second->handled.size(), 1u);
    EXPECT_TRUE(debug.Contains("测试成功   、n"));
}

} // namespace
} // namespace devices_test
