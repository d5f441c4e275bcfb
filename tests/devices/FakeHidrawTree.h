#pragma once
// A hidraw node in a fake sysfs tree, as the kernel shows it: a uevent with the ids and the interface
// number, the report descriptor, and a device node beside the class folder to open.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fake_hidraw {

// The node appears whole, as the kernel's does: its device node first, then its class folder entry,
// made aside and renamed into place, so a listing never sees it half written (a later write inside it
// would not change the class folder, and the listing would not look again).
inline void AddNode(const std::string& sysfs, int node, uint16_t vid, uint16_t pid, int interfaceNumber,
                    const std::vector<uint8_t>& descriptor)
{
    const std::string name = "hidraw" + std::to_string(node);
    std::ofstream(sysfs + "/" + name) << "";
    const std::string staged = sysfs + "/staged-" + name;
    const std::string device = staged + "/device";
    std::filesystem::create_directories(device);
    char ids[128];
    std::snprintf(ids, sizeof ids, "HID_ID=0003:%08X:%08X\nHID_PHYS=usb-0000:00:14.0-%d/input%d\n", vid, pid,
                  node, interfaceNumber);
    std::ofstream(device + "/uevent") << ids;
    std::ofstream(device + "/report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()),
               static_cast<std::streamsize>(descriptor.size()));
    std::filesystem::create_directories(sysfs + "/class/hidraw");
    std::filesystem::rename(staged, sysfs + "/class/hidraw/" + name);
}

inline void RemoveNode(const std::string& sysfs, int node)
{
    const std::string name = "hidraw" + std::to_string(node);
    std::filesystem::remove_all(sysfs + "/class/hidraw/" + name);
    std::filesystem::remove(sysfs + "/" + name);
}

} // namespace fake_hidraw
