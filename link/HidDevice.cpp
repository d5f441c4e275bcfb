#include "link/HidDevice.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "link/HidPath.h"
#include "platform/Event.h"

namespace {

constexpr uint32_t kWriteControlTimeoutMs = 1000;

int ToPollTimeout(uint32_t timeoutMs)
{
    return timeoutMs == platform::kInfinite ? -1 : static_cast<int>(std::min<uint32_t>(timeoutMs, INT_MAX));
}

// Milliseconds left of a time-out that started at start; -1 stays "for ever".
int Remaining(int timeoutMs, std::chrono::steady_clock::time_point start)
{
    if (timeoutMs < 0) {
        return -1;
    }
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    return spent >= timeoutMs ? 0 : static_cast<int>(timeoutMs - spent);
}

bool FindInterface(const hid::PathParts& parts, hid::InterfaceInfo& info, bool read, bool write,
                   bool exclusive, std::unique_ptr<hid::Connection>& handle, int& error)
{
    error = ENOENT;
    if (parts.bus == "hid") {
        hid::ReportDescriptor descriptor;
        if (!hid::ReadHidrawInfo(parts.location, info)) {
            return false;
        }
        if (!hid::ParseReportDescriptor(info.descriptor, descriptor)) {
            error = EPROTO;
            return false;
        }
        handle = hid::OpenHidraw(info, read, write, exclusive, descriptor.usesReportIds, &error);
    } else if (parts.bus == "ovhid") {
        handle = hid::OpenVirtual(parts.location, info, &error);
    }
    return handle != nullptr;
}

} // namespace

CHidDevice::CHidDevice() : cancelFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CHidDevice::~CHidDevice()
{
    Close();
    ReleasePathList();
    if (cancelFd_ >= 0) {
        close(cancelFd_);
    }
}

bool CHidDevice::Enumerate()
{
    ReleasePathList();
    std::vector<hid::InterfaceInfo> found;
    if (!hid::ListHidraw(found)) {
        return false;
    }
    hid::ListVirtual(found);
    for (const hid::InterfaceInfo& info : found) {
        hid::ReportDescriptor descriptor;
        if (!hid::ParseReportDescriptor(info.descriptor, descriptor)) {
            continue; // an interface whose layout cannot be read cannot be opened either
        }
        const size_t count = descriptor.collections.size();
        for (size_t i = 0; i < count; ++i) {
            paths_.push_back(hid::FormatPath(info, count == 1 ? 0 : static_cast<int>(i + 1)));
        }
    }
    haveList_ = true;
    return true;
}

const char* CHidDevice::NextPath()
{
    if (!haveList_ || cursor_ >= paths_.size()) {
        return nullptr;
    }
    return paths_[cursor_++].c_str();
}

void CHidDevice::ReleasePathList()
{
    paths_.clear();
    haveList_ = false;
    cursor_ = 0;
}

bool CHidDevice::Open(const char* path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive)
{
    readAccess_ = readAccess;
    writeAccess_ = writeAccess;
    overlapped_ = overlapped;
    exclusive_ = exclusive;
    if (path == nullptr || std::strlen(path) >= kHidMaxPath) {
        Close();
        path_.clear();
        lastError_ = path == nullptr ? EINVAL : ENAMETOOLONG;
        return false; // longer than the path buffer: refused rather than cut short
    }
    path_ = path;
    return Reopen();
}

bool CHidDevice::Reopen()
{
    Close();
    lastError_ = EINVAL;
    hid::PathParts parts;
    if (!hid::SplitPath(path_, parts)) {
        return false;
    }
    hid::InterfaceInfo info;
    std::unique_ptr<hid::Connection> handle;
    if (!FindInterface(parts, info, readAccess_ != 0, writeAccess_ != 0, exclusive_ != 0, handle,
                       lastError_)) {
        return false;
    }
    // A node or socket now serving another device is not the interface the path names.
    if (hid::ParseHexAfter(path_, "vid_") != info.vendorId ||
        hid::ParseHexAfter(path_, "pid_") != info.productId) {
        lastError_ = ENODEV;
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(ioLock_);
        handle_ = std::move(handle);
        opened_ = std::move(info);
    }
    if (!QueryCapabilities()) {
        Close();
        lastError_ = EPROTO;
        return false;
    }
    lastError_ = 0;
    return true;
}

bool CHidDevice::IsOpen() const
{
    std::lock_guard<std::mutex> guard(ioLock_);
    return handle_ != nullptr;
}

bool CHidDevice::IsReading() const
{
    std::lock_guard<std::mutex> guard(ioLock_);
    return reading_ != 0;
}

bool CHidDevice::IsWriting() const
{
    std::lock_guard<std::mutex> guard(ioLock_);
    return writing_ != 0;
}

void CHidDevice::Close()
{
    std::unique_lock<std::mutex> lock(ioLock_);
    if (reading_ != 0 || writing_ != 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(cancelFd_, &one, sizeof one);
        ioIdle_.wait(lock, [this] { return reading_ == 0 && writing_ == 0; });
        uint64_t drained = 0;
        n = read(cancelFd_, &drained, sizeof drained); // no signal is left for a later operation
    }
    ReleaseCapabilities();
    handle_.reset();
}

