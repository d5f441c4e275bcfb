#pragma once
// The simulator's control surface, for the program and for in-process tests: a set of simulated
// products in one folder, each serving its HID interfaces as "<name>-mi<NN>.hid" sockets, with the
// operations a person would do to real hardware (plug, unplug, cable or receiver, buttons, battery)
// and the faults a test wants to see.
//
// Products of one family share one firmware (the keyboard and the keyboard's receiver reach the same
// memory). Operations answer false (with LastError) for unknown names or impossible requests.
//
// Locking: `mutex_` (owner: the simulator) guards every product, firmware and fault plan; it is
// taken by the API and by the server thread's packet handler, always before the server's own lock.

#include "tools/devsim/DeviceCatalog.h"
#include "tools/devsim/FaultPlan.h"
#include "tools/devsim/HidSocketServer.h"
#include "tools/devsim/ReceiverFirmware.h"

#include <functional>
#include <json/value.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace devsim {

enum class LinkChoice
{
    Cable,
    Receiver
};

class CDeviceSimulator
{
public:
    // The folder must exist; sockets are created in it.
    explicit CDeviceSimulator(std::string folder);
    ~CDeviceSimulator();
    CDeviceSimulator(const CDeviceSimulator&) = delete;
    CDeviceSimulator& operator=(const CDeviceSimulator&) = delete;

    // The folder the program uses: $ORVANT_VIRTUAL_HID, else the runtime folder + "virtual-hid".
    static std::string DefaultFolder();

    // Starts the server thread; AddDevice works before or after.
    bool Start();
    void Stop();

    // Adds a catalogue product ("keyboard", "keyboard-receiver", "keyboard2", "mouse",
    // "mouse-receiver", "mousepad", "headset"), plugged in unless told otherwise. A receiver added while its
    // device is on its cable reports the device offline.
    bool AddDevice(const std::string& name, bool plugged = true);
    bool HasDevice(const std::string& name) const;
    std::vector<std::string> DeviceNames() const;

    bool Plug(const std::string& name);
    bool Unplug(const std::string& name);
    bool IsPlugged(const std::string& name) const;
    // Keyboard or mouse family (by either product's name): cable plugs the wired product and takes
    // the device off its receiver; receiver unplugs the cable and brings the device online on the
    // receiver (adding and plugging the receiver when needed).
    bool SwitchLink(const std::string& name, LinkChoice link);
    // A receiver's device goes in or out of range.
    bool SetOnline(const std::string& receiverName, bool online);
    // The device raises an event report (0x0401, 0x0402, 0x10xy, 0x11xy, 0x0403, ...) on the link it
    // currently uses; profile switches change its memory first.
    bool PressButton(const std::string& name, uint16_t eventCode);
    // Battery record: level in percent, charging state 0 charged, 1 charging, 2 on battery.
    bool SetBattery(const std::string& name, uint8_t level, uint8_t chargingState);

    bool AddFault(const std::string& name, const Fault& fault);
    bool ClearFaults(const std::string& name);

    // A copy of a memory region of the product's firmware (empty for an unknown name).
    std::vector<uint8_t> ReadMemory(const std::string& name, Region region) const;
    bool WriteMemory(const std::string& name, Region region, size_t offset,
                     const std::vector<uint8_t>& bytes);
    // Runs f on the product's firmware under the simulator's lock (for kind-specific state).
    bool WithFirmware(const std::string& name, const std::function<void(CFirmwareModel&)>& f);

    // State, memory, counters, faults and the last frames of one product.
    Json::Value Dump(const std::string& name) const;
    // Every family's memory, written atomically; loading refuses a damaged file whole.
    bool SaveState(const std::string& path) const;
    bool LoadState(const std::string& path);

    // Socket files of a product, in interface order; and the one of a given interface number.
    std::vector<std::string> SocketPaths(const std::string& name) const;
    std::string SocketPath(const std::string& name, uint8_t interfaceNumber) const;
    const std::string& Folder() const { return folder_; }
    std::string LastError() const;

private:
    struct Family
    {
        std::shared_ptr<CFirmwareModel> firmware;
        CFaultPlan faults;
    };
    struct Product
    {
        const CatalogEntry* entry = nullptr;
        Family* family = nullptr;
        std::unique_ptr<CReceiverFirmware> receiver;
        bool plugged = false;
        std::map<int, uint8_t> interfaceIds; // server id -> interface number
    };

    Product* FindLocked(const std::string& name);
    const Product* FindLocked(const std::string& name) const;
    Product* ReceiverOfLocked(const Family& family);
    Product* WiredOfLocked(const Family& family);
    bool PlugLocked(Product& p);
    void UnplugLocked(Product& p);
    int CommandInterfaceIdLocked(const Product& p) const;
    bool FailLocked(const std::string& message) const;
    void OnPacket(int interfaceId, uint8_t kind, std::span<const uint8_t> report);
    void HandleCommandLocked(Product& p, int interfaceId, const Frame& request);

    std::string folder_;
    CHidSocketServer server_;
    mutable std::mutex mutex_;
    std::map<std::string, Family> families_;
    std::map<std::string, Product> products_;
    mutable std::string lastError_;
};

} // namespace devsim
