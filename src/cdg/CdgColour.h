#pragma once

#include <cstdint>

// A colour as the song stores it: red in the low byte, then green, then blue.
using MRgb = uint32_t;

// Conversions between colour values and the 12-bit colour entries of a Load Colour Table packet.
class CdgColour {
public:
    static constexpr MRgb Make(int red, int green, int blue) {
        return static_cast<MRgb>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
    }
    static constexpr int Red(MRgb c) { return c & 0xFF; }
    static constexpr int Green(MRgb c) { return (c >> 8) & 0xFF; }
    static constexpr int Blue(MRgb c) { return (c >> 16) & 0xFF; }

    // The two packet bytes of one entry: each 8-bit component becomes 4 bits by dividing by 17.
    static void Encode(MRgb colour, uint8_t out[2]);
    // The colour a decoder shows for the two packet bytes: 4-bit components times 17.
    static MRgb Decode(const uint8_t in[2]);
    // 0xAARRGGBB for display.
    static constexpr uint32_t ToArgb(MRgb c) {
        return 0xFF000000u | (static_cast<uint32_t>(Red(c)) << 16) |
               (static_cast<uint32_t>(Green(c)) << 8) | static_cast<uint32_t>(Blue(c));
    }
};
