// The report-descriptor parser: layouts, report lengths, decoding and malformed input.

#include <gtest/gtest.h>

#include "ScriptedPeer.h"
#include "link/ReportDescriptor.h"

namespace test {
namespace {

using hid::ReportKind;

hid::ReportDescriptor Parse(const Bytes& bytes)
{
    hid::ReportDescriptor d;
    EXPECT_TRUE(hid::ParseReportDescriptor(bytes, d));
    return d;
}

// A mouse without report ids: 3 buttons, 5 bits padding, X and Y as signed bytes.
const Bytes kMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
                      0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                      0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
                      0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};

TEST(ReportDescriptorTest, CommandInterfaceHasFourCollectionsWithTheirLengths)
{
    const hid::ReportDescriptor d = Parse(CommandInterfaceDescriptor());
    ASSERT_EQ(d.collections.size(), 4u);
    EXPECT_TRUE(d.usesReportIds);
    const uint16_t pages[] = {0x01, 0x01, 0x0C, 0xFF1C};
    const uint16_t usages[] = {0x06, 0x80, 0x01, 0x92};
    const uint16_t inputs[] = {9, 2, 3, 64};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(d.collections[i].usagePage, pages[i]) << i;
        EXPECT_EQ(d.collections[i].usage, usages[i]) << i;
        EXPECT_EQ(d.collections[i].reportLength[0], inputs[i]) << i;
        EXPECT_EQ(d.collections[i].reportLength[2], 0) << i;
    }
    EXPECT_EQ(d.collections[3].reportLength[1], 64);
    EXPECT_TRUE(d.collections[2].HasReport(ReportKind::Input, 3));
    EXPECT_FALSE(d.collections[2].HasReport(ReportKind::Input, 4));
}

TEST(ReportDescriptorTest, UnnumberedReportsCountTheZeroIdByte)
{
    const hid::ReportDescriptor d = Parse(kMouse);
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_FALSE(d.usesReportIds);
    EXPECT_EQ(d.collections[0].reportLength[0], 4); // id byte + 3 data bytes
    EXPECT_EQ(d.collections[0].linkCollectionNodes, 2);
    EXPECT_EQ(d.collections[0].buttonCaps[0].size(), 1u);
    EXPECT_EQ(d.collections[0].valueCaps[0].size(), 2u);

    const Bytes report = {0, 0b101, 0xFF, 0x05};
    std::vector<uint16_t> buttons;
    EXPECT_EQ(d.collections[0].GetUsages(ReportKind::Input, 0x09, report, buttons), hid::kStatusSuccess);
    EXPECT_EQ(buttons, (std::vector<uint16_t>{1, 3}));
    int32_t x = 0;
    EXPECT_EQ(d.collections[0].GetScaledUsageValue(ReportKind::Input, 0x01, 0x30, report, x),
              hid::kStatusSuccess);
    EXPECT_EQ(x, -1); // signed field
    uint32_t y = 0;
    EXPECT_EQ(d.collections[0].GetUsageValue(ReportKind::Input, 0x01, 0x31, report, y), hid::kStatusSuccess);
    EXPECT_EQ(y, 5u);
    EXPECT_EQ(d.collections[0].GetUsageValue(ReportKind::Input, 0x01, 0x38, report, y),
              hid::kStatusUsageNotFound);
    EXPECT_EQ(d.collections[0].GetUsageValue(ReportKind::Input, 0x01, 0x30, Bytes{0, 1}, y),
              hid::kStatusInvalidReportLength);
}

TEST(ReportDescriptorTest, KeyboardArrayAndModifiers)
{
    const hid::ReportDescriptor d = Parse(CommandInterfaceDescriptor());
    const hid::CollectionLayout& keyboard = d.collections[0];
    // Left shift and right GUI, keys A and Z.
    const Bytes report = {1, 0x82, 0x00, 0x04, 0x1D, 0, 0, 0, 0};
    std::vector<uint16_t> keys;
    EXPECT_EQ(keyboard.GetUsages(ReportKind::Input, 0x07, report, keys), hid::kStatusSuccess);
    EXPECT_EQ(keys, (std::vector<uint16_t>{0xE1, 0xE7, 0x04, 0x1D}));
    EXPECT_EQ(keyboard.MaxUsageListLength(ReportKind::Input, 0x07), 14u); // 8 modifier bits + 6 slots
    EXPECT_EQ(keyboard.GetUsages(ReportKind::Input, 0x07, Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0}, keys),
              hid::kStatusIncompatibleReportId);
}

