#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "cdg/CdgColour.h"

// Writes a picture of colour indices with its 16-colour table as a PNG file (libpng), through
// a temporary file beside the target, so a failed write leaves nothing behind.
class PngWriter {
public:
    static bool Write(const QString& path, const uint8_t* indices, int width, int height,
                      const std::array<MRgb, 16>& colours);
};
