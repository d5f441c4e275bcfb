#include "link/ReportDescriptor.h"

#include <algorithm>
#include <optional>

namespace hid {
namespace {

// Descriptor limits beyond which a descriptor is treated as malformed rather than trusted.
constexpr uint32_t kMaxReportBits = 4095u * 8u;
constexpr size_t kMaxPushDepth = 32;
constexpr size_t kMaxUsagesPerItem = 4096;
constexpr size_t kMaxFields = 8192;

enum ItemType : uint8_t
{
    kMain = 0,
    kGlobal = 1,
    kLocal = 2
};

enum MainTag : uint8_t
{
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC
};

enum GlobalTag : uint8_t
{
    kUsagePage = 0x0,
    kLogicalMin = 0x1,
    kLogicalMax = 0x2,
    kPhysicalMin = 0x3,
    kPhysicalMax = 0x4,
    kUnitExponent = 0x5,
    kUnit = 0x6,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB
};

enum LocalTag : uint8_t
{
    kUsage = 0x0,
    kUsageMin = 0x1,
    kUsageMax = 0x2
};

// A signed item value together with its encoded size, so that a maximum written without a sign bit
// (Logical Maximum 0xFF in one byte beside a minimum of 0) can be read as unsigned.
struct SizedValue
{
    int32_t value = 0;
    uint32_t raw = 0;
    uint8_t size = 0;

    int32_t AsMaximum(int32_t minimum) const
    {
        if (minimum >= 0 && value < 0 && size < 4) {
            return static_cast<int32_t>(raw);
        }
        return value;
    }
};

struct GlobalState
{
    uint16_t usagePage = 0;
    SizedValue logicalMin, logicalMax, physicalMin, physicalMax;
    int32_t unitExponent = 0;
    uint32_t unit = 0;
    uint32_t reportSize = 0;
    uint8_t reportId = 0;
    uint32_t reportCount = 0;
};

// A usage as written in a local item: a 16-bit id takes the usage page in force at the main item.
struct LocalUsage
{
    uint32_t value = 0;
    bool extended = false;
};

struct LocalState
{
    std::vector<std::pair<LocalUsage, LocalUsage>> usages; // (min, max); equal for single usages
    std::optional<LocalUsage> pendingMin;
    std::vector<bool> isRange;

    void Clear()
    {
        usages.clear();
        isRange.clear();
        pendingMin.reset();
    }
};

UsageRange Resolve(const LocalUsage& min, const LocalUsage& max, bool isRange, uint16_t page)
{
    UsageRange r;
    r.page = min.extended ? static_cast<uint16_t>(min.value >> 16) : page;
    r.min = static_cast<uint16_t>(min.value & 0xFFFF);
    r.max = static_cast<uint16_t>(max.value & 0xFFFF);
    if (r.max < r.min) {
        std::swap(r.min, r.max);
    }
    r.isRange = isRange && r.min != r.max;
    return r;
}

uint32_t RangeSize(const UsageRange& r)
{
    return static_cast<uint32_t>(r.max) - r.min + 1;
}

// The usage of element or array index i of a field: walks the usage list, the last usage repeating.
bool UsageAt(const ReportField& field, uint32_t i, UsageRange& out)
{
    for (const UsageRange& r : field.usages) {
        const uint32_t n = RangeSize(r);
        if (i < n) {
            out = {r.page, static_cast<uint16_t>(r.min + i), static_cast<uint16_t>(r.min + i), false};
            return true;
        }
        i -= n;
    }
    if (field.isArray || field.usages.empty()) {
        return false;
    }
    const UsageRange& last = field.usages.back();
    out = {last.page, last.max, last.max, false};
    return true;
}

int32_t SignExtend(uint32_t raw, uint32_t bits)
{
    if (bits == 0 || bits >= 32) {
        return static_cast<int32_t>(raw);
    }
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((raw ^ sign) - sign);
}

int32_t FieldValue(const ReportField& f, uint32_t raw)
{
    return f.logicalMin < 0 ? SignExtend(raw, f.bitSize) : static_cast<int32_t>(raw);
}

class Parser
{
public:
    explicit Parser(ReportDescriptor& out) : out_(out) {}

