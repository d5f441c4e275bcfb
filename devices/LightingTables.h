#pragma once
// The fixed tables of the computed lighting effects (hue wheel, breathing curve, brightness levels,
// blink periods, four-colour set) and the 8-bit step function every effect advances with.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lighting {

struct Rgb
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline constexpr int kHueWheelSize = 192;
inline constexpr int kBreathingCurveSize = 128;

// The hue wheel colour at an index (wrapping at 192).
Rgb HueWheel(int index);
// The breathing curve at an index 0-127 (64 values rising to 255, then the same falling).
uint8_t BreathingCurve(int index);
// Brightness of a level 0-4 (0, 80, 135, 195, 255); levels above 4 count as 4.
uint8_t BrightnessOfLevel(int level);
// Blink period of a speed 0-4, in units of 200 ms; speeds above 4 count as 4.
int BlinkPeriod(int speed);
// The four-colour set, index 0-3.
Rgb FourColour(int index);

// One step of an 8-bit counter: forward, value + step or 0 when that is not below the limit; backward,
// value - step when that (as 8 bits) is below the limit, otherwise limit - step.
uint8_t StepCounter(bool forward, uint8_t limit, uint8_t value, uint8_t step);

} // namespace lighting
