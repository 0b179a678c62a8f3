#pragma once

#include <QString>
#include <cstdint>

#include "audio/WavHeader.h"

class QIODevice;

// The chunks of a RIFF/WAVE file that the readers need: its format and where its sample data
// lie. Every WAV reader of the program stands on this one walk, so the player, the encoders and
// the music import judge a damaged file alike.
//
// The walk follows the chunks from the "WAVE" form type to the "data" chunk, with every length
// checked against what the file holds: a label that is not text (a byte outside space to 'z')
// or a chunk that runs past the end of the file stops it. The "fmt " chunk must come before
// "data", hold at least 16 bytes, and describe 1 to 64 channels of 1 to 64 bits. A "data" chunk
// that declares more than the file holds (a cut file, or a header written before the length
// was known) is cut to what is there.
struct WavChunks {
    static constexpr int kMaxChannels = 64;
    static constexpr int kMaxBitsPerSample = 64;

    enum class Fault {
        kNone,
        kNotRiffWave,
        kDamagedChunk,
        kNoFormat,
        kShortFormat,
        kNotASoundFormat,
        kNoData,
    };

    // Labels, format (with its extra bytes), fact group and data length as far as the walk got;
    // the fields of chunks it did not reach stay zero.
    WavHeader header;
    bool factSeen = false;
    // The file offset of the first sample byte (0 when no "data" chunk was reached).
    int64_t dataOffset = 0;
    Fault fault = Fault::kNone;

    bool IsOk() const { return fault == Fault::kNone; }
    // What is wrong, as a phrase for a message: "no \"data\" chunk".
    QString FaultText() const;

    // Walks the chunks of a seekable device from its start; the device's position is left
    // anywhere.
    static WavChunks Parse(QIODevice& device);
};
