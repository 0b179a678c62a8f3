#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "audio/MediaAttribute.h"
#include "base/MStatus.h"

class MProgress;

// Encodes a PCM WAV file (8 or 16 bits, 1 or 2 channels) into a WMA file with the bit rate of
// a system profile number (23: 96, 24: 128, 25: 160, 26: 192 kbit/s), with silence before and
// after the music in sample frames, and the given header attributes (export gives "Title" and
// "Author"). The output appears only when the whole encoding succeeded. Of the failures, the
// user is shown "Error Failed to open AVI File." when the source cannot be read; the others
// carry their reason for logs. progress (may be null) gets 2, 4, 6, ... over the music.
MStatus EncodeWma(const QString& outputPath, const QString& sourceWavPath, int profileNumber,
                  MProgress* progress, uint32_t leadingFrames, uint32_t trailingFrames,
                  const std::vector<MediaAttribute>& attributes);
