#pragma once
// LightEffect: the 16-byte live lighting record of a device. It is handed over and stored as four
// 32-bit words holding the bytes in this order (byte 0 is the low byte of word 0).

#include <array>
#include <cstdint>
#include <cstring>

struct LightEffect
{
    uint8_t mode = 0;
    uint8_t brightness = 0; // level 0-4
    uint8_t speed = 0;      // 0-4
    uint8_t direction = 0;  // 0 backward, 1 forward
    uint8_t colourful = 0;  // 0 = use the single colour
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t kindBytes[8] = {}; // the kinds' own effect parameters

    using Words = std::array<uint32_t, 4>;

    static LightEffect FromWords(const Words& words)
    {
        LightEffect e;
        for (size_t i = 0; i < words.size(); ++i)
            for (size_t b = 0; b < 4; ++b)
                e.Bytes()[i * 4 + b] = static_cast<uint8_t>(words[i] >> (8 * b));
        return e;
    }
    Words ToWords() const
    {
        Words words{};
        for (size_t i = 0; i < words.size(); ++i)
            for (size_t b = 0; b < 4; ++b)
                words[i] |= static_cast<uint32_t>(Bytes()[i * 4 + b]) << (8 * b);
        return words;
    }
    uint8_t* Bytes() { return &mode; }
    const uint8_t* Bytes() const { return &mode; }
};

static_assert(sizeof(LightEffect) == 16, "LightEffect is 16 bytes");
