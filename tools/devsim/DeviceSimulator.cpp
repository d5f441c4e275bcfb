#include "tools/devsim/DeviceSimulator.h"

#include "platform/Folders.h"
#include "tools/devsim/ReportDescriptors.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <json/reader.h>
#include <json/writer.h>
#include <sstream>
#include <unistd.h>

namespace devsim {

namespace {

constexpr uint8_t kProfileSwitch = 0x10;
constexpr uint8_t kProfileAndValueSwitch = 0x11;

std::string InterfaceFileName(const std::string& product, uint8_t number)
{
    char name[16];
    snprintf(name, sizeof name, "-mi%02x.hid", number);
    return product + name;
}

} // namespace

CDeviceSimulator::CDeviceSimulator(std::string folder) : folder_(std::move(folder))
{
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

CDeviceSimulator::~CDeviceSimulator()
{
    server_.Stop();
    std::lock_guard lock(mutex_);
    for (auto& [name, p] : products_)
        UnplugLocked(p);
}

std::string CDeviceSimulator::DefaultFolder()
{
    if (const char* env = std::getenv("ORVANT_VIRTUAL_HID"); env && *env)
        return env;
    return platform::RuntimeFolder() + "virtual-hid";
}

bool CDeviceSimulator::Start()
{
    return server_.Start();
}
void CDeviceSimulator::Stop()
{
    server_.Stop();
}

std::string CDeviceSimulator::LastError() const
{
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool CDeviceSimulator::FailLocked(const std::string& message) const
{
    lastError_ = message;
    return false;
}

CDeviceSimulator::Product* CDeviceSimulator::FindLocked(const std::string& name)
{
    auto it = products_.find(name);
    return it == products_.end() ? nullptr : &it->second;
}

const CDeviceSimulator::Product* CDeviceSimulator::FindLocked(const std::string& name) const
{
    auto it = products_.find(name);
    return it == products_.end() ? nullptr : &it->second;
}

CDeviceSimulator::Product* CDeviceSimulator::ReceiverOfLocked(const Family& family)
{
    for (auto& [name, p] : products_)
        if (p.family == &family && p.entry->receiver)
            return &p;
    return nullptr;
}

CDeviceSimulator::Product* CDeviceSimulator::WiredOfLocked(const Family& family)
{
    for (auto& [name, p] : products_)
        if (p.family == &family && !p.entry->receiver)
            return &p;
    return nullptr;
}

bool CDeviceSimulator::AddDevice(const std::string& name, bool plugged)
{
    std::lock_guard lock(mutex_);
    const CatalogEntry* entry = FindCatalogEntry(name);
    if (!entry)
        return FailLocked("unknown device " + name);
    if (products_.count(name))
        return FailLocked("device " + name + " exists already");
    Family& family = families_[entry->family];
    if (!family.firmware)
        family.firmware = MakeFirmware(entry->family);
    Product& p = products_[name];
    p.entry = entry;
    p.family = &family;
    if (entry->receiver) {
        p.receiver = std::make_unique<CReceiverFirmware>(family.firmware);
        const Product* wired = WiredOfLocked(family);
        p.receiver->SetDeviceOnline(!(wired && wired->plugged));
    } else if (Product* receiver = ReceiverOfLocked(family); receiver && plugged) {
        receiver->receiver->SetDeviceOnline(false);
    }
    if (plugged && !PlugLocked(p)) {
        products_.erase(name);
        return false;
    }
    return true;
}

bool CDeviceSimulator::HasDevice(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    return FindLocked(name) != nullptr;
}

std::vector<std::string> CDeviceSimulator::DeviceNames() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [name, p] : products_)
        names.push_back(name);
    return names;
}

bool CDeviceSimulator::PlugLocked(Product& p)
{
    if (p.plugged)
        return true;
    for (const CatalogInterface& iface : p.entry->interfaces) {
        HidInterfaceInfo info;
        info.vendorId = p.entry->vendorId;
        info.productId = p.entry->productId;
        info.interfaceNumber = iface.number;
        info.descriptor = DescriptorBytes(iface.descriptor);
        const std::string path = folder_ + "/" + InterfaceFileName(p.entry->name, iface.number);
        const int id = server_.AddInterface(path, info, [this](int interfaceId, uint8_t kind, auto report) {
            OnPacket(interfaceId, kind, report);
        });
        if (id < 0) {
            UnplugLocked(p);
            return FailLocked("cannot create socket " + path);
        }
        p.interfaceIds[id] = iface.number;
    }
    p.plugged = true;
    return true;
}

void CDeviceSimulator::UnplugLocked(Product& p)
{
    for (const auto& [id, number] : p.interfaceIds)
        server_.RemoveInterface(id);
    p.interfaceIds.clear();
    p.plugged = false;
}

bool CDeviceSimulator::Plug(const std::string& name)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(name);
    if (!p)
        return FailLocked("unknown device " + name);
    return PlugLocked(*p);
}

