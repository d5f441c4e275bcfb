#pragma once
// HID report descriptors of the simulated products' interfaces. The multi-collection interface of
// the keyboard, the mouse, their receivers and the mouse pad carries, in this order: system control
// (report id 1), a key bitmap (report id 2), consumer control (report id 3, one 16-bit usage per
// report, the device's event codes) and the vendor-defined command collection (usage page 0xFF1C,
// usage 0x92, report id 4, 63 bytes each way). The headset's single consumer-control collection
// carries the event reports, the command frames and its 16-byte lighting output reports (id 0xFF).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace devsim {

inline constexpr uint8_t kSystemReportId = 1;
inline constexpr uint8_t kKeyBitmapReportId = 2;
inline constexpr uint8_t kEventReportId = 3;
inline constexpr uint8_t kHeadsetLightReportId = 0xFF;
inline constexpr size_t kHeadsetLightReportSize = 17;

std::vector<uint8_t> BootKeyboardDescriptor();
std::vector<uint8_t> BootMouseDescriptor();
// Four top-level collections: system control, key bitmap, consumer control ("&col03") and the
// command collection ("&col04").
std::vector<uint8_t> CommandInterfaceDescriptor();
std::vector<uint8_t> HeadsetDescriptor();

} // namespace devsim
