#include "widgets/MColorLevels.h"

#include <algorithm>

MColorLevels::MColorLevels(int bits) {
    const int perChannel = std::clamp(bits / 3, 1, 8);
    maxLevel_ = perChannel * perChannel - 1;
}

void MColorLevels::SetColorValue(uint32_t value) {
    const int divisor = maxLevel_ + 2;
    SetRgb(static_cast<int>(value & 0xFF) / divisor,
           static_cast<int>((value >> 8) & 0xFF) / divisor,
           static_cast<int>((value >> 16) & 0xFF) / divisor);
}

uint32_t MColorLevels::ColorValue() const {
    const int m = maxLevel_ + 2;
    auto channel = [](int v) { return static_cast<uint32_t>(std::min(v, 255)); };
    return channel(red_ * m) | (channel(green_ * m) << 8) | (channel(blue_ * m) << 16);
}

void MColorLevels::SetRgb(int red, int green, int blue) {
    red_ = std::clamp(red, 0, maxLevel_);
    green_ = std::clamp(green, 0, maxLevel_);
    blue_ = std::clamp(blue, 0, maxLevel_);
    const double n = maxLevel_;
    const double r = red_ / n, g = green_ / n, b = blue_ / n;
    const double hi = std::max({r, g, b});
    const double lo = std::min({r, g, b});
    const double delta = hi - lo;
    double h = 0;
    if (delta > 0) {
        if (hi == r) {
            h = (g - b) / delta;
        } else if (hi == g) {
            h = 2 + (b - r) / delta;
        } else {
            h = 4 + (r - g) / delta;
        }
        h *= 60;
        if (h < 0) {
            h += 360;
        }
    }
    hue_ = static_cast<int>(h);
    saturation_ = hi > 0 ? static_cast<int>(delta / hi * 100) : 0;
    brightness_ = static_cast<int>(hi * 100);
}

void MColorLevels::SetHsb(int hue, int saturation, int brightness) {
    hue_ = std::clamp(hue, 0, 360);
    saturation_ = std::clamp(saturation, 0, 100);
    brightness_ = std::clamp(brightness, 0, 100);
    const double s = saturation_ / 100.0;
    const double v = brightness_ / 100.0;
    double r = v, g = v, b = v;
    if (s > 0) {
        const double h = (hue_ == 360 ? 0 : hue_) / 60.0;
        const int sector = static_cast<int>(h);
        const double f = h - sector;
        const double p = v * (1 - s);
        const double q = v * (1 - s * f);
        const double t = v * (1 - s * (1 - f));
        switch (sector) {
            case 0:
                r = v, g = t, b = p;
                break;
            case 1:
                r = q, g = v, b = p;
                break;
            case 2:
                r = p, g = v, b = t;
                break;
            case 3:
                r = p, g = q, b = v;
                break;
            case 4:
                r = t, g = p, b = v;
                break;
            default:
                r = v, g = p, b = q;
                break;
        }
    }
    const double n = maxLevel_;
    // A tiny allowance so that exact products such as 0.6 x 15 = 9 are not truncated to 8.
    auto level = [n](double x) { return static_cast<int>(n * x + 1e-9); };
    red_ = level(r);
    green_ = level(g);
    blue_ = level(b);
}
