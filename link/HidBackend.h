#pragma once
// The small interface between CHidDevice and the places HID interfaces come from: the kernel's
// hidraw nodes and the virtual devices' sockets. A back end lists interfaces and opens connections;
// CHidDevice does everything above one raw report.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hid {

// One HID interface as a back end found it.
struct InterfaceInfo
{
    std::string bus;      // "hid" for hidraw nodes, "ovhid" for virtual sockets
    std::string location; // hidraw node name or socket file
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    int interfaceNumber = -1; // -1: not known (the path then carries no "&mi_" part)
    std::vector<uint8_t> descriptor;
};

enum class IoStatus
{
    Done,
    TimedOut,
    Cancelled,
    Failed
};

// How an output report travels: the interrupt pipe (ordinary writes), the control pipe, or as a
// feature report. The values are the kind bytes of the virtual wire format.
enum class WriteKind : uint8_t
{
    Interrupt = 1,
    Control = 2,
    Feature = 3
};

// One open handle on an interface. Read and Write may run at the same time on two threads.
class Connection
{
public:
    virtual ~Connection() = default;
    // Reads one input report, report id first (0 for a device without report ids). Waits up to
    // timeoutMs (negative: for ever) and returns Cancelled as soon as cancelFd becomes readable.
    virtual IoStatus Read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs, int cancelFd) = 0;
    // Writes one report, report id first, the same way.
    virtual IoStatus Write(WriteKind kind, const uint8_t* report, size_t length, int timeoutMs,
                           int cancelFd) = 0;
};

// Waits until fd is ready for the events, cancelFd is readable or the time-out passes.
IoStatus WaitReady(int fd, short events, int timeoutMs, int cancelFd);

// The hidraw back end.
struct HidrawRoots
{
    std::string sysfs; // holds class/hidraw
    std::string dev;   // holds the hidraw nodes
};
// The roots in use: those given to SetHidrawRoots, else ORVANT_SYSFS_ROOT and ORVANT_DEV_ROOT, else /sys
// and /dev.
HidrawRoots GetHidrawRoots();
void SetHidrawRoots(const HidrawRoots& roots);
void ClearHidrawRoots();
// False when the class folder exists but cannot be read; a missing folder is an empty list.
bool ListHidraw(std::vector<InterfaceInfo>& out);
bool ReadHidrawInfo(const std::string& node, InterfaceInfo& out);
// Errno-style failure in *error when the node cannot be opened.
std::unique_ptr<Connection> OpenHidraw(const InterfaceInfo& info, bool read, bool write, bool exclusive,
                                       bool numberedReports, int* error);

// The virtual back end: the folder named by ORVANT_VIRTUAL_HID (empty when unset).
std::string VirtualFolder();
void ListVirtual(std::vector<InterfaceInfo>& out);
// Connects to a socket and takes its hello packet; info receives the ids and the descriptor.
std::unique_ptr<Connection> OpenVirtual(const std::string& socketPath, InterfaceInfo& info, int* error);

} // namespace hid
