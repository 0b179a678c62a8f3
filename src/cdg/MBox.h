#pragma once

#include <algorithm>

#include "cdg/CdgScreen.h"

// A rectangle in picture pixels with exclusive right and bottom edges, the way line and word
// boxes are computed and stored.
struct MBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const MBox&) const = default;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    MBox Shifted(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    MBox ClampedToPicture() const {
        return {std::max(0, left), std::max(0, top), std::min(CdgScreen::kPictureWidth, right),
                std::min(CdgScreen::kPictureHeight, bottom)};
    }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }

    // The picture tiles a box touches: columns left / 6 to right / 6 and rows top / 12 to
    // bottom / 12, both inclusive, limited to the picture's 48 columns and 16 rows.
    int FirstTileColumn() const { return std::clamp(left / CdgScreen::kTileWidth, 0, 47); }
    int LastTileColumn() const { return std::clamp(right / CdgScreen::kTileWidth, 0, 47); }
    int FirstTileRow() const { return std::clamp(top / CdgScreen::kTileHeight, 0, 15); }
    int LastTileRow() const { return std::clamp(bottom / CdgScreen::kTileHeight, 0, 15); }
};
