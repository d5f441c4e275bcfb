// The hidraw back end: the kernel's HID interfaces as listed under <sysfs>/class/hidraw. For each node
// the HID device folder ("device") holds the uevent with HID_ID and HID_PHYS and the report descriptor;
// its parent, the USB interface, holds bInterfaceNumber and the USB device above that bcdDevice.

#include "link/HidBackend.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>

namespace hid {
namespace {

std::mutex& RootsLock()
{
    static std::mutex lock;
    return lock;
}

std::optional<HidrawRoots>& RootsOverride()
{
    static std::optional<HidrawRoots> roots;
    return roots;
}

std::string EnvOr(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

bool ReadWholeFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::optional<uint32_t> ReadHexFile(const std::string& path)
{
    std::string text;
    unsigned int value = 0;
    if (!ReadWholeFile(path, text) || std::sscanf(text.c_str(), "%x", &value) != 1) {
        return std::nullopt;
    }
    return value;
}

std::string RealFolder(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

class HidrawConnection final : public Connection
{
public:
    HidrawConnection(int fd, bool numbered) : fd_(fd), numbered_(numbered), scratch_(4097) {}
    ~HidrawConnection() override { close(fd_); }

    IoStatus Read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs, int cancelFd) override
    {
        got = 0;
        for (;;) {
            const IoStatus ready = WaitReady(fd_, POLLIN, timeoutMs, cancelFd);
            if (ready != IoStatus::Done) {
                return ready;
            }
            // A device without report ids delivers bare data; callers always see an id byte first.
            uint8_t* into = numbered_ ? scratch_.data() : scratch_.data() + 1;
            const ssize_t n = read(fd_, into, scratch_.size() - 1);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                return IoStatus::Failed;
            }
            scratch_[0] = numbered_ ? scratch_[0] : 0;
            got = std::min(capacity, static_cast<size_t>(n) + (numbered_ ? 0 : 1));
            std::memcpy(buffer, scratch_.data(), got);
            return IoStatus::Done;
        }
    }

    IoStatus Write(WriteKind kind, const uint8_t* report, size_t length, int timeoutMs, int cancelFd) override
    {
        if (kind != WriteKind::Interrupt) {
            // The control pipe and feature reports go through ioctls that the kernel completes itself.
            std::vector<uint8_t> copy(report, report + length);
            const unsigned long request =
                kind == WriteKind::Control ? HIDIOCSOUTPUT(copy.size()) : HIDIOCSFEATURE(copy.size());
            if (ioctl(fd_, request, copy.data()) >= 0) {
                return IoStatus::Done;
            }
            // Kernels before 5.11 have no output-report ioctl; their write() takes the same route for a
            // device without an interrupt out endpoint.
            if (kind == WriteKind::Feature || (errno != EINVAL && errno != ENOTTY)) {
                return IoStatus::Failed;
            }
        }
        for (;;) {
            const IoStatus ready = WaitReady(fd_, POLLOUT, timeoutMs, cancelFd);
            if (ready != IoStatus::Done) {
                return ready;
            }
            // hidraw takes the report id byte first, 0 for a device without report ids.
            const ssize_t n = write(fd_, report, length);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            return n == static_cast<ssize_t>(length) ? IoStatus::Done : IoStatus::Failed;
        }
    }

private:
    int fd_;
    bool numbered_;
    std::vector<uint8_t> scratch_;
};

} // namespace

HidrawRoots GetHidrawRoots()
{
    std::lock_guard<std::mutex> guard(RootsLock());
    if (RootsOverride()) {
        return *RootsOverride();
    }
    return {EnvOr("ORVANT_SYSFS_ROOT", "/sys"), EnvOr("ORVANT_DEV_ROOT", "/dev")};
}

void SetHidrawRoots(const HidrawRoots& roots)
{
    std::lock_guard<std::mutex> guard(RootsLock());
    RootsOverride() = roots;
}

void ClearHidrawRoots()
{
    std::lock_guard<std::mutex> guard(RootsLock());
    RootsOverride().reset();
}

bool ReadHidrawInfo(const std::string& node, InterfaceInfo& out)
{
    const std::string device = GetHidrawRoots().sysfs + "/class/hidraw/" + node + "/device";
    std::string uevent, descriptor;
    if (!ReadWholeFile(device + "/uevent", uevent) ||
        !ReadWholeFile(device + "/report_descriptor", descriptor)) {
        return false;
    }
    unsigned int bus = 0, vendor = 0, product = 0;
    bool haveId = false;
    std::string phys;
    std::istringstream lines(uevent);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("HID_ID=", 0) == 0) {
            haveId = std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) == 3;
        } else if (line.rfind("HID_PHYS=", 0) == 0) {
            phys = line.substr(9);
        }
    }
    if (!haveId) {
        return false;
    }
    out = InterfaceInfo{};
    out.bus = "hid";
    out.location = node;
    out.vendorId = static_cast<uint16_t>(vendor);
    out.productId = static_cast<uint16_t>(product);
    out.descriptor.assign(descriptor.begin(), descriptor.end());
    const std::string usbInterface = RealFolder(device) + "/..";
    if (auto number = ReadHexFile(usbInterface + "/bInterfaceNumber")) {
        out.interfaceNumber = static_cast<int>(*number);
    } else if (const size_t at = phys.rfind("/input"); at != std::string::npos) {
        // Devices that are not on USB (a kernel HID device made by a simulator) name it in HID_PHYS.
        out.interfaceNumber = std::atoi(phys.c_str() + at + 6);
    }
    if (auto version = ReadHexFile(usbInterface + "/../bcdDevice")) {
        out.version = static_cast<uint16_t>(*version);
    }
    return true;
}

bool ListHidraw(std::vector<InterfaceInfo>& out)
{
    const std::string folder = GetHidrawRoots().sysfs + "/class/hidraw";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return errno == ENOENT || errno == ENOTDIR; // no hidraw driver: no interfaces
    }
    std::vector<std::string> nodes;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "hidraw", 6) == 0) {
            nodes.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    // Numeric order, so that hidraw10 follows hidraw9.
    std::sort(nodes.begin(), nodes.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string& node : nodes) {
        InterfaceInfo info;
        if (ReadHidrawInfo(node, info)) {
            out.push_back(std::move(info));
        }
    }
    return true;
}

std::unique_ptr<Connection> OpenHidraw(const InterfaceInfo& info, bool read, bool write, bool exclusive,
                                       bool numberedReports, int* error)
{
    int flags = O_NONBLOCK | O_CLOEXEC;
    flags |= read && write ? O_RDWR : (write ? O_WRONLY : O_RDONLY);
    const std::string node = GetHidrawRoots().dev + "/" + info.location;
    const int fd = open(node.c_str(), flags);
    if (fd < 0) {
        if (error != nullptr) {
            *error = errno;
        }
        return nullptr;
    }
    // Exclusive openers keep everyone else out; the others share the node among themselves.
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        if (error != nullptr) {
            *error = EBUSY;
        }
        close(fd);
        return nullptr;
    }
    return std::make_unique<HidrawConnection>(fd, numberedReports);
}

} // namespace hid
