#pragma once
// SupportedDeviceEntry: one row of the supported-device table, and one device slot of the main window
// (a copy of a row, with the connected flag and path of the interface holding it).

#include <cstdint>
#include <string>

struct SupportedDeviceEntry
{
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0; // as in the "&mi_" part of the path
    uint16_t collection = 0;      // as in the "&col" part of the path; 0 when the path has none
    uint16_t kind = 0;            // DeviceKind
    uint16_t role = 0;            // InterfaceRole
    uint16_t connected = 0;       // 1 while the discovery thread holds the slot
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0; // 1 for one of a wired/wireless pair
    uint16_t partnerRow = 0; // the partner's row, when hasPartner is 1
    std::string path;        // device path while connected
};
