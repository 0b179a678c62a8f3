#pragma once

#include <cstdint>
#include <vector>

#include "cdg/MPicture.h"

// A picture of up to 288 x 192 pixels in 16 colours, as made from a page image: one colour
// index per pixel, rows from the top, and its colour table.
struct MIndexedPicture {
    int width = 0;
    int height = 0;
    MPicture::ColourTable colours{};
    std::vector<uint8_t> indices;  // width x height

    uint8_t At(int x, int y) const { return indices[static_cast<size_t>(y) * width + x]; }
};