    bool Run(std::span<const uint8_t> bytes)
    {
        size_t pos = 0;
        while (pos < bytes.size()) {
            const uint8_t prefix = bytes[pos++];
            if (prefix == 0xFE) { // long item: size, tag, data; carries nothing we use
                if (pos + 2 > bytes.size() || pos + 2 + bytes[pos] > bytes.size()) {
                    return false;
                }
                pos += 2 + bytes[pos];
                continue;
            }
            const uint8_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
            if (pos + size > bytes.size()) {
                return false;
            }
            uint32_t raw = 0;
            for (uint8_t i = 0; i < size; ++i) {
                raw |= static_cast<uint32_t>(bytes[pos + i]) << (8 * i);
            }
            pos += size;
            SizedValue v{SignExtend(raw, size * 8u), raw, size};
            const uint8_t type = (prefix >> 2) & 3;
            const uint8_t tag = prefix >> 4;
            bool ok = true;
            switch (type) {
            case kMain:
                ok = Main(tag, raw);
                break;
            case kGlobal:
                ok = Global(tag, v);
                break;
            case kLocal:
                ok = Local(tag, raw, size == 4);
                break;
            default:
                ok = false; // reserved item type
            }
            if (!ok) {
                return false;
            }
        }
        return depth_ == 0 && !local_.pendingMin && Finish();
    }

private:
    bool Global(uint8_t tag, const SizedValue& v)
    {
        switch (tag) {
        case kUsagePage:
            global_.usagePage = static_cast<uint16_t>(v.raw);
            break;
        case kLogicalMin:
            global_.logicalMin = v;
            break;
        case kLogicalMax:
            global_.logicalMax = v;
            break;
        case kPhysicalMin:
            global_.physicalMin = v;
            break;
        case kPhysicalMax:
            global_.physicalMax = v;
            break;
        case kUnitExponent:
            global_.unitExponent = v.value;
            break;
        case kUnit:
            global_.unit = v.raw;
            break;
        case kReportSize:
            global_.reportSize = v.raw;
            break;
        case kReportId:
            if (v.raw == 0 || v.raw > 255) {
                return false;
            }
            global_.reportId = static_cast<uint8_t>(v.raw);
            out_.usesReportIds = true;
            break;
        case kReportCount:
            global_.reportCount = v.raw;
            break;
        case kPush:
            if (stack_.size() >= kMaxPushDepth) {
                return false;
            }
            stack_.push_back(global_);
            break;
        case kPop:
            if (stack_.empty()) {
                return false;
            }
            global_ = stack_.back();
            stack_.pop_back();
            break;
        default:
            return false;
        }
        return true;
    }

    bool Local(uint8_t tag, uint32_t raw, bool extended)
    {
        const LocalUsage u{raw, extended};
        if (local_.usages.size() >= kMaxUsagesPerItem) {
            return false;
        }
        switch (tag) {
        case kUsage:
            local_.usages.emplace_back(u, u);
            local_.isRange.push_back(false);
            break;
        case kUsageMin:
            local_.pendingMin = u;
            break;
        case kUsageMax:
            if (!local_.pendingMin) {
                return false;
            }
            local_.usages.emplace_back(*local_.pendingMin, u);
            local_.isRange.push_back(true);
            local_.pendingMin.reset();
            break;
        default:
            break; // designators, strings and delimiters do not shape reports
        }
        return true;
    }

    bool Main(uint8_t tag, uint32_t flags)
    {
        bool ok = true;
        switch (tag) {
        case kInput:
            ok = Field(ReportKind::Input, flags);
            break;
        case kOutput:
            ok = Field(ReportKind::Output, flags);
            break;
        case kFeature:
            ok = Field(ReportKind::Feature, flags);
            break;
        case kCollection:
            ok = BeginCollection();
            break;
        case kEndCollection:
            if (depth_ == 0) {
                return false;
            }
            --depth_;
            linkStack_.pop_back();
            break;
        default:
            return false;
        }
        local_.Clear();
        return ok;
    }

