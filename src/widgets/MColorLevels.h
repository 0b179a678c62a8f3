#pragma once

#include <cstdint>

// The colour picker's state and arithmetic: a colour as channel levels R, G, B of 0 ... N (N = 15
// for the 12-bit CD+G colours) and the same colour as hue 0 ... 360 degrees, saturation and
// brightness 0 ... 100 percent. Colour values are 0x00BBGGRR.
class MColorLevels {
public:
    // bits: 12 for CD+G colours, giving k = (bits / 3)^2 = 16 steps and N = k - 1.
    explicit MColorLevels(int bits = 12);

    int MaxLevel() const { return maxLevel_; }

    // Levels from an 8-bit-per-channel colour: each channel c / (k + 1); then H, S, B follow.
    void SetColorValue(uint32_t value);
    // Back to 8 bits per channel: level x (N + 2), so 15 gives 255.
    uint32_t ColorValue() const;

    // Setting one side recomputes the other; values are clamped to their ranges.
    void SetRgb(int red, int green, int blue);
    void SetHsb(int hue, int saturation, int brightness);

    int Red() const { return red_; }
    int Green() const { return green_; }
    int Blue() const { return blue_; }
    int Hue() const { return hue_; }
    int Saturation() const { return saturation_; }
    int Brightness() const { return brightness_; }

private:
    int maxLevel_;
    int red_ = 0, green_ = 0, blue_ = 0;
    int hue_ = 0, saturation_ = 0, brightness_ = 0;
};
