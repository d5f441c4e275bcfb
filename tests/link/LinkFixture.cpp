#include "LinkFixture.h"

#include <cstdlib>

#include "link/HidBackend.h"

namespace test {

void VirtualDeviceTest::SetUp()
{
    setenv("ORVANT_VIRTUAL_HID", folder_.Path().c_str(), 1);
    // No real hardware in these tests: an empty sysfs tree.
    hid::SetHidrawRoots({folder_.Path() + "/no-sysfs", folder_.Path() + "/no-dev"});
    peer_ = std::make_unique<ScriptedPeer>(folder_.Path(), "keyboard");
}

void VirtualDeviceTest::TearDown()
{
    peer_.reset();
    unsetenv("ORVANT_VIRTUAL_HID");
    hid::ClearHidrawRoots();
}

std::string VirtualDeviceTest::FindPath(const std::string& part)
{
    CHidDevice lister;
    if (!lister.Enumerate()) {
        return {};
    }
    while (const char* path = lister.NextPath()) {
        if (std::string(path).find(part) != std::string::npos) {
            return path;
        }
    }
    return {};
}

void VirtualDeviceTest::OpenWired(CDeviceLink& link)
{
    const std::string path = FindPath("&col04");
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(link.LinkA().Open(path.c_str(), true, true, true, false));
    link.SetOpen(true);
    link.SetLinkMode(kLinkModeWired);
}

void VirtualDeviceTest::OpenWireless(CDeviceLink& link)
{
    const std::string path = FindPath("&col04");
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(link.LinkB().Open(path.c_str(), true, true, true, false));
    link.SetOpen(true);
    link.SetLinkMode(kLinkModeWireless);
}

} // namespace test
