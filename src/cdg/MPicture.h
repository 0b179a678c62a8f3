#pragma once

#include <QByteArray>
#include <QRect>
#include <array>
#include <cstdint>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgScreen.h"

// The 288 x 192 picture of 16 colours that text and images are drawn into before they are cut
// into tiles. In memory every pixel is one byte holding its colour index; the stored form (4 bits
// per pixel, bottom-up rows of 144 bytes, left pixel in the high nibble) is produced on demand.
class MPicture {
public:
    static constexpr int kWidth = CdgScreen::kPictureWidth;
    static constexpr int kHeight = CdgScreen::kPictureHeight;
    static constexpr int kDibStrideBytes = kWidth / 2;
    static constexpr int kDibBytes = kDibStrideBytes * kHeight;

    using ColourTable = std::array<MRgb, 16>;

    // Passed as the fill index: only the colour table is set, no pixels are allocated.
    static constexpr int kNoFill = -1;

    MPicture();
    MPicture(int fillIndex, const ColourTable& colours);

    int Width() const { return kWidth; }
    int Height() const { return kHeight; }

    uint8_t Pixel(int x, int y) const { return pixels_[y * kWidth + x]; }
    void SetPixel(int x, int y, int index) {
        pixels_[y * kWidth + x] = static_cast<uint8_t>(index);
    }
    uint8_t* Row(int y) { return pixels_.data() + y * kWidth; }
    const uint8_t* Row(int y) const { return pixels_.data() + y * kWidth; }

    const ColourTable& Colours() const { return colours_; }
    void SetColours(const ColourTable& colours) { colours_ = colours; }

    void Fill(int index);
    // Fills the part of rect that lies inside the picture.
    void FillRect(const QRect& rect, int index);

    // The colour-table entry a colour lands on when drawn into this picture: the nearest entry
    // (Euclidean over red, green and blue), the first one winning ties.
    int NearestIndex(MRgb colour) const;

    // The 72 pixel indices of tile (column, row), row by row.
    void ReadTile(int column, int row, uint8_t out[72]) const;

    // The stored form: 4 bits per pixel, bottom-up rows of 144 bytes.
    QByteArray ToDib4() const;
    // Reads the stored form back; returns false when the data is too short.
    bool FromDib4(const QByteArray& dib);

    // The 16 fixed greys that make drawn colours land exactly on their indices: entry i is
    // (16i, 16i, 16i).
    static ColourTable FixedGreys();

private:
    std::vector<uint8_t> pixels_;
    ColourTable colours_{};
};
