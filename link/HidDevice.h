#pragma once
// CHidDevice: one HID interface. Lists the paths of every HID interface present (hidraw nodes and
// virtual devices), opens one path and learns its report layout, and reads and writes whole reports
// with a time-out that Close on another thread can cut short.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/HidBackend.h"
#include "link/ReportDescriptor.h"

using HidReportKind = hid::ReportKind;
// The parsed report layout of one opened top-level collection (the platform's preparsed data).
using HidPreparsedData = hid::CollectionLayout;

inline constexpr uint32_t kHidStatusSuccess = hid::kStatusSuccess;
// The longest device path Open accepts, terminator included.
inline constexpr size_t kHidMaxPath = 260;

// Capabilities of an opened collection, as the platform reports them.
struct HidCaps
{
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberLinkCollectionNodes = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberInputDataIndices = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberOutputDataIndices = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
    uint16_t numberFeatureDataIndices = 0;
};

struct HidAttributes
{
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// One entry of the decoded view of a report: a button capability (the usages that are on) or one value
// usage (its raw and scaled value).
struct HidDataItem
{
    uint8_t isButtonData = 0;
    uint8_t reserved = 0;
    uint16_t usagePage = 0;
    uint32_t status = kHidStatusSuccess; // result of the last decode
    uint32_t reportId = 0;
    uint8_t isDataSet = 0; // 1 once a report with this item's id was decoded
    // Button items.
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsageListLength = 0;
    std::vector<uint16_t> usages; // maxUsageListLength entries; the usages that are on, then a 0
    // Value items.
    uint32_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
};

class CHidDevice
{
public:
    CHidDevice();
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Path list.
    // Lists every present HID interface (one path per top-level collection) and rewinds the cursor.
    bool Enumerate();
    // The path at the cursor, then the cursor moves on; null after the last path or without a list.
    const char* NextPath();
    void ReleasePathList();

    // Opening.
    bool Open(const char* path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive);
    // Closes and opens the stored path again with the stored options.
    bool Reopen();
    // Cancels a read or write blocked on another thread, then releases the capability data and handle.
    void Close();
    // Fills capabilities, report buffers and data items of the open collection.
    bool QueryCapabilities();
    bool IsOpen() const;

    // Reports. Time-outs in ms, platform::kInfinite waits until a report comes or Close cancels.
    bool ReadReport(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs);
    bool WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, uint32_t timeoutMs);
    // An output report through the control pipe (HidD_SetOutputReport), and a feature report.
    bool SetOutputReport(const uint8_t* buffer, uint32_t length);
    bool SetFeature(const uint8_t* buffer, uint32_t length);

    // Decodes a report into the items whose report id matches its byte 0.
    static bool UnpackReport(const uint8_t* report, uint32_t reportLength, HidReportKind kind,
                             HidDataItem* items, uint32_t itemCount, const HidPreparsedData* preparsed);

    // Read-only access.
    uint16_t GetVendorId() const { return attributes_.vendorId; }
    uint16_t GetProductId() const { return attributes_.productId; }
    uint16_t GetVersion() const { return attributes_.versionNumber; }
    uint16_t GetUsagePage() const { return caps_.usagePage; }
    uint16_t GetUsage() const { return caps_.usage; }
    uint16_t GetInputReportLength() const { return caps_.inputReportByteLength; }
    uint16_t GetOutputReportLength() const { return caps_.outputReportByteLength; }
    uint16_t GetFeatureReportLength() const { return caps_.featureReportByteLength; }
    const HidCaps& GetCaps() const { return caps_; }
    const HidAttributes& GetAttributes() const { return attributes_; }
    uint8_t* GetInputReportBuffer() { return reports_[0].buffer.data(); }
    HidDataItem* GetInputDataItems() { return reports_[0].items.data(); }
    uint32_t GetInputDataItemCount() const { return static_cast<uint32_t>(reports_[0].items.size()); }
    const HidPreparsedData* GetPreparsedData() const { return preparsed_.get(); }
    int GetInterfaceNumber() const { return interfaceNumber_; }
    int GetCollectionNumber() const { return collectionNumber_; }
    const std::string& GetPath() const { return path_; }
    // Why the last Open or Reopen failed, as an errno value (0 after a success).
    int GetLastError() const { return lastError_; }
    bool IsReading() const;
    bool IsWriting() const;

private:
    // Buffers and decoded view of one report kind.
    struct ReportData
    {
        std::vector<uint8_t> buffer;
        std::vector<HidDataItem> items;
        std::vector<hid::ButtonCaps> buttonCaps;
        std::vector<hid::ValueCaps> valueCaps;
    };

    // Marks the operation busy and hands out the connection; null when closed.
    hid::Connection* BeginIo(uint32_t& busy);
    void EndIo(uint32_t& busy);
    bool Write(uint8_t kind, const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten,
               uint32_t timeoutMs);
    void ReleaseCapabilities();

    // Path list.
    std::vector<std::string> paths_;
    bool haveList_ = false;
    uint32_t cursor_ = 0;
    // Open options.
    uint32_t readAccess_ = 0;
    uint32_t writeAccess_ = 0;
    uint32_t overlapped_ = 0;
    uint32_t exclusive_ = 0;
    std::unique_ptr<hid::Connection> handle_;
    hid::InterfaceInfo opened_; // ids and descriptor of the open interface
    std::string path_;
    std::unique_ptr<HidPreparsedData> preparsed_;
    HidCaps caps_;
    HidAttributes attributes_;
    ReportData reports_[hid::kReportKinds];
    int lastError_ = 0;
    int interfaceNumber_ = 0;
    int collectionNumber_ = 0;
    // Cancels a blocked read or write: an eventfd that Close signals while an operation is busy.
    int cancelFd_ = -1;
    // Guards the handle and the busy flags; Close waits on ioIdle_ until no operation uses the handle.
    mutable std::mutex ioLock_;
    std::condition_variable ioIdle_;
    uint32_t reading_ = 0;
    uint32_t writing_ = 0;
};
