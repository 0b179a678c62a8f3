#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/MStatus.h"
#include "cdg/CdgColour.h"
#include "cdg/MIndexedPicture.h"

// The picture of a page: a loaded image scaled to fit 288 x 192, the page's 16-colour table
// (entries 0-10 chosen from the image, 11-15 the page's own colours) and the image reduced to
// those colours. Its whole state is stored in project files byte for byte.
class MBitmap {
public:
    static constexpr int kMaxWidth = 288;
    static constexpr int kMaxHeight = 192;
    // A picture file wider or taller than this is refused before it is decoded.
    static constexpr int kMaxSourceSide = 30000;
    static constexpr int kHeaderBytes = 40;
    static constexpr int kSourceBytes = kMaxWidth * kMaxHeight * 4;   // 221,184
    static constexpr int kIndexedBytes = kMaxWidth / 2 * kMaxHeight;  // 27,648
    static constexpr int kImageColours = 11;

    MBitmap();
    virtual ~MBitmap() = default;
    MBitmap(const MBitmap&) = default;
    MBitmap& operator=(const MBitmap&) = default;

    // Loads a BMP, JPG, GIF, TIF or PNG file, scales it down to fit 288 x 192 (never up),
    // chooses colour entries 0-10 from it and keeps its pixels. A file that cannot be read
    // leaves a picture of size 0 x 0 and fails with the reason.
    MStatus LoadImage(const QString& path);
    // The same from an image already in memory.
    bool LoadImage(const QImage& image);

    // The picture in the page colours; recomputed only when the image or the dither amount
    // changed. None for a picture of size 0.
    std::unique_ptr<MIndexedPicture> ToDib(int ditherAmount);

    int Width() const;
    int Height() const;
    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }

    // Colour table entry i as a colour value (red low).
    MRgb Colour(int index) const;
    void SetColour(int index, MRgb colour);
    std::array<MRgb, 16> Colours() const;

    // The stored form: header, table, pixels, flags; see the project file.
    QByteArray header;         // 40 bytes
    QByteArray colourTable;    // 16 x (blue, green, red, 0)
    QByteArray sourcePixels;   // 288 x 192 x 4 bytes, rows of the picture width from the top
    QByteArray indexedPixels;  // 4-bit indices, bottom-up, rows padded to 4 bytes
    bool dirty = false;
    int lastDitherAmount = 0;

    bool operator==(const MBitmap& o) const;

private:
    void SetHeader(int width, int height);
    int IndexedStrideBytes() const { return ((Width() * 4 + 31) / 32) * 4; }
};