    bool BeginCollection()
    {
        if (local_.pendingMin) {
            return false;
        }
        if (depth_ == 0) {
            CollectionLayout c;
            if (!local_.usages.empty()) {
                const UsageRange u =
                    Resolve(local_.usages[0].first, local_.usages[0].first, false, global_.usagePage);
                c.usagePage = u.page;
                c.usage = u.min;
            }
            out_.collections.push_back(std::move(c));
        }
        CollectionLayout& top = out_.collections.back();
        linkStack_.push_back(top.linkCollectionNodes);
        ++top.linkCollectionNodes;
        ++depth_;
        return depth_ < 256;
    }

    bool Field(ReportKind kind, uint32_t flags)
    {
        if (depth_ == 0 || local_.pendingMin) {
            return false;
        }
        const uint64_t bits = static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
        if (bits == 0) {
            return true;
        }
        const bool constant = (flags & 1) != 0;
        if ((!constant && global_.reportSize > 32) || global_.reportSize > 256) {
            return false;
        }
        const size_t k = static_cast<size_t>(kind);
        const size_t collection = out_.collections.size() - 1;
        int16_t& owner = owner_[k][global_.reportId];
        if (owner >= 0 && static_cast<size_t>(owner) != collection) {
            return false; // one report id may not span top-level collections
        }
        owner = static_cast<int16_t>(collection);
        uint32_t& offset = bits_[k][global_.reportId];
        if (offset + bits > kMaxReportBits) {
            return false;
        }
        CollectionLayout& top = out_.collections[collection];
        top.reportIds[k][global_.reportId] = true;
        const uint32_t fieldOffset = offset;
        offset += static_cast<uint32_t>(bits);
        if (constant) {
            return true;
        }
        if (++fieldCount_ > kMaxFields) {
            return false;
        }
        ReportField f;
        f.kind = kind;
        f.reportId = global_.reportId;
        f.linkCollection = linkStack_.back();
        f.bitOffset = fieldOffset;
        f.bitSize = global_.reportSize;
        f.count = global_.reportCount;
        f.isArray = (flags & 2) == 0;
        f.isButton = f.isArray || f.bitSize == 1;
        f.hasNull = (flags & 0x40) != 0;
        f.logicalMin = global_.logicalMin.value;
        f.logicalMax = global_.logicalMax.AsMaximum(f.logicalMin);
        f.physicalMin = global_.physicalMin.value;
        f.physicalMax = global_.physicalMax.AsMaximum(f.physicalMin);
        f.unit = global_.unit;
        f.unitExponent = global_.unitExponent;
        for (size_t i = 0; i < local_.usages.size(); ++i) {
            f.usages.push_back(Resolve(local_.usages[i].first, local_.usages[i].second, local_.isRange[i],
                                       global_.usagePage));
        }
        if (f.usages.empty()) {
            f.usages.push_back({global_.usagePage, 0, 0, false});
        }
        AddCaps(top, f, static_cast<uint32_t>(top.fields.size()));
        top.fields.push_back(std::move(f));
        return true;
    }

    // One capability per usage-list entry, as the platform's parser makes them.
    static void AddCaps(CollectionLayout& top, const ReportField& f, uint32_t fieldIndex)
    {
        const size_t k = static_cast<size_t>(f.kind);
        uint32_t element = 0;
        for (size_t i = 0; i < f.usages.size(); ++i) {
            const UsageRange& r = f.usages[i];
            if (f.isArray) {
                top.buttonCaps[k].push_back(
                    {r.page, f.reportId, f.linkCollection, r.isRange, r.min, r.max, fieldIndex});
                continue;
            }
            if (element >= f.count) {
                break;
            }
            const bool last = i + 1 == f.usages.size();
            uint32_t n = std::min(RangeSize(r), f.count - element);
            const uint16_t max = static_cast<uint16_t>(r.min + n - 1);
            if (f.isButton) {
                top.buttonCaps[k].push_back(
                    {r.page, f.reportId, f.linkCollection, r.min != max, r.min, max, fieldIndex});
            } else {
                uint32_t elements = n;
                if (last && !r.isRange) {
                    elements = f.count - element; // a single usage owns the remaining elements
                }
                ValueCaps v{r.page,        f.reportId,    f.linkCollection, r.min != max, r.min,
                            max,           f.bitSize,     elements,         f.logicalMin, f.logicalMax,
                            f.physicalMin, f.physicalMax, fieldIndex,       element};
                top.valueCaps[k].push_back(v);
            }
            element += n;
        }
    }

