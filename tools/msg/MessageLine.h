#pragma once
// How the listener prints an arriving message, one line each (without the line end):
//   message "<registered name>" <wParam> <lParam> [from "<sender>"]
//   copydata <record type> <byte count> <bytes in hexadecimal, or "-" when none> [from "<sender>"]
// wParam is unsigned, lParam signed, both decimal. In quoted texts '"' and '\' are escaped with '\',
// and control bytes are written as \xHH.

#include "platform/MessageBus.h"

#include <string>

namespace msgtool {

std::string MessageLine(const platform::BusMessage& message);

} // namespace msgtool