void CHidDevice::ReleaseCapabilities()
{
    for (ReportData& r : reports_) {
        r = ReportData{};
    }
    preparsed_.reset();
    caps_ = HidCaps{};
}

bool CHidDevice::QueryCapabilities()
{
    {
        // A read or write in flight uses the layout; it is not replaced under it.
        std::lock_guard<std::mutex> guard(ioLock_);
        if (handle_ == nullptr || reading_ != 0 || writing_ != 0) {
            return false;
        }
    }
    ReleaseCapabilities();
    hid::ReportDescriptor descriptor;
    if (!hid::ParseReportDescriptor(opened_.descriptor, descriptor)) {
        return false;
    }
    interfaceNumber_ = static_cast<int>(hid::ParseHexAfter(path_, "&mi_"));
    collectionNumber_ = static_cast<int>(hid::ParseHexAfter(path_, "&col"));
    const size_t index = collectionNumber_ == 0 ? 0 : static_cast<size_t>(collectionNumber_ - 1);
    if (index >= descriptor.collections.size()) {
        return false;
    }
    preparsed_ = std::make_unique<HidPreparsedData>(std::move(descriptor.collections[index]));
    const HidPreparsedData& layout = *preparsed_;
    attributes_ = {opened_.vendorId, opened_.productId, opened_.version};

    caps_.usage = layout.usage;
    caps_.usagePage = layout.usagePage;
    caps_.inputReportByteLength = layout.reportLength[0];
    caps_.outputReportByteLength = layout.reportLength[1];
    caps_.featureReportByteLength = layout.reportLength[2];
    caps_.numberLinkCollectionNodes = layout.linkCollectionNodes;
    uint16_t* counts[hid::kReportKinds][3] = {
        {&caps_.numberInputButtonCaps, &caps_.numberInputValueCaps, &caps_.numberInputDataIndices},
        {&caps_.numberOutputButtonCaps, &caps_.numberOutputValueCaps, &caps_.numberOutputDataIndices},
        {&caps_.numberFeatureButtonCaps, &caps_.numberFeatureValueCaps, &caps_.numberFeatureDataIndices}};

    for (size_t k = 0; k < hid::kReportKinds; ++k) {
        const auto kind = static_cast<HidReportKind>(k);
        ReportData& r = reports_[k];
        r.buffer.assign(layout.reportLength[k], 0);
        r.buttonCaps = layout.buttonCaps[k];
        r.valueCaps = layout.valueCaps[k];
        *counts[k][0] = static_cast<uint16_t>(r.buttonCaps.size());
        *counts[k][1] = static_cast<uint16_t>(r.valueCaps.size());
        *counts[k][2] = static_cast<uint16_t>(layout.DataIndexCount(kind));

        uint16_t itemCount = static_cast<uint16_t>(r.buttonCaps.size());
        for (const hid::ValueCaps& v : r.valueCaps) {
            itemCount = static_cast<uint16_t>(itemCount + (v.usageMax - v.usageMin + 1));
        }
        r.items.assign(itemCount, HidDataItem{});
        size_t next = 0;
        for (const hid::ButtonCaps& b : r.buttonCaps) {
            if (next >= itemCount) {
                break;
            }
            HidDataItem& item = r.items[next++];
            item.isButtonData = 1;
            item.usagePage = b.usagePage;
            item.usageMin = b.usageMin;
            item.usageMax = b.isRange ? b.usageMax : b.usageMin;
            item.maxUsageListLength = layout.MaxUsageListLength(kind, b.usagePage);
            item.usages.assign(item.maxUsageListLength, 0);
            item.reportId = b.reportId;
        }
        for (const hid::ValueCaps& v : r.valueCaps) {
            for (uint32_t u = v.usageMin; u <= v.usageMax && next < itemCount; ++u) {
                HidDataItem& item = r.items[next++];
                item.usagePage = v.usagePage;
                item.usage = u;
                item.reportId = v.reportId;
            }
        }
    }
    return true;
}

hid::Connection* CHidDevice::BeginIo(uint32_t& busy)
{
    std::lock_guard<std::mutex> guard(ioLock_);
    if (handle_ == nullptr) {
        return nullptr;
    }
    busy = 1;
    return handle_.get();
}

void CHidDevice::EndIo(uint32_t& busy)
{
    std::lock_guard<std::mutex> guard(ioLock_);
    busy = 0;
    ioIdle_.notify_all();
}

