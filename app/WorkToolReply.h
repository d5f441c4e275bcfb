#pragma once
// The answer to an outside diagnostic tool's UWM_WORKTOOL_QUERY_MSG: a data copy of record type 5 to
// the window titled "WorkTool", with the main window's handle in wParam and a 1024-byte block of 256
// little-endian 32-bit integers: 2, 3, 0, 2, the number N of device-type rows, then vendor id,
// product id and kind of each row; the rest zero.

#include "platform/MessageBus.h"

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kWorkToolTitle = "WorkTool";
inline constexpr uint64_t kWorkToolRecordType = 5;
inline constexpr size_t kWorkToolBlockSize = 1024;

// The block, always kWorkToolBlockSize bytes.
std::string WorkToolBlock();
// Sends the block from the endpoint; NoSuchWindow when no "WorkTool" window exists.
platform::BusSendResult SendWorkToolReply(const platform::BusEndpoint& from, uint64_t mainWindow);
