#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "base/MStatus.h"

class MLameLibrary;
class MProgress;

// Options of one MP3 encoding.
struct Mp3EncodeOptions {
    int bitRateKbps = 128;
    QString title;   // ID3 title, when not empty
    QString artist;  // ID3 artist, when not empty
    // Silence before and after the music, in sample frames of the source.
    uint32_t leadingFrames = 0;
    uint32_t trailingFrames = 0;
};

// Encodes a WAV file (8 or 16 bits, 1 or 2 channels) into an MP3 file with LAME. A source that
// does not start with "RIFF" is taken as raw 44,100 Hz 16-bit stereo PCM. The output appears
// only when the whole encoding succeeded; an existing file of that name is replaced then and
// left alone otherwise. progress (may be null) gets 0 to 100 over the music and the trailing
// silence.
MStatus EncodeMp3(const MLameLibrary& lame, const QString& sourcePath, const QString& outputPath,
                  const Mp3EncodeOptions& options, MProgress* progress);
// The same from a WAV image or raw PCM held in memory.
MStatus EncodeMp3(const MLameLibrary& lame, const QByteArray& source, const QString& outputPath,
                  const Mp3EncodeOptions& options, MProgress* progress);
