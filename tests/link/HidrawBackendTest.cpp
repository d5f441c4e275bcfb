// The hidraw back end against fake sysfs trees laid out like the kernel's: the class entry links to the
// node under its HID device, whose parent is the USB interface and whose grandparent the USB device.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ScriptedPeer.h"
#include "link/HidBackend.h"
#include "link/HidDevice.h"

namespace test {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class FakeSysfs
{
public:
    FakeSysfs() { hid::SetHidrawRoots({Sysfs(), Dev()}); }
    ~FakeSysfs() { hid::ClearHidrawRoots(); }

    std::string Sysfs() const { return folder_.Path() + "/sys"; }
    std::string Dev() const { return folder_.Path() + "/dev"; }

    // Adds hidrawN for a USB interface (interfaceNumber < 0: a device that is not on USB, which names
    // its interface in HID_PHYS instead).
    void Add(int n, uint16_t vendor, uint16_t product, int interfaceNumber, const Bytes& descriptor,
             const std::string& phys = "")
    {
        const std::string node = "hidraw" + std::to_string(n);
        char hidName[64];
        std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", vendor, product, n + 1);
        const fs::path usbDevice = fs::path(Sysfs()) / "devices/usb1" / ("1-" + std::to_string(n));
        const fs::path usbInterface = usbDevice / ("1-" + std::to_string(n) + ":1.1");
        const fs::path hidDevice =
            (interfaceNumber >= 0 ? usbInterface : fs::path(Sysfs()) / "devices/virtual") / hidName;
        WriteFile(usbDevice / "bcdDevice", "0105\n");
        if (interfaceNumber >= 0) {
            char text[8];
            std::snprintf(text, sizeof text, "%02x\n", interfaceNumber);
            WriteFile(usbInterface / "bInterfaceNumber", text);
        }
        char uevent[160];
        std::snprintf(uevent, sizeof uevent,
                      "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=Test\nHID_PHYS=%s\n", vendor,
                      product, phys.c_str());
        WriteFile(hidDevice / "uevent", uevent);
        WriteFile(hidDevice / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
        fs::create_directories(hidDevice / "hidraw" / node);
        fs::create_symlink("../../", hidDevice / "hidraw" / node / "device");
        fs::create_directories(fs::path(Sysfs()) / "class/hidraw");
        fs::create_symlink(hidDevice / "hidraw" / node, fs::path(Sysfs()) / "class/hidraw" / node);
        fs::create_directories(Dev());
        mkfifo((Dev() + "/" + node).c_str(), 0600);
    }

    std::vector<std::string> Paths()
    {
        CHidDevice lister;
        std::vector<std::string> out;
        EXPECT_TRUE(lister.Enumerate());
        while (const char* p = lister.NextPath()) {
            out.emplace_back(p);
        }
        return out;
    }

private:
    TempFolder folder_;
};

TEST(HidrawBackendTest, PathsCarryIdsInterfaceAndCollection)
{
    FakeSysfs sysfs;
    sysfs.Add(3, 0x320F, 0x5055, 1, CommandInterfaceDescriptor());
    sysfs.Add(5, 0x0C76, 0x0000, 3, VendorCollectionDescriptor());
    const auto paths = sysfs.Paths();
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_EQ(paths[3],
              "\\\\?\\hid#vid_320f&pid_5055&mi_01&col04#hidraw3#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(paths[4], "\\\\?\\hid#vid_0c76&pid_0000&mi_03#hidraw5#{4d1e55b2-f16f-11cf-88cb-001111000030}");
}

TEST(HidrawBackendTest, InterfaceOfANonUsbDeviceComesFromItsPhysicalPath)
{
    FakeSysfs sysfs;
    sysfs.Add(0, 0x320F, 0x221C, -1, VendorCollectionDescriptor(), "devsim/mouse/input1");
    hid::InterfaceInfo info;
    ASSERT_TRUE(hid::ReadHidrawInfo("hidraw0", info));
    EXPECT_EQ(info.interfaceNumber, 1);
    EXPECT_EQ(info.productId, 0x221C);
}

TEST(HidrawBackendTest, MissingClassFolderIsAnEmptyList)
{
    FakeSysfs sysfs;
    EXPECT_TRUE(sysfs.Paths().empty());
}

TEST(HidrawBackendTest, NodeWithBrokenDescriptorIsLeftOut)
{
    FakeSysfs sysfs;
    sysfs.Add(0, 0x320F, 0x5055, 1, {0x05, 0x01, 0xC0});
    sysfs.Add(1, 0x320F, 0x5055, 2, VendorCollectionDescriptor());
    const auto paths = sysfs.Paths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_NE(paths[0].find("hidraw1"), std::string::npos);
}

TEST(HidrawBackendTest, OpensTheNodeAndLearnsTheCollection)
{
    FakeSysfs sysfs;
    sysfs.Add(3, 0x320F, 0x5055, 1, CommandInterfaceDescriptor());
    const auto paths = sysfs.Paths();
    CHidDevice device;
    ASSERT_TRUE(device.Open(paths[3].c_str(), true, true, true, false));
    EXPECT_EQ(device.GetUsagePage(), 0xFF1C);
    EXPECT_EQ(device.GetUsage(), 0x92);
    EXPECT_EQ(device.GetInputReportLength(), 64);
    EXPECT_EQ(device.GetVersion(), 0x0105);
    EXPECT_EQ(device.GetInterfaceNumber(), 1);
    EXPECT_EQ(device.GetCollectionNumber(), 4);
    // A vanished node cannot be opened again.
    unlink((sysfs.Dev() + "/hidraw3").c_str());
    EXPECT_FALSE(device.Reopen());
    EXPECT_FALSE(device.IsOpen());
}

TEST(HidrawBackendTest, UnnumberedReportsGetAZeroIdByte)
{
    // A mouse-like device without report ids: 3 data bytes per report.
    const Bytes descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF,
                              0x00, 0x75, 0x08, 0x95, 0x03, 0x09, 0x01, 0x81, 0x02, 0xC0};
    FakeSysfs sysfs;
    sysfs.Add(0, 0x320F, 0x1234, 0, descriptor);
    const auto paths = sysfs.Paths();
    ASSERT_EQ(paths.size(), 1u);
    CHidDevice device;
    ASSERT_TRUE(device.Open(paths[0].c_str(), true, false, true, false));
    ASSERT_EQ(device.GetInputReportLength(), 4);
    const int writer = open((sysfs.Dev() + "/hidraw0").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const uint8_t data[] = {0x11, 0x22, 0x33};
    ASSERT_EQ(write(writer, data, 3), 3);
    uint8_t report[4] = {};
    uint32_t got = 0;
    ASSERT_TRUE(device.ReadReport(report, 4, &got, 2000));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(Bytes(report, report + 4), (Bytes{0, 0x11, 0x22, 0x33}));
    close(writer);
}

TEST(HidrawBackendTest, ExclusiveOpenKeepsOthersOut)
{
    FakeSysfs sysfs;
    sysfs.Add(0, 0x320F, 0x5055, 1, VendorCollectionDescriptor());
    const std::string path = sysfs.Paths()[0];
    CHidDevice first, second;
    ASSERT_TRUE(first.Open(path.c_str(), true, true, true, true));
    EXPECT_FALSE(second.Open(path.c_str(), true, true, true, false));
    first.Close();
    EXPECT_TRUE(second.Open(path.c_str(), true, true, true, false));
}

} // namespace
} // namespace test