bool CHidDevice::ReadReport(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs)
{
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    hid::Connection* handle = readAccess_ != 0 ? BeginIo(reading_) : nullptr;
    if (handle == nullptr) {
        return false;
    }
    // Close waits for this call to end, so the layout and handle stay valid until EndIo.
    const HidPreparsedData& layout = *preparsed_;
    const uint32_t reportLength = caps_.inputReportByteLength;
    const int timeout = ToPollTimeout(timeoutMs);
    const auto start = std::chrono::steady_clock::now();
    std::array<uint8_t, 4097> report;
    bool ok = false;
    uint32_t delivered = 0;
    while (reportLength > 0 && buffer != nullptr) {
        size_t got = 0;
        if (handle->Read(report.data(), report.size(), got, Remaining(timeout, start), cancelFd_) !=
            hid::IoStatus::Done) {
            break;
        }
        // The interface carries every collection's reports; this path takes only its own.
        if (got == 0 || !layout.HasReport(HidReportKind::Input, report[0])) {
            continue;
        }
        delivered = std::min(length, reportLength);
        std::fill(buffer, buffer + delivered, 0);
        std::memcpy(buffer, report.data(), std::min<size_t>(got, delivered));
        ok = true;
        break;
    }
    if (bytesRead != nullptr) {
        *bytesRead = ok ? delivered : 0;
    }
    EndIo(reading_);
    return ok;
}

bool CHidDevice::Write(uint8_t kind, const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten,
                       uint32_t timeoutMs)
{
    if (bytesWritten != nullptr) {
        *bytesWritten = 0;
    }
    hid::Connection* handle = writeAccess_ != 0 ? BeginIo(writing_) : nullptr;
    if (handle == nullptr) {
        return false;
    }
    const bool feature = kind == static_cast<uint8_t>(hid::WriteKind::Feature);
    const HidReportKind reportKind = feature ? HidReportKind::Feature : HidReportKind::Output;
    const uint32_t reportLength = feature ? caps_.featureReportByteLength : caps_.outputReportByteLength;
    bool ok = false;
    // The device always gets a whole report of its declared length; a longer buffer is refused.
    if (buffer != nullptr && length > 0 && length <= reportLength &&
        preparsed_->HasReport(reportKind, buffer[0])) {
        std::array<uint8_t, 4096> report; // report lengths never exceed 4096 (the parser's limit)
        const uint8_t* whole = buffer;
        if (length < reportLength) { // padded with zeros to the report length
            std::memcpy(report.data(), buffer, length);
            std::memset(report.data() + length, 0, reportLength - length);
            whole = report.data();
        }
        ok = handle->Write(static_cast<hid::WriteKind>(kind), whole, reportLength, ToPollTimeout(timeoutMs),
                           cancelFd_) == hid::IoStatus::Done;
    }
    if (bytesWritten != nullptr) {
        *bytesWritten = ok ? length : 0;
    }
    EndIo(writing_);
    return ok;
}

bool CHidDevice::WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten,
                             uint32_t timeoutMs)
{
    return Write(static_cast<uint8_t>(hid::WriteKind::Interrupt), buffer, length, bytesWritten, timeoutMs);
}

bool CHidDevice::SetOutputReport(const uint8_t* buffer, uint32_t length)
{
    return Write(static_cast<uint8_t>(hid::WriteKind::Control), buffer, length, nullptr,
                 kWriteControlTimeoutMs);
}

bool CHidDevice::SetFeature(const uint8_t* buffer, uint32_t length)
{
    return Write(static_cast<uint8_t>(hid::WriteKind::Feature), buffer, length, nullptr,
                 kWriteControlTimeoutMs);
}

bool CHidDevice::UnpackReport(const uint8_t* report, uint32_t reportLength, HidReportKind kind,
                              HidDataItem* items, uint32_t itemCount, const HidPreparsedData* preparsed)
{
    if (report == nullptr || reportLength == 0 || preparsed == nullptr ||
        (items == nullptr && itemCount > 0)) {
        return false;
    }
    const std::span<const uint8_t> data(report, reportLength);
    const uint32_t reportId = report[0];
    std::vector<uint16_t> on;
    for (uint32_t i = 0; i < itemCount; ++i) {
        HidDataItem& item = items[i];
        if (item.reportId != reportId) {
            continue;
        }
        if (item.isButtonData != 0) {
            item.status = preparsed->GetUsages(kind, item.usagePage, data, on);
            if (on.size() > item.maxUsageListLength) {
                on.resize(item.maxUsageListLength);
            }
            item.usages.resize(std::max<size_t>(item.usages.size(), item.maxUsageListLength));
            size_t kept = 0;
            for (uint16_t usage : on) {
                if (usage >= item.usageMin && usage <= item.usageMax) {
                    item.usages[kept++] = usage;
                }
            }
            if (kept < item.maxUsageListLength) {
                item.usages[kept] = 0;
            }
        } else {
            uint32_t raw = 0;
            const uint16_t page = item.usagePage;
            const auto usage = static_cast<uint16_t>(item.usage);
            if (preparsed->GetUsageValue(kind, page, usage, data, raw) != hid::kStatusSuccess) {
                return false;
            }
            item.rawValue = raw;
            item.status = preparsed->GetScaledUsageValue(kind, page, usage, data, item.scaledValue);
        }
        item.isDataSet = 1;
    }
    return true;
}
