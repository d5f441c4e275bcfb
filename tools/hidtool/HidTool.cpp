// orvant-hidtool: a command-line look at the device link.
//   list                      every HID interface path with its ids, collection, usage and report lengths
//   cmd PATH CODE [options]   one command operation on a command collection; prints result and reply data
//   listen PATH               decoded input reports until interrupted
// Errors are one line on standard error and a non-zero exit.

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/DeviceLink.h"
#include "link/HidDevice.h"
#include "platform/Event.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
constexpr int kExitCommandFailed = 3;
// A run function's answer for arguments the operation cannot take.
constexpr int kBadArguments = -1000;

const char kUsage[] =
    "usage: orvant-hidtool list\n"
    "       orvant-hidtool cmd PATH CODE [--offset N] [--length N] [--data HEX] [--index N]\n"
    "                      [--bank N] [--wireless]\n"
    "       orvant-hidtool listen PATH\n";

int Fail(const std::string& message, int code = kExitFailed)
{
    std::fprintf(stderr, "orvant-hidtool: %s\n", message.c_str());
    return code;
}

std::string Hex(const uint8_t* bytes, size_t n)
{
    std::string out;
    char piece[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(piece, sizeof piece, i == 0 ? "%02x" : " %02x", bytes[i]);
        out += piece;
    }
    return out;
}

bool ParseHexBytes(const std::string& text, Bytes& out)
{
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c != ' ' && c != ':' && c != ',') {
            return false;
        }
    }
    if (digits.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
}

bool ParseNumber(const char* text, int base, uint32_t& out)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, base);
    if (errno != 0 || end == text || *end != '\0' || value > 0xFFFFFFFFul) {
        return false;
    }
    out = static_cast<uint32_t>(value);
    return true;
}

std::string OpenError(const CHidDevice& device, const char* path)
{
    const int error = device.GetLastError();
    return std::string("cannot open ") + path + ": " +
           (error == EINVAL ? "not a HID interface path" : std::strerror(error));
}

// list

int List()
{
    CHidDevice lister;
    if (!lister.Enumerate()) {
        return Fail(std::string("cannot list HID interfaces: ") + std::strerror(errno));
    }
    int count = 0;
    while (const char* path = lister.NextPath()) {
        ++count;
        CHidDevice probe;
        if (!probe.Open(path, true, false, true, false)) {
            std::printf("%s\n  cannot open: %s\n", path, std::strerror(probe.GetLastError()));
            continue;
        }
        std::printf("%s\n  vendor %04x product %04x interface %d collection %d usage page %04x usage %04x "
                    "input %u output %u feature %u\n",
                    path, probe.GetVendorId(), probe.GetProductId(), probe.GetInterfaceNumber(),
                    probe.GetCollectionNumber(), probe.GetUsagePage(), probe.GetUsage(),
                    probe.GetInputReportLength(), probe.GetOutputReportLength(),
                    probe.GetFeatureReportLength());
    }
    if (count == 0) {
        std::printf("no HID interfaces\n");
    }
    return kExitOk;
}

// cmd

struct Options
{
    uint32_t offset = 0;
    std::optional<uint32_t> length;
    Bytes data;
    uint32_t index = 0;
    uint32_t bank = 0;
    bool wireless = false;
};

// One command operation: runs it and leaves the data it read in reply.
struct CommandSpec
{
    uint8_t code;
    int (*run)(CDeviceLink& link, const Options& o, Bytes& reply);
};

int ReadInto(Bytes& reply, uint32_t n, auto&& read)
{
    reply.assign(n, 0);
    return read(reply.data());
}

int WithTransferSize(CDeviceLink& link, uint32_t size)
{
    return size <= CDeviceLink::kMaxTransferSize && link.SetTransferSize(static_cast<uint16_t>(size))
               ? kLinkOk
               : kBadArguments;
}

