#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "base/MStatus.h"
#include "cdg/CdgColour.h"

// Writes a picture of colour indices with its 16-colour table as a PNG file (libpng), through
// a temporary file beside the target, so a failed write leaves nothing behind. The target is
// never one of inputs. The failure names the path and the reason.
class PngWriter {
public:
    static MStatus Write(const QString& path, const uint8_t* indices, int width, int height,
                         const std::array<MRgb, 16>& colours, const QStringList& inputs = {});
};
