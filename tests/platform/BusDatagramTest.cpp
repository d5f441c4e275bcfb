#include "platform/MessageBus.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::BusMessage;
using platform::BusMessageKind;
using platform::DecodeBusDatagram;
using platform::EncodeBusDatagram;

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values) {
        out += static_cast<char>(value);
    }
    return out;
}

// A registered message from "Tool", laid out by hand as other programs build it.
std::string HandMadeMessage()
{
    return "OVBUS1" + Bytes({1, 0}) + Bytes({0x34, 0x12, 0, 0, 0, 0, 0, 0}) +
           Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + std::string(8, '\0') + Bytes({4, 0}) +
           Bytes({10, 0}) + Bytes({0, 0, 0, 0}) + "Tool" + "Game_Start";
}

TEST(BusDatagram, WireLayoutIsFixed)
{
    BusMessage message =
        *platform::MakeRegisteredMessage(platform::RegisterWindowMessage("Game_Start"), 0x1234, -1);
    message.sender = "Tool";
    EXPECT_EQ(EncodeBusDatagram(message), HandMadeMessage());

    const std::optional<BusMessage> decoded = DecodeBusDatagram(HandMadeMessage());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->kind, BusMessageKind::Registered);
    EXPECT_EQ(decoded->sender, "Tool");
    EXPECT_EQ(decoded->name, "Game_Start");
    EXPECT_EQ(decoded->message, platform::RegisterWindowMessage("Game_Start"));
    EXPECT_EQ(decoded->wParam, 0x1234u);
    EXPECT_EQ(decoded->lParam, -1);
}

TEST(BusDatagram, CopyDataRoundTripsWithEveryByte)
{
    std::string data;
    for (int i = 0; i < 256; ++i) {
        data += static_cast<char>(i);
    }
    BusMessage message = platform::MakeCopyData(5, data);
    message.wParam = 77;
    const std::optional<std::string> bytes = EncodeBusDatagram(message);
    ASSERT_TRUE(bytes);
    const std::optional<BusMessage> decoded = DecodeBusDatagram(*bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->kind, BusMessageKind::CopyData);
    EXPECT_EQ(decoded->copyType, 5u);
    EXPECT_EQ(decoded->wParam, 77u);
    EXPECT_EQ(decoded->data, data);
    EXPECT_TRUE(decoded->name.empty());

    // The largest block travels; one byte more does not.
    EXPECT_TRUE(EncodeBusDatagram(platform::MakeCopyData(1, std::string(platform::kMaxBusData, 'a'))));
    EXPECT_FALSE(EncodeBusDatagram(platform::MakeCopyData(1, std::string(platform::kMaxBusData + 1, 'a'))));
}

TEST(BusDatagram, EveryMalformedVariantIsRefused)
{
    const std::string good = HandMadeMessage();
    ASSERT_TRUE(DecodeBusDatagram(good));
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(DecodeBusDatagram(good.substr(0, size))) << "cut to " << size;
    }
    struct Case
    {
        const char* what;
        size_t offset;
        char value;
    };
    const Case cases[] = {
        {"magic", 0, 'X'},
        {"kind 0", 6, 0},
        {"kind 3", 6, 3},
        {"reserved byte", 7, 1},
        {"sender too long", 33, 1},
        {"name length off", 34, 11},
        {"nameless message", 34, 0},
        {"data on a message", 36, 1},
        {"copy with a name", 6, 2},
        {"huge data length", 39, 0x7F},
    };
    for (const Case& c : cases) {
        std::string bad = good;
        bad[c.offset] = c.value;
        EXPECT_FALSE(DecodeBusDatagram(bad)) << c.what;
    }
    EXPECT_FALSE(DecodeBusDatagram(good + "!")) << "trailing byte";

    BusMessage nameless;
    EXPECT_FALSE(EncodeBusDatagram(nameless));
    BusMessage copyWithName = platform::MakeCopyData(1, "x");
    copyWithName.name = "Game_End";
    EXPECT_FALSE(EncodeBusDatagram(copyWithName));
    BusMessage longSender = platform::MakeCopyData(1, "x");
    longSender.sender = std::string(platform::kMaxBusTitle + 1, 's');
    EXPECT_FALSE(EncodeBusDatagram(longSender));
}

} // namespace
