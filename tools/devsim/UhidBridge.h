#pragma once
// Kernel HID devices for the simulated interfaces: for every "*.hid" socket in the folder the
// bridge connects as a host would, creates a uhid device with the hello's ids and descriptor, and
// relays reports both ways (uhid output and set-report requests to the socket, input reports and
// feature answers back). A socket that closes destroys its kernel device; a new socket file
// (watched with inotify) creates one. The hidraw back end then finds them like real hardware.
// One thread; Stop interrupts it through an eventfd.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <thread>

namespace devsim {

class CUhidBridge
{
public:
    explicit CUhidBridge(std::string folder, std::string uhidPath = "/dev/uhid");
    ~CUhidBridge();
    CUhidBridge(const CUhidBridge&) = delete;
    CUhidBridge& operator=(const CUhidBridge&) = delete;

    // Whether kernel HID devices can be made at all.
    static bool Available(const std::string& uhidPath = "/dev/uhid");
    bool Start(std::string& error);
    void Stop();

private:
    struct Device
    {
        int socketFd = -1;
        int uhidFd = -1;
        std::deque<uint32_t> pendingGets; // get-report requests waiting for the device's answer
    };

    void Run();
    // Attaches every socket not attached yet; false when one could not be reached (retried later).
    bool Scan();
    bool Attach(const std::string& socketPath);
    void Detach(const std::string& socketPath);
    void FromSocket(const std::string& socketPath, Device& d);
    void FromKernel(Device& d);

    std::string folder_;
    std::string uhidPath_;
    int inotifyFd_ = -1;
    int wakeFd_ = -1;
    std::map<std::string, Device> devices_; // by socket path; touched only by the bridge thread
    std::thread thread_;
};

} // namespace devsim