bool CDeviceSimulator::Unplug(const std::string& name)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(name);
    if (!p)
        return FailLocked("unknown device " + name);
    UnplugLocked(*p);
    return true;
}

bool CDeviceSimulator::IsPlugged(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    const Product* p = FindLocked(name);
    return p && p->plugged;
}

bool CDeviceSimulator::SwitchLink(const std::string& name, LinkChoice link)
{
    std::string wiredName;
    std::string receiverName;
    {
        std::lock_guard lock(mutex_);
        const CatalogEntry* entry = FindCatalogEntry(name);
        if (!entry)
            return FailLocked("unknown device " + name);
        for (const CatalogEntry& e : Catalog()) {
            if (std::string(e.family) != entry->family)
                continue;
            (e.receiver ? receiverName : wiredName) = e.name;
        }
        if (wiredName.empty() || receiverName.empty())
            return FailLocked(std::string(entry->family) + " has no receiver");
    }
    // Either product may be missing yet; the one the link needs is added.
    if (link == LinkChoice::Cable && !HasDevice(wiredName) && !AddDevice(wiredName, false))
        return false;
    if (link == LinkChoice::Receiver && !HasDevice(receiverName) && !AddDevice(receiverName, false))
        return false;
    std::lock_guard lock(mutex_);
    Product* wired = FindLocked(wiredName);
    Product* receiver = FindLocked(receiverName);
    if (link == LinkChoice::Cable) {
        if (receiver)
            receiver->receiver->SetDeviceOnline(false);
        return PlugLocked(*wired);
    }
    if (wired)
        UnplugLocked(*wired);
    receiver->receiver->SetDeviceOnline(true);
    return PlugLocked(*receiver);
}

bool CDeviceSimulator::SetOnline(const std::string& receiverName, bool online)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(receiverName);
    if (!p)
        return FailLocked("unknown device " + receiverName);
    if (!p->receiver)
        return FailLocked(receiverName + " is not a receiver");
    p->receiver->SetDeviceOnline(online);
    return true;
}

int CDeviceSimulator::CommandInterfaceIdLocked(const Product& p) const
{
    for (const auto& [id, number] : p.interfaceIds)
        if (number == p.entry->commandInterface)
            return id;
    return -1;
}

bool CDeviceSimulator::PressButton(const std::string& name, uint16_t eventCode)
{
    std::lock_guard lock(mutex_);
    Product* named = FindLocked(name);
    if (!named)
        return FailLocked("unknown device " + name);
    Family& family = *named->family;
    // The event leaves on the link the device uses: its cable, else a receiver that reaches it.
    Product* via = WiredOfLocked(family);
    if (!via || !via->plugged) {
        via = ReceiverOfLocked(family);
        if (via && !(via->plugged && via->receiver->DeviceOnline()))
            via = nullptr;
    }
    if (!via)
        return FailLocked(name + " is not connected");
    const uint8_t high = eventCode >> 8;
    if (high == kProfileSwitch || high == kProfileAndValueSwitch)
        family.firmware->ApplyProfileSwitch(eventCode);
    std::vector<uint8_t> report(std::max<size_t>(3, via->entry->eventReportSize), 0);
    report[0] = kEventReportId;
    report[1] = static_cast<uint8_t>(eventCode);
    report[2] = static_cast<uint8_t>(eventCode >> 8);
    server_.Send(CommandInterfaceIdLocked(*via), kPacketInputReport, report);
    return true;
}