TEST(ReportDescriptorTest, PushAndPopRestoreGlobals)
{
    // Report size 8 pushed, 1 used for a bit field, popped back to 8 for a value.
    const Bytes bytes = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
                         0x75, 0x08, 0x95, 0x01, 0xA4, 0x75, 0x01, 0x95, 0x08, 0x25, 0x01, 0x19,
                         0x01, 0x29, 0x08, 0x81, 0x02, 0xB4, 0x09, 0x10, 0x81, 0x02, 0xC0};
    const hid::ReportDescriptor d = Parse(bytes);
    ASSERT_EQ(d.collections[0].valueCaps[0].size(), 1u);
    EXPECT_EQ(d.collections[0].valueCaps[0][0].bitSize, 8u);
    EXPECT_EQ(d.collections[0].valueCaps[0][0].logicalMax, 255);
    EXPECT_EQ(d.collections[0].reportLength[0], 3);
    uint32_t v = 0;
    EXPECT_EQ(d.collections[0].GetUsageValue(ReportKind::Input, 0xFF00, 0x10, Bytes{0, 0, 0xAB}, v),
              hid::kStatusSuccess);
    EXPECT_EQ(v, 0xABu);
}

struct MalformedCase
{
    const char* name;
    Bytes bytes;
};

class MalformedTest : public ::testing::TestWithParam<MalformedCase>
{
};

TEST_P(MalformedTest, FailsCleanly)
{
    hid::ReportDescriptor d;
    EXPECT_FALSE(hid::ParseReportDescriptor(GetParam().bytes, d));
    EXPECT_TRUE(d.collections.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, MalformedTest,
    ::testing::Values(
        MalformedCase{"Empty", {}},
        MalformedCase{"TruncatedItem", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x26, 0xFF}},
        MalformedCase{"EndWithoutCollection", {0x05, 0x01, 0xC0}},
        MalformedCase{"UnclosedCollection", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01}},
        MalformedCase{"PopWithoutPush", {0x05, 0x01, 0xB4}},
        MalformedCase{"FieldOutsideCollection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        MalformedCase{"ReportIdZero", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x00, 0xC0}},
        MalformedCase{
            "UsageMaxWithoutMin",
            {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x29, 0x03, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0xC0}},
        MalformedCase{"ValueWiderThan32Bits",
                      {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x40, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        MalformedCase{"ReportTooLong",
                      {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x20, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}},
        MalformedCase{"DataBeforeFirstReportId",
                      {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01,
                       0x81, 0x02, 0xC0}},
        MalformedCase{"ReportIdInTwoCollections",
                      {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01,
                       0x81, 0x02, 0xC0, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x81, 0x02, 0xC0}},
        MalformedCase{"TruncatedLongItem", {0xFE, 0x10, 0x00, 0x01}}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(ReportDescriptorTest, ExtendedUsageCarriesItsOwnPage)
{
    // Usage 0x000C00E9 given in four bytes while the page in force is the vendor page.
    const Bytes bytes = {0x06, 0x00, 0xFF, 0x0B, 0xE9, 0x00, 0x0C, 0x00, 0xA1, 0x01,
                         0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x01, 0x0B, 0xE9,
                         0x00, 0x0C, 0x00, 0x81, 0x02, 0x75, 0x07, 0x81, 0x01, 0xC0};
    const hid::ReportDescriptor d = Parse(bytes);
    EXPECT_EQ(d.collections[0].usagePage, 0x0C);
    EXPECT_EQ(d.collections[0].usage, 0xE9);
    ASSERT_EQ(d.collections[0].buttonCaps[0].size(), 1u);
    EXPECT_EQ(d.collections[0].buttonCaps[0][0].usagePage, 0x0C);
}

} // namespace
} // namespace test