const CommandSpec kCommands[] = {
    {kCmdBeginTransfer, [](CDeviceLink& l, const Options&, Bytes&) { return l.BeginTransfer(); }},
    {kCmdEndTransfer, [](CDeviceLink& l, const Options&, Bytes&) { return l.EndTransfer(); }},
    {kCmdDeviceInfo,
     [](CDeviceLink& l, const Options&, Bytes& r) {
         return ReadInto(r, CDeviceLink::kDeviceInfoSize,
                         [&](uint8_t* d) { return l.ReadDeviceInfoBlock(d); });
     }},
    {kCmdReadSettings,
     [](CDeviceLink& l, const Options& o, Bytes& r) {
         return ReadInto(r, o.length.value_or(1), [&](uint8_t* d) {
             return l.ReadSettings(static_cast<uint16_t>(o.offset), d, r.size());
         });
     }},
    {kCmdWriteSettings,
     [](CDeviceLink& l, const Options& o, Bytes&) {
         return l.WriteSettings(static_cast<uint16_t>(o.offset), o.data.data(), o.data.size());
     }},
    {kCmdReadKeyTable,
     [](CDeviceLink& l, const Options& o, Bytes& r) {
         const uint32_t size = o.length.value_or(CDeviceLink::kMaxTransferSize);
         if (WithTransferSize(l, size) != kLinkOk) {
             return kBadArguments;
         }
         return ReadInto(r, size, [&](uint8_t* d) { return l.ReadKeyTable(d); });
     }},
    {kCmdWriteKeyTable,
     [](CDeviceLink& l, const Options& o, Bytes&) {
         if (WithTransferSize(l, o.data.size()) != kLinkOk) {
             return kBadArguments;
         }
         return l.WriteKeyTable(o.data.data(), static_cast<int>(o.bank));
     }},
    {kCmdWriteCustomColours,
     [](CDeviceLink& l, const Options& o, Bytes&) {
         return l.WriteCustomColours(static_cast<int>(o.index), o.data.data(), o.data.size());
     }},
    {kCmdLightingFrame, [](CDeviceLink& l, const Options& o,
                           Bytes&) { return l.WriteLightingFrame(o.data.data(), o.data.size()); }},
    {kCmdWriteMacroData,
     [](CDeviceLink& l, const Options& o, Bytes&) { return l.WriteMacroData(o.data.data(), o.data.size()); }},
    {kCmdWriteBulkBlock,
     [](CDeviceLink& l, const Options& o, Bytes&) { return l.WriteBulkBlock(o.data.data(), o.data.size()); }},
    {kCmdReadStatusBlock,
     [](CDeviceLink& l, const Options& o, Bytes& r) {
         if (o.length.value_or(6) > CommandFrame::kPayloadSize) {
             return kBadArguments;
         }
         return ReadInto(r, o.length.value_or(6), [&](uint8_t* d) {
             return l.ReadStatusBlock(static_cast<uint16_t>(o.offset), d, r.size());
         });
     }},
    {kCmdReadKeyTableCompanion,
     [](CDeviceLink& l, const Options& o, Bytes& r) {
         const uint32_t size = o.length.value_or(CDeviceLink::kMaxTransferSize);
         if (WithTransferSize(l, size) != kLinkOk) {
             return kBadArguments;
         }
         return ReadInto(r, size / 3, [&](uint8_t* d) { return l.ReadKeyTableCompanion(d); });
     }},
    {kCmdTakeLightingControl, [](CDeviceLink& l, const Options&, Bytes&) { return l.TakeLightingControl(); }},
    {kCmdWirelessOnline,
     [](CDeviceLink& l, const Options&, Bytes&) -> int {
         return l.QueryWirelessOnline() ? kLinkOk : kLinkNotSent;
     }},
};

// A code without an operation goes out as one raw frame; the whole reply is printed.
int RawCommand(CDeviceLink& link, uint8_t code, const Options& o, Bytes& reply)
{
    const uint8_t length = static_cast<uint8_t>(o.length.value_or(o.data.size()));
    const CommandFrame request = CommandFrame::Request(code, length, static_cast<uint16_t>(o.offset), o.data);
    reply.assign(CommandFrame::kSize, 0);
    uint32_t got = 0;
    return link.Transact(request.data(), CommandFrame::kSize, reply.data(), reply.size(), &got);
}

