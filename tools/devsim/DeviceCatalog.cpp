#include "tools/devsim/DeviceCatalog.h"

#include "tools/devsim/HeadsetFirmware.h"
#include "tools/devsim/KeyboardFirmware.h"
#include "tools/devsim/LightingBlockFirmware.h"
#include "tools/devsim/MouseFirmware.h"
#include "tools/devsim/ReportDescriptors.h"

namespace devsim {

namespace {

constexpr uint16_t kMakerId = 0x320F;
constexpr uint16_t kHeadsetMakerId = 0x0C76;
// A second keyboard of the same product, with memory of its own.
constexpr const char* kSecondKeyboardFamily = "keyboard2";

const std::vector<CatalogEntry>& Entries()
{
    using D = DescriptorKind;
    // clang-format off
    static const std::vector<CatalogEntry> entries = {
        {"keyboard", "keyboard", kMakerId, 0x5055, false, {{0, D::BootKeyboard}, {1, D::CommandInterface}}, 1, 3},
        {"keyboard-receiver", "keyboard", kMakerId, 0x0000, true, {{0, D::BootKeyboard}, {1, D::CommandInterface}}, 1, 3},
        {"keyboard2", kSecondKeyboardFamily, kMakerId, 0x5055, false, {{0, D::BootKeyboard}, {1, D::CommandInterface}}, 1, 3},
        {"mouse", "mouse", kMakerId, 0x221C, false, {{0, D::BootMouse}, {1, D::CommandInterface}}, 1, 3},
        {"mouse-receiver", "mouse", kMakerId, 0x0000, true, {{0, D::BootMouse}, {1, D::CommandInterface}}, 1, 3},
        {"mousepad", "mousepad", kMakerId, 0x0000, false, {{1, D::CommandInterface}}, 1, 3},
        {"headset", "headset", kHeadsetMakerId, 0x0000, false, {{3, D::Headset}}, 3, 64},
    };
    // clang-format on
    return entries;
}

} // namespace

std::span<const CatalogEntry> Catalog()
{
    return Entries();
}

const CatalogEntry* FindCatalogEntry(const std::string& name)
{
    for (const CatalogEntry& e : Entries())
        if (name == e.name)
            return &e;
    return nullptr;
}

std::vector<uint8_t> DescriptorBytes(DescriptorKind kind)
{
    switch (kind) {
    case DescriptorKind::BootKeyboard:
        return BootKeyboardDescriptor();
    case DescriptorKind::BootMouse:
        return BootMouseDescriptor();
    case DescriptorKind::CommandInterface:
        return CommandInterfaceDescriptor();
    case DescriptorKind::Headset:
        return HeadsetDescriptor();
    }
    return {};
}

std::shared_ptr<CFirmwareModel> MakeFirmware(const std::string& family)
{
    if (family == "keyboard" || family == kSecondKeyboardFamily)
        return std::make_shared<CKeyboardFirmware>();
    if (family == "mouse")
        return std::make_shared<CMouseFirmware>();
    if (family == "mousepad")
        return std::make_shared<CMousePadFirmware>();
    if (family == "headset")
        return std::make_shared<CHeadsetFirmware>();
    return nullptr;
}

} // namespace devsim
