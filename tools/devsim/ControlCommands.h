#pragma once
// The simulator's line commands, shared by standard input and the control socket. One command per
// line; the answer is one line: "ok", "error: <reason>", or the requested text (JSON for dump).
//
//   help                                   the command words
//   list                                   products and whether they are plugged
//   plug NAME | unplug NAME
//   link NAME cable|receiver               keyboard or mouse family
//   online RECEIVER on|off                 the receiver's device in or out of range
//   press NAME CODE                        event report, e.g. 0x0401, 0x1003, 0x1123, 0x0403
//   battery NAME LEVEL [STATE]             STATE 0 charged, 1 charging, 2 on battery
//   fault NAME delay MS [OPTIONS]          OPTIONS: cmd CODE, offset N (the chunk's), skip N,
//                                          count N (0 = until clear)
//   fault NAME drop [OPTIONS]
//   fault NAME other BYTE [times 1|2] [OPTIONS]
//   fault NAME status 0xff|0xfe [OPTIONS]
//   fault NAME vanish [OPTIONS]
//   fault NAME checksum [OPTIONS]          the reply's checksum bytes are wrong
//   clear NAME                             removes the product's faults
//   dump NAME                              memory, counters, faults and last frames as JSON
//   memory NAME REGION                     a region as hexadecimal text
//   poke NAME REGION OFFSET HEX            writes bytes into a region
//   save FILE | load FILE                  every family's memory
//   quit
// Numbers are decimal or 0x-prefixed hexadecimal.

#include "tools/devsim/DeviceSimulator.h"

#include <string>

namespace devsim {

class CControlCommands
{
public:
    explicit CControlCommands(CDeviceSimulator& simulator) : sim_(simulator) {}
    // Runs one line; quit is set by "quit".
    std::string Execute(const std::string& line, bool& quit);

private:
    CDeviceSimulator& sim_;
};

} // namespace devsim
