#include "devices/LightingTables.h"

namespace lighting {
namespace {

constexpr std::array<uint8_t, 32> kRising = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFalling = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                              114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                              29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

// The rising half of the breathing curve: runs of equal steps.
constexpr std::array<uint8_t, 64> MakeBreathingRise()
{
    struct Run
    {
        int first, step, count;
    };
    constexpr Run runs[] = {{0, 1, 11}, {12, 2, 7},   {27, 3, 7}, {49, 4, 11},
                            {94, 5, 9}, {140, 6, 12}, {213, 7, 7}};
    std::array<uint8_t, 64> rise{};
    std::size_t n = 0;
    for (const Run& r : runs)
        for (int i = 0; i < r.count; ++i)
            rise[n++] = static_cast<uint8_t>(r.first + r.step * i);
    return rise;
}
constexpr std::array<uint8_t, 64> kBreathingRise = MakeBreathingRise();
static_assert(kBreathingRise[63] == 255 && kBreathingRise[10] == 10 && kBreathingRise[11] == 12);

constexpr std::array<uint8_t, 5> kLevels = {0, 80, 135, 195, 255};
constexpr std::array<int, 5> kBlinkPeriods = {28, 23, 18, 13, 7};
constexpr std::array<Rgb, 4> kFourColours = {Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255},
                                             Rgb{255, 0, 0}};

} // namespace

Rgb HueWheel(int index)
{
    index %= kHueWheelSize;
    if (index < 0)
        index += kHueWheelSize;
    const uint8_t up = kRising[index % 32];
    const uint8_t down = kFalling[index % 32];
    switch (index / 32) {
    case 0:
        return {255, up, 0};
    case 1:
        return {down, 255, 0};
    case 2:
        return {0, 255, up};
    case 3:
        return {0, down, 255};
    case 4:
        return {up, 0, 255};
    default:
        return {255, 0, down};
    }
}

uint8_t BreathingCurve(int index)
{
    index &= kBreathingCurveSize - 1;
    return index < 64 ? kBreathingRise[index] : kBreathingRise[127 - index];
}

uint8_t BrightnessOfLevel(int level)
{
    return kLevels[level < 0 ? 0 : (level > 4 ? 4 : level)];
}

int BlinkPeriod(int speed)
{
    return kBlinkPeriods[speed < 0 ? 0 : (speed > 4 ? 4 : speed)];
}

Rgb FourColour(int index)
{
    return kFourColours[index & 3];
}

uint8_t StepCounter(bool forward, uint8_t limit, uint8_t value, uint8_t step)
{
    if (forward) {
        const int next = value + step;
        return next < limit ? static_cast<uint8_t>(next) : 0;
    }
    const uint8_t next = static_cast<uint8_t>(value - step);
    return next < limit ? next : static_cast<uint8_t>(limit - step);
}

} // namespace lighting