    bool Finish()
    {
        for (CollectionLayout& c : out_.collections) {
            for (size_t k = 0; k < kReportKinds; ++k) {
                uint32_t longest = 0;
                bool any = false;
                for (size_t id = 0; id < 256; ++id) {
                    if (!c.reportIds[k][id]) {
                        continue;
                    }
                    if (out_.usesReportIds && id == 0) {
                        return false; // data declared before the first report id
                    }
                    any = true;
                    longest = std::max(longest, (bits_[k][id] + 7) / 8);
                }
                c.reportLength[k] = any ? static_cast<uint16_t>(longest + 1) : 0;
            }
        }
        return true;
    }

    ReportDescriptor& out_;
    GlobalState global_;
    std::vector<GlobalState> stack_;
    LocalState local_;
    std::vector<uint16_t> linkStack_;
    size_t depth_ = 0;
    size_t fieldCount_ = 0;
    std::array<std::array<uint32_t, 256>, kReportKinds> bits_{};
    std::array<std::array<int16_t, 256>, kReportKinds> owner_ = [] {
        std::array<std::array<int16_t, 256>, kReportKinds> a{};
        for (auto& row : a) {
            row.fill(-1);
        }
        return a;
    }();
};

} // namespace

uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint32_t bitSize)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bitSize && i < 32; ++i) {
        const uint32_t bit = bitOffset + i;
        if (bit / 8 >= data.size()) {
            break;
        }
        value |= static_cast<uint32_t>((data[bit / 8] >> (bit % 8)) & 1) << i;
    }
    return value;
}

bool ParseReportDescriptor(std::span<const uint8_t> bytes, ReportDescriptor& out)
{
    out = ReportDescriptor{};
    Parser parser(out);
    if (!parser.Run(bytes) || out.collections.empty()) {
        out = ReportDescriptor{};
        return false;
    }
    return true;
}

bool CollectionLayout::HasReport(ReportKind kind, uint8_t reportId) const
{
    return reportIds[static_cast<size_t>(kind)][reportId];
}

uint32_t CollectionLayout::CheckReport(ReportKind kind, std::span<const uint8_t> report) const
{
    const uint16_t length = reportLength[static_cast<size_t>(kind)];
    if (report.empty() || length == 0 || report.size() < length) {
        return kStatusInvalidReportLength;
    }
    return HasReport(kind, report[0]) ? kStatusSuccess : kStatusIncompatibleReportId;
}

uint32_t CollectionLayout::MaxUsageListLength(ReportKind kind, uint16_t page) const
{
    uint32_t total = 0;
    for (const ReportField& f : fields) {
        if (f.kind != kind || !f.isButton) {
            continue;
        }
        if (f.isArray) {
            const bool onPage = std::any_of(f.usages.begin(), f.usages.end(),
                                            [&](const UsageRange& r) { return page == 0 || r.page == page; });
            total += onPage ? f.count : 0;
            continue;
        }
        for (uint32_t e = 0; e < f.count; ++e) {
            UsageRange u;
            if (UsageAt(f, e, u) && (page == 0 || u.page == page)) {
                ++total;
            }
        }
    }
    return total;
}

