#pragma once
// HID report-descriptor parser: turns the descriptor of one interface into its top-level collections,
// each with its report lengths, button and value capabilities, and decodes reports into usages and
// values. It plays the part of the platform's preparsed data and HidP_* queries.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hid {

enum class ReportKind : uint8_t
{
    Input = 0,
    Output = 1,
    Feature = 2
};
inline constexpr size_t kReportKinds = 3;

// Status codes, with the platform's values so callers can compare them as they are used to.
inline constexpr uint32_t kStatusSuccess = 0x00110000;
inline constexpr uint32_t kStatusNull = 0x80110001;
inline constexpr uint32_t kStatusInvalidReportLength = 0xC0110003;
inline constexpr uint32_t kStatusUsageNotFound = 0xC0110004;
inline constexpr uint32_t kStatusValueOutOfRange = 0xC0110005;
inline constexpr uint32_t kStatusBadLogPhyValues = 0xC0110006;
inline constexpr uint32_t kStatusIncompatibleReportId = 0xC011000A;

// One entry of a main item's usage list: a single usage (min == max) or a range.
struct UsageRange
{
    uint16_t page = 0;
    uint16_t min = 0;
    uint16_t max = 0;
    bool isRange = false;
};

// One data field of a report, as declared by one main item.
struct ReportField
{
    ReportKind kind = ReportKind::Input;
    uint8_t reportId = 0;
    uint16_t linkCollection = 0;
    uint32_t bitOffset = 0; // from the first data byte, i.e. after the report id byte
    uint32_t bitSize = 0;
    uint32_t count = 0;
    bool isArray = false;
    bool isButton = false;
    bool hasNull = false;
    std::vector<UsageRange> usages;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t unit = 0;
    int32_t unitExponent = 0;
};

// A button capability: a usage or range of usages reported as on/off (variable bits or array slots).
struct ButtonCaps
{
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint32_t field = 0; // index into the collection's fields
};

// A value capability: one usage (possibly with several elements) or a range of usages, one element each.
struct ValueCaps
{
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint32_t bitSize = 0;
    uint32_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t field = 0;
    uint32_t firstElement = 0; // element of the field that holds usageMin
};

// One top-level collection with everything the HidP_* queries answer about it.
class CollectionLayout
{
public:
    // Number of usages a GetUsages call may return for the page (0 = every page).
    uint32_t MaxUsageListLength(ReportKind kind, uint16_t usagePage) const;
    // The button usages of the page that are on in the report (report id first).
    uint32_t GetUsages(ReportKind kind, uint16_t usagePage, std::span<const uint8_t> report,
                       std::vector<uint16_t>& usages) const;
    uint32_t GetUsageValue(ReportKind kind, uint16_t usagePage, uint16_t usage,
                           std::span<const uint8_t> report, uint32_t& value) const;
    uint32_t GetScaledUsageValue(ReportKind kind, uint16_t usagePage, uint16_t usage,
                                 std::span<const uint8_t> report, int32_t& value) const;
    // True when reports of that kind with this id belong to the collection (id 0: unnumbered reports).
    bool HasReport(ReportKind kind, uint8_t reportId) const;
    uint32_t DataIndexCount(ReportKind kind) const;

    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t linkCollectionNodes = 0;
    // Byte length of the longest report of each kind plus the report id byte; 0 when the kind is absent.
    std::array<uint16_t, kReportKinds> reportLength{};
    std::vector<ReportField> fields;
    std::array<std::vector<ButtonCaps>, kReportKinds> buttonCaps;
    std::array<std::vector<ValueCaps>, kReportKinds> valueCaps;
    std::array<std::array<bool, 256>, kReportKinds> reportIds{};

private:
    // Checks the report's length and id; kStatusSuccess when fields of the kind use that id.
    uint32_t CheckReport(ReportKind kind, std::span<const uint8_t> report) const;
    const ValueCaps* FindValue(ReportKind kind, uint16_t usagePage, uint16_t usage, uint8_t reportId,
                               uint32_t& element) const;
};

struct ReportDescriptor
{
    bool usesReportIds = false;
    std::vector<CollectionLayout> collections;
};

// Parses a descriptor; false (and an empty result) when it is malformed.
bool ParseReportDescriptor(std::span<const uint8_t> bytes, ReportDescriptor& out);

// Reads bitSize bits (at most 32) at bitOffset of the data, little-endian bit order; 0 past the end.
uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint32_t bitSize);

} // namespace hid
