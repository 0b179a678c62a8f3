#include "cdg/MPicture.h"

#include <algorithm>
#include <cstring>

MPicture::MPicture() : pixels_(kWidth * kHeight, 0) {}

MPicture::MPicture(int fillIndex, const ColourTable& colours) : colours_(colours) {
    if (fillIndex != kNoFill) {
        pixels_.assign(kWidth * kHeight, static_cast<uint8_t>(fillIndex & 0x0F));
    }
}

void MPicture::Fill(int index) {
    std::fill(pixels_.begin(), pixels_.end(), static_cast<uint8_t>(index & 0x0F));
}

void MPicture::FillRect(const QRect& rect, int index) {
    const QRect r = rect.intersected(QRect(0, 0, kWidth, kHeight));
    if (r.isEmpty()) {
        return;
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
        std::memset(Row(y) + r.left(), index & 0x0F, static_cast<size_t>(r.width()));
    }
}

int MPicture::NearestIndex(MRgb colour) const {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 16; ++i) {
        const long dr = CdgColour::Red(colour) - CdgColour::Red(colours_[i]);
        const long dg = CdgColour::Green(colour) - CdgColour::Green(colours_[i]);
        const long db = CdgColour::Blue(colour) - CdgColour::Blue(colours_[i]);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void MPicture::ReadTile(int column, int row, uint8_t out[72]) const {
    const uint8_t* src =
        pixels_.data() + (row * CdgScreen::kTileHeight) * kWidth + column * CdgScreen::kTileWidth;
    for (int y = 0; y < CdgScreen::kTileHeight; ++y) {
        std::memcpy(out + y * CdgScreen::kTileWidth, src + y * kWidth, CdgScreen::kTileWidth);
    }
}

QByteArray MPicture::ToDib4() const {
    QByteArray dib(kDibBytes, '\0');
    auto* out = reinterpret_cast<uint8_t*>(dib.data());
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* src = Row(y);
        uint8_t* dst = out + (kHeight - 1 - y) * kDibStrideBytes;
        for (int x = 0; x < kWidth; x += 2) {
            dst[x / 2] = static_cast<uint8_t>(((src[x] & 0x0F) << 4) | (src[x + 1] & 0x0F));
        }
    }
    return dib;
}

bool MPicture::FromDib4(const QByteArray& dib) {
    if (dib.size() < kDibBytes) {
        return false;
    }
    const auto* in = reinterpret_cast<const uint8_t*>(dib.constData());
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* src = in + (kHeight - 1 - y) * kDibStrideBytes;
        uint8_t* dst = Row(y);
        for (int x = 0; x < kWidth; x += 2) {
            dst[x] = src[x / 2] >> 4;
            dst[x + 1] = src[x / 2] & 0x0F;
        }
    }
    return true;
}

MPicture::ColourTable MPicture::FixedGreys() {
    ColourTable t{};
    for (int i = 0; i < 16; ++i) {
        t[i] = CdgColour::Make(16 * i, 16 * i, 16 * i);
    }
    return t;
}
