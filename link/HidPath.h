#pragma once
// Device paths of HID interfaces, written in the platform's form so that the "vid_", "pid_", "&mi_"
// and "&col" rules read them unchanged:
//   \\?\hid#vid_320f&pid_5055&mi_01&col04#hidraw3#{4d1e55b2-f16f-11cf-88cb-001111000030}
//   \\?\ovhid#vid_320f&pid_5055&mi_01&col04#/run/user/1000/devices/kbd.hid#{4d1e55b2-...}
// The bus names the back end, the part between the second '#' and the last one locates the interface.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/HidBackend.h"

namespace hid {

// The path of one top-level collection; collection 0 leaves out the "&col" part (an interface with a
// single collection).
std::string FormatPath(const InterfaceInfo& info, int collection);

struct PathParts
{
    std::string bus;
    std::string location;
};
// False when the text is not a path of this form.
bool SplitPath(std::string_view path, PathParts& out);

// The hexadecimal number after the marker (found without regard to case), read like "%x"; 0 when the
// marker is absent or no number follows.
uint32_t ParseHexAfter(std::string_view path, std::string_view marker);

} // namespace hid
