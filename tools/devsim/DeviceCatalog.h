#pragma once
// The products the simulator can play, by name: their USB ids, HID interfaces and which firmware
// family they speak to. A receiver is its own product (product id 0) that reaches the firmware of
// the family's device over the air. "keyboard2" is a second, identical keyboard with its own memory.

#include "tools/devsim/FirmwareModel.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace devsim {

enum class DescriptorKind
{
    BootKeyboard,
    BootMouse,
    CommandInterface,
    Headset
};

struct CatalogInterface
{
    uint8_t number;
    DescriptorKind descriptor;
};

struct CatalogEntry
{
    const char* name;   // "keyboard", "keyboard-receiver", ...
    const char* family; // the firmware it plays: "keyboard", "mouse", "mousepad", "headset"
    uint16_t vendorId;
    uint16_t productId;
    bool receiver;
    std::vector<CatalogInterface> interfaces;
    uint8_t commandInterface; // the interface carrying the command and event collections
    // Bytes of an event report: the input report length of the collection that carries it (the
    // headset's collection also carries 64-byte command replies, so its reports are padded).
    uint8_t eventReportSize;
};

std::span<const CatalogEntry> Catalog();
const CatalogEntry* FindCatalogEntry(const std::string& name);
std::vector<uint8_t> DescriptorBytes(DescriptorKind kind);
// A fresh firmware of the family, or null for an unknown family.
std::shared_ptr<CFirmwareModel> MakeFirmware(const std::string& family);

} // namespace devsim