bool CDeviceSimulator::SetBattery(const std::string& name, uint8_t level, uint8_t chargingState)
{
    return WithFirmware(name, [&](CFirmwareModel& f) { f.SetBattery(level, chargingState); });
}

bool CDeviceSimulator::WithFirmware(const std::string& name, const std::function<void(CFirmwareModel&)>& f)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(name);
    if (!p)
        return FailLocked("unknown device " + name);
    f(*p->family->firmware);
    return true;
}

bool CDeviceSimulator::AddFault(const std::string& name, const Fault& fault)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(name);
    if (!p)
        return FailLocked("unknown device " + name);
    p->family->faults.Add(fault);
    return true;
}

bool CDeviceSimulator::ClearFaults(const std::string& name)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(name);
    if (!p)
        return FailLocked("unknown device " + name);
    p->family->faults.Clear();
    return true;
}

std::vector<uint8_t> CDeviceSimulator::ReadMemory(const std::string& name, Region region) const
{
    std::lock_guard lock(mutex_);
    const Product* p = FindLocked(name);
    return p ? p->family->firmware->Memory(region) : std::vector<uint8_t>{};
}

bool CDeviceSimulator::WriteMemory(const std::string& name, Region region, size_t offset,
                                   const std::vector<uint8_t>& bytes)
{
    std::lock_guard lock(mutex_);
    Product* p = FindLocked(name);
    if (!p)
        return FailLocked("unknown device " + name);
    auto& memory = p->family->firmware->Memory(region);
    if (offset > memory.size() || bytes.size() > memory.size() - offset)
        return FailLocked("beyond the end of " + std::string(RegionName(region)));
    std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

Json::Value CDeviceSimulator::Dump(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    const Product* p = FindLocked(name);
    if (!p)
        return Json::Value();
    Json::Value dump(Json::objectValue);
    dump["name"] = name;
    dump["plugged"] = p->plugged;
    if (p->receiver) {
        dump["online"] = p->receiver->DeviceOnline();
        dump["onlineQueries"] = p->receiver->OnlineQueryCount();
    }
    Json::Value sockets(Json::arrayValue);
    for (const auto& [id, number] : p->interfaceIds)
        sockets.append(folder_ + "/" + InterfaceFileName(name, number));
    dump["sockets"] = sockets;
    dump["faults"] = p->family->faults.Dump();
    dump["firmware"] = p->family->firmware->Dump();
    return dump;
}

std::vector<std::string> CDeviceSimulator::SocketPaths(const std::string& name) const
{
    std::vector<std::string> paths;
    if (const CatalogEntry* e = FindCatalogEntry(name))
        for (const CatalogInterface& iface : e->interfaces)
            paths.push_back(folder_ + "/" + InterfaceFileName(name, iface.number));
    return paths;
}

std::string CDeviceSimulator::SocketPath(const std::string& name, uint8_t interfaceNumber) const
{
    return folder_ + "/" + InterfaceFileName(name, interfaceNumber);
}

bool CDeviceSimulator::SaveState(const std::string& path) const
{
    Json::Value state(Json::objectValue);
    {
        std::lock_guard lock(mutex_);
        state["version"] = 1;
        for (const auto& [name, family] : families_)
            state["devices"][name] = family.firmware->SaveMemory();
    }
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << Json::StyledWriter().write(state);
        if (!out.flush()) {
            unlink(temporary.c_str());
            std::lock_guard lock(mutex_);
            return FailLocked("cannot write " + temporary);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        std::lock_guard lock(mutex_);
        return FailLocked("cannot replace " + path);
    }
    return true;
}

bool CDeviceSimulator::LoadState(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::lock_guard lock(mutex_);
    if (!in)
        return FailLocked("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    Json::Value state;
    if (!Json::Reader().parse(text.str(), state) || !state.isObject() || !state["devices"].isObject())
        return FailLocked(path + " is not a simulator state file");
    const Json::Value& devices = state["devices"];
    // Check every family first so a damaged file changes nothing.
    std::map<std::string, std::shared_ptr<CFirmwareModel>> loaded;
    for (const std::string& family : devices.getMemberNames()) {
        auto firmware = MakeFirmware(family);
        if (!firmware)
            return FailLocked("unknown device family " + family);
        std::string error;
        if (!firmware->LoadMemory(devices[family], error))
            return FailLocked(family + ": " + error);
        loaded[family] = firmware;
    }
    for (const auto& [name, firmware] : loaded) {
        auto it = families_.find(name);
        if (it == families_.end())
            continue; // kept only for the families this run plays
        std::string error;
        it->second.firmware->LoadMemory(devices[name], error);
    }
    return true;
}

void CDeviceSimulator::OnPacket(int interfaceId, uint8_t kind, std::span<const uint8_t> report)
{
    std::lock_guard lock(mutex_);
    Product* product = nullptr;
    for (auto& [name, p] : products_)
        if (p.interfaceIds.count(interfaceId))
            product = &p;
    if (!product || report.empty())
        return;
    if ((kind == kPacketOutputReport || kind == kPacketSetOutputReport) && report[0] == kCommandReportId) {
        Frame request{};
        std::copy_n(report.begin(), std::min(report.size(), request.size()), request.begin());
        HandleCommandLocked(*product, interfaceId, request);
    } else if (kind == kPacketOutputReport || kind == kPacketSetOutputReport) {
        if (!product->receiver)
            product->family->firmware->HandleOutputReport(report);
    } else if (kind == kPacketGetFeature && report.size() >= 3) {
        // No feature reports are declared; the answer is the report id and zeros.
        const size_t length = std::max<size_t>(1, report[1] | report[2] << 8);
        std::vector<uint8_t> answer(length, 0);
        answer[0] = report[0];
        server_.Send(interfaceId, kPacketFeatureAnswer, answer);
    }
}

void CDeviceSimulator::HandleCommandLocked(Product& p, int interfaceId, const Frame& request)
{
    const FaultOutcome fault = p.family->faults.Next(FrameCommand(request), FrameOffset(request));
    // A request the fault stops before the firmware acts on it still reached a wired device.
    if ((fault.vanish || fault.refuseWithStatus) && !p.receiver)
        p.family->firmware->NoteRequest(request);
    if (fault.vanish) {
        UnplugLocked(p);
        return;
    }
    std::optional<Frame> reply;
    if (fault.refuseWithStatus) {
        reply = Frame{};
        std::copy_n(request.begin(), 7, reply->begin());
        (*reply)[7] = *fault.refuseWithStatus;
    } else if (p.receiver) {
        reply = p.receiver->HandleCommand(request);
    } else {
        reply = p.family->firmware->HandleCommand(request);
    }
    if (!reply || fault.dropReply)
        return;
    if (fault.badChecksum) {
        (*reply)[1] = static_cast<uint8_t>(~request[1]);
        (*reply)[2] = static_cast<uint8_t>(~request[2]);
    }
    for (int i = 0; i < fault.otherRepeats; ++i) {
        Frame other = *reply;
        other[3] = fault.otherCommand;
        server_.Send(interfaceId, kPacketInputReport, other, fault.delayMs);
    }
    server_.Send(interfaceId, kPacketInputReport, *reply, fault.delayMs);
}

} // namespace devsim
