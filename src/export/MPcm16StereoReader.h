#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "audio/MWaveReader.h"
#include "base/MStatus.h"

// Reads a work WAV as the audio of CD sectors: 16-bit stereo samples, little-endian, left then
// right. A user's own work WAV may hold 8-bit or mono samples; they are widened ((b - 128) x 256)
// and doubled on the way. Silent frames can be set to come first (true silence also for 8-bit
// sources, whose zero level is 128).
class MPcm16StereoReader {
public:
    static constexpr int kFrameBytes = 4;

    // Opens a PCM WAV of 8 or 16 bits with 1 or 2 channels.
    MStatus Open(const QString& path, uint32_t leadingSilenceFrames);
    void Close() { reader_.Close(); }

    // Delivers up to byteCount bytes (whole frames): the silence first, then the samples.
    // Returns the bytes delivered, 0 at the end, -1 when the file cannot be read.
    int64_t Read(uint8_t* buffer, int64_t byteCount);

    const WaveFormat& SourceFormat() const { return reader_.Format(); }
    // The bytes Read delivers in all, silence included.
    int64_t TotalBytes() const;

private:
    int64_t ReadSamples(uint8_t* buffer, int64_t byteCount);

    MWaveReader reader_;
    int64_t silenceBytes_ = 0;
    int64_t silenceBytesLeft_ = 0;
    int sourceFrameBytes_ = kFrameBytes;
    std::vector<uint8_t> source_;
};
