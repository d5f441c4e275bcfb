// The base's computed lighting: tables, the step function, the shared generators and the reactive
// state, and the indexed control names the page binds by.

#include "devices/IndexedControlName.h"
#include "devices/LightingTables.h"
#include "devices/NimbrelUSBDevice.h"

#include <gtest/gtest.h>

namespace devices_test {
namespace {

TEST(LightingTables, HueWheelSegments)
{
    struct Case
    {
        int index;
        uint8_t r, g, b;
    };
    const Case cases[] = {{0, 255, 1, 0},   {31, 255, 255, 0}, {32, 248, 255, 0}, {63, 0, 255, 0},
                          {64, 0, 255, 1},  {96, 0, 248, 255}, {128, 1, 0, 255},  {160, 255, 0, 248},
                          {191, 255, 0, 0}, {192, 255, 1, 0},  {-1, 255, 0, 0}};
    for (const Case& c : cases) {
        const lighting::Rgb rgb = lighting::HueWheel(c.index);
        EXPECT_EQ(rgb.red, c.r) << c.index;
        EXPECT_EQ(rgb.green, c.g) << c.index;
        EXPECT_EQ(rgb.blue, c.b) << c.index;
    }
}

TEST(LightingTables, BreathingCurveRisesThenFallsSymmetrically)
{
    EXPECT_EQ(lighting::BreathingCurve(0), 0);
    EXPECT_EQ(lighting::BreathingCurve(11), 12);
    EXPECT_EQ(lighting::BreathingCurve(18), 27);
    EXPECT_EQ(lighting::BreathingCurve(63), 255);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(lighting::BreathingCurve(i), lighting::BreathingCurve(127 - i)) << i;
    for (int i = 1; i < 64; ++i)
        EXPECT_GT(lighting::BreathingCurve(i), lighting::BreathingCurve(i - 1)) << i;
}

TEST(LightingTables, StepCounter)
{
    struct Case
    {
        bool forward;
        uint8_t limit, value, step, expected;
    };
    const Case cases[] = {{true, 128, 0, 1, 1},     {true, 128, 127, 1, 0},  {true, 192, 180, 16, 0},
                          {false, 128, 5, 1, 4},    {false, 128, 0, 1, 127}, {false, 192, 10, 16, 176},
                          {false, 192, 200, 1, 191}};
    for (const Case& c : cases)
        EXPECT_EQ(lighting::StepCounter(c.forward, c.limit, c.value, c.step), c.expected)
            << c.forward << " " << int(c.limit) << " " << int(c.value) << " " << int(c.step);
}

TEST(BaseGenerators, StaticOffAndSpectrumFillEveryLed)
{
    CNimbrelUSBDevice device;
    device.SetLedCount(3);
    LightEffect e;
    e.brightness = 2;
    e.red = 10;
    e.green = 20;
    e.blue = 30;
    e.direction = 1;
    device.SetLightEffect(e.ToWords());

    device.EffectStatic();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(device.GetLedColour(i), 10u | 20u << 8 | 30u << 16 | 135u << 24) << i;

    device.EffectSpectrumCycle(); // counter 0 -> 1: hue wheel entry 1
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(device.GetLedColour(i), 255u | 3u << 8 | 0u << 16 | 135u << 24) << i;

    device.EffectOff();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(device.GetLedColour(i), 0u) << i;
}

TEST(BaseGenerators, BreathingFollowsTheCurveAtTheLevel)
{
    CNimbrelUSBDevice device;
    device.SetLedCount(1);
    LightEffect e;
    e.brightness = 4;
    e.red = 1;
    e.direction = 1;
    device.SetLightEffect(e.ToWords());
    for (int step = 1; step <= 63; ++step) {
        device.EffectBreathing();
        EXPECT_EQ(device.GetLedColour(0) >> 24, lighting::BreathingCurve(step) * 255u / 256) << step;
        EXPECT_EQ(device.GetLedColour(0) & 0xFFFFFF, 1u);
    }
}

TEST(ReactiveState, DecayStepsByStyleAndRange)
{
    struct Case
    {
        int style;
        uint8_t from, to;
    };
    const Case cases[] = {{0, 255, 215}, {0, 100, 70},   {0, 40, 25},   {0, 20, 12},  {0, 16, 15},
                          {0, 0, 0},     {29, 150, 105}, {29, 130, 90}, {29, 70, 50}, {29, 40, 30},
                          {29, 20, 15},  {28, 40, 30},   {28, 5, 4},    {28, 1, 0}};
    CNimbrelUSBDevice device;
    for (const Case& c : cases) {
        device.SetReactive(7, c.from);
        device.DecayReactive(7, c.style);
        EXPECT_EQ(device.GetReactive(7), c.to) << c.style << " " << int(c.from);
    }
    device.DecayReactive(-1, 0); // out of range: nothing happens
    device.DecayReactive(170, 0);
}

TEST(ReactiveState, RotateAndClear)
{
    CNimbrelUSBDevice device;
    device.SetColumn(0, 9);
    device.SetColumn(22, 4);
    device.RotateColumns(1);
    EXPECT_EQ(device.GetColumn(1), 9);
    EXPECT_EQ(device.GetColumn(0), 4);
    device.RotateColumns(0);
    EXPECT_EQ(device.GetColumn(0), 9);
    EXPECT_EQ(device.GetColumn(22), 4);
    device.SetReactive(3, 77);
    device.ClearReactiveState();
    EXPECT_EQ(device.GetReactive(3), 0);
    EXPECT_EQ(device.GetColumn(0), 0);
    EXPECT_EQ(device.GetColumn(22), 0);
}

TEST(IndexedNames, SplitAtTheLastUnderscore)
{
    struct Case
    {
        const char* name;
        bool ok;
        const char* prefix;
        int number;
    };
    const Case cases[] = {{"key_12", true, "key_", 12},   {"color_option_3", true, "color_option_", 3},
                          {"light_0", true, "light_", 0}, {"key_", false, "", 0},
                          {"key12", false, "", 0},        {"key_1a", false, "", 0},
                          {"key_-1", false, "", 0},       {"key_99999999999", false, "", 0}};
    for (const Case& c : cases) {
        const auto split = SplitIndexedName(c.name);
        ASSERT_EQ(split.has_value(), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(split->prefix, c.prefix);
            EXPECT_EQ(split->number, c.number);
        }
    }
    EXPECT_TRUE(SamePrefix("KEY_", "key_"));
    EXPECT_FALSE(SamePrefix("key", "key_"));
}

} // namespace
} // namespace devices_test