bool ParseOptions(int argc, char** argv, int first, Options& o, std::string& error)
{
    for (int i = first; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--wireless") {
            o.wireless = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + name;
            return false;
        }
        const char* value = argv[++i];
        uint32_t number = 0;
        const bool isNumber = ParseNumber(value, 0, number);
        if (name == "--data") {
            if (!ParseHexBytes(value, o.data)) {
                error = std::string("not hexadecimal bytes: ") + value;
                return false;
            }
        } else if (name == "--offset" || name == "--length" || name == "--index" || name == "--bank") {
            if (!isNumber) {
                error = std::string("not a number: ") + value;
                return false;
            }
            if (name == "--offset") {
                o.offset = number;
            } else if (name == "--length") {
                o.length = number;
            } else if (name == "--index") {
                o.index = number;
            } else {
                o.bank = number;
            }
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

int Command(int argc, char** argv)
{
    if (argc < 4) {
        return Fail(std::string("cmd needs a path and a command code\n") + kUsage, kExitUsage);
    }
    const char* path = argv[2];
    uint32_t code = 0;
    if (!ParseNumber(argv[3], 16, code) || code > 0xFF) {
        return Fail(std::string("not a command code: ") + argv[3], kExitUsage);
    }
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, 4, options, error)) {
        return Fail(error, kExitUsage);
    }
    CDeviceLink link;
    CHidDevice& side = options.wireless ? link.LinkB() : link.LinkA();
    if (!side.Open(path, true, true, true, false)) {
        return Fail(OpenError(side, path));
    }
    link.SetOpen(true);
    link.SetLinkMode(options.wireless ? kLinkModeWireless : kLinkModeWired);

    Bytes reply;
    int result = 0;
    const auto known = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandSpec& s) { return s.code == code; });
    if (known != std::end(kCommands)) {
        result = known->run(link, options, reply);
    } else {
        result = RawCommand(link, static_cast<uint8_t>(code), options, reply);
    }
    if (result == kBadArguments) {
        return Fail("arguments out of range for command " + std::string(argv[3]), kExitUsage);
    }
    std::printf("result %d\n", result);
    if (!reply.empty() && result == kLinkOk) {
        std::printf("data %s\n", Hex(reply.data(), reply.size()).c_str());
    }
    return result == kLinkOk ? kExitOk : kExitCommandFailed;
}

// listen

void PrintItems(CHidDevice& device, const uint8_t* report, uint32_t length)
{
    HidDataItem* items = device.GetInputDataItems();
    const uint32_t count = device.GetInputDataItemCount();
    if (!CHidDevice::UnpackReport(report, length, HidReportKind::Input, items, count,
                                  device.GetPreparsedData())) {
        std::printf("  (cannot decode)\n");
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const HidDataItem& item = items[i];
        if (item.reportId != report[0]) {
            continue;
        }
        if (item.isButtonData != 0) {
            std::printf("  buttons page %04x:", item.usagePage);
            for (uint16_t usage : item.usages) {
                if (usage == 0) {
                    break;
                }
                std::printf(" %04x", usage);
            }
            std::printf("\n");
        } else {
            std::printf("  value page %04x usage %04x: raw %u scaled %d\n", item.usagePage, item.usage,
                        item.rawValue, item.scaledValue);
        }
    }
}

int Listen(int argc, char** argv)
{
    if (argc != 3) {
        return Fail(std::string("listen needs a path\n") + kUsage, kExitUsage);
    }
    const char* path = argv[2];
    // Interrupts are taken by a watcher thread, which closes the device so the blocked read returns.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CHidDevice device;
    if (!device.Open(path, true, false, true, false)) {
        return Fail(OpenError(device, path));
    }
    std::atomic<bool> stopping{false};
    std::thread watcher([&] {
        int signal = 0;
        sigwait(&signals, &signal);
        stopping = true;
        device.Close();
    });
    watcher.detach();
    std::printf("listening on %s (usage page %04x usage %04x)\n", path, device.GetUsagePage(),
                device.GetUsage());
    std::fflush(stdout);
    std::vector<uint8_t> report(std::max<uint16_t>(device.GetInputReportLength(), 1));
    while (true) {
        uint32_t got = 0;
        if (!device.ReadReport(report.data(), report.size(), &got, platform::kInfinite)) {
            if (stopping) {
                return kExitOk;
            }
            return Fail(std::string("reading ") + path + " failed: the device is gone");
        }
        std::printf("report %02x: %s\n", report[0], Hex(report.data(), got).c_str());
        PrintItems(device, report.data(), got);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string verb = argv[1];
    if (verb == "list" && argc == 2) {
        return List();
    }
    if (verb == "cmd") {
        return Command(argc, argv);
    }
    if (verb == "listen") {
        return Listen(argc, argv);
    }
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