uint32_t CollectionLayout::GetUsages(ReportKind kind, uint16_t page, std::span<const uint8_t> report,
                                     std::vector<uint16_t>& usages) const
{
    usages.clear();
    const uint32_t status = CheckReport(kind, report);
    if (status != kStatusSuccess) {
        return status;
    }
    const std::span<const uint8_t> data = report.subspan(1);
    bool pageFound = false;
    for (const ReportField& f : fields) {
        if (f.kind != kind || !f.isButton || f.reportId != report[0]) {
            continue;
        }
        for (uint32_t e = 0; e < f.count; ++e) {
            const uint32_t raw = ExtractBits(data, f.bitOffset + e * f.bitSize, f.bitSize);
            UsageRange u;
            if (f.isArray) {
                const int32_t v = FieldValue(f, raw);
                if (v < f.logicalMin || v > f.logicalMax ||
                    !UsageAt(f, static_cast<uint32_t>(v - f.logicalMin), u)) {
                    continue;
                }
            } else if (!UsageAt(f, e, u)) {
                continue;
            }
            if (u.page != page) {
                continue;
            }
            pageFound = true;
            if ((f.isArray || raw != 0) && u.min != 0) {
                usages.push_back(u.min);
            }
        }
        pageFound = pageFound || std::any_of(f.usages.begin(), f.usages.end(),
                                             [&](const UsageRange& r) { return r.page == page; });
    }
    return pageFound ? kStatusSuccess : kStatusUsageNotFound;
}

const ValueCaps* CollectionLayout::FindValue(ReportKind kind, uint16_t page, uint16_t usage, uint8_t reportId,
                                             uint32_t& element) const
{
    for (const ValueCaps& v : valueCaps[static_cast<size_t>(kind)]) {
        if (v.reportId == reportId && v.usagePage == page && usage >= v.usageMin && usage <= v.usageMax) {
            element = v.firstElement + (usage - v.usageMin);
            return &v;
        }
    }
    return nullptr;
}

uint32_t CollectionLayout::GetUsageValue(ReportKind kind, uint16_t page, uint16_t usage,
                                         std::span<const uint8_t> report, uint32_t& value) const
{
    value = 0;
    const uint32_t status = CheckReport(kind, report);
    if (status != kStatusSuccess) {
        return status;
    }
    uint32_t element = 0;
    const ValueCaps* v = FindValue(kind, page, usage, report[0], element);
    if (v == nullptr) {
        return kStatusUsageNotFound;
    }
    const ReportField& f = fields[v->field];
    value = ExtractBits(report.subspan(1), f.bitOffset + element * f.bitSize, f.bitSize);
    return kStatusSuccess;
}

uint32_t CollectionLayout::GetScaledUsageValue(ReportKind kind, uint16_t page, uint16_t usage,
                                               std::span<const uint8_t> report, int32_t& value) const
{
    value = 0;
    uint32_t raw = 0;
    const uint32_t status = GetUsageValue(kind, page, usage, report, raw);
    if (status != kStatusSuccess) {
        return status;
    }
    uint32_t element = 0;
    const ValueCaps* v = FindValue(kind, page, usage, report[0], element);
    const ReportField& f = fields[v->field];
    int64_t pmin = f.physicalMin, pmax = f.physicalMax;
    const int64_t lmin = f.logicalMin, lmax = f.logicalMax;
    if (pmin == 0 && pmax == 0) {
        pmin = lmin;
        pmax = lmax;
    }
    if (lmin >= lmax || pmin > pmax) {
        return kStatusBadLogPhyValues;
    }
    const int64_t x = FieldValue(f, raw);
    if (x < lmin || x > lmax) {
        return f.hasNull ? kStatusNull : kStatusValueOutOfRange;
    }
    value = static_cast<int32_t>(pmin + (x - lmin) * (pmax - pmin) / (lmax - lmin));
    return kStatusSuccess;
}

uint32_t CollectionLayout::DataIndexCount(ReportKind kind) const
{
    const size_t k = static_cast<size_t>(kind);
    uint32_t n = 0;
    for (const ButtonCaps& b : buttonCaps[k]) {
        n += static_cast<uint32_t>(b.usageMax) - b.usageMin + 1;
    }
    for (const ValueCaps& v : valueCaps[k]) {
        n += static_cast<uint32_t>(v.usageMax) - v.usageMin + 1;
    }
    return n;
}

} // namespace hid
