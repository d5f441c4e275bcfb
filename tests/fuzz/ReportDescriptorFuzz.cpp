// Fuzz target: any byte string as a report descriptor. Parsing must fail cleanly or give a layout
// whose queries stay inside the report they are given.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    hid::ReportDescriptor descriptor;
    if (!hid::ParseReportDescriptor(std::span(data, size), descriptor)) {
        return 0;
    }
    // Decode the input itself as a report of every kind of every collection.
    std::vector<uint16_t> usages;
    for (const hid::CollectionLayout& c : descriptor.collections) {
        for (size_t k = 0; k < hid::kReportKinds; ++k) {
            const auto kind = static_cast<hid::ReportKind>(k);
            std::vector<uint8_t> report(c.reportLength[k], 0);
            for (size_t i = 0; i < report.size() && i < size; ++i) {
                report[i] = data[i];
            }
            for (const hid::ButtonCaps& b : c.buttonCaps[k]) {
                c.GetUsages(kind, b.usagePage, report, usages);
                c.MaxUsageListLength(kind, b.usagePage);
            }
            for (const hid::ValueCaps& v : c.valueCaps[k]) {
                uint32_t raw = 0;
                int32_t scaled = 0;
                c.GetUsageValue(kind, v.usagePage, v.usageMax, report, raw);
                c.GetScaledUsageValue(kind, v.usagePage, v.usageMin, report, scaled);
            }
            c.DataIndexCount(kind);
        }
    }
    return 0;
}
