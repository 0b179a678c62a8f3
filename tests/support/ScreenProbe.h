#pragma once

#include <cstdint>
#include <vector>

#include "cdg/MPicture.h"
#include "cdg/MRwRenderer.h"

// Decodes streams and reads screens back for tests.
class ScreenProbe {
public:
    // Decodes packets [0, endPacket) of a stream (all when endPacket is negative).
    static void Decode(MRwRenderer& renderer, const std::vector<uint8_t>& stream,
                       int64_t endPacket = -1);
    // The inner 288 x 192 area of the screen, as indices.
    static std::vector<uint8_t> InnerArea(const MRwRenderer& renderer);
    // The picture's pixels in the same layout as InnerArea.
    static std::vector<uint8_t> PicturePixels(const MPicture& picture);
    // Number of pixels of the inner area holding an index.
    static int Count(const std::vector<uint8_t>& area, int index);
};
