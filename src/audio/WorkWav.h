#pragma once

#include <QString>
#include <cstdint>

#include "base/MStatus.h"

class QIODevice;

// The work WAV: the one 44,100 Hz PCM file every audio operation uses. It is either the
// user's own WAV, used in place and never written, or a private file in the process's work
// folder (MWorkFolder).

// Writes the 44-byte canonical PCM header at the device's current position, with a provisional
// data length of 30 seconds of audio.
MStatus WriteWorkWavHeader(QIODevice& file, uint32_t sampleRate, uint16_t bitsPerSample,
                           uint16_t channels);
// Patches the RIFF and data lengths of a header written by WriteWorkWavHeader at offset 0.
MStatus FinishWorkWavHeader(QIODevice& file, int64_t dataBytes);

// Makes the work WAV hold exactly targetDataBytes of sample data, appending silence or cutting
// the end. Only the private work WAV at privatePath is ever written: when workWavPath names
// another file (the user's own WAV) and its length must change, the result is written to
// privatePath instead and the user's file is left as it is. *resultPath (may be null) names
// the work WAV to use from now on.
MStatus PadWorkWav(const QString& workWavPath, int64_t targetDataBytes, const QString& privatePath,
                   QString* resultPath);
// The same with a private work WAV in the process's work folder: the work WAV itself when it
// already lies there, otherwise a new file named after it.
MStatus PadWorkWav(const QString& workWavPath, int64_t targetDataBytes, QString* resultPath);
