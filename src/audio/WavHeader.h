#pragma once

#include <array>
#include <cstdint>

#include "audio/WaveFormat.h"

// The header record of a RIFF/WAVE file as WavChunks reads it and WavOutFile writes it: RIFF
// group, a 16-byte PCM format block, a fact group and the data group, 56 bytes on disk.
struct WavHeader {
    static constexpr int kSizeBytes = 56;

    std::array<char, 4> riffLabel{};
    uint32_t riffSizeBytes = 0;
    std::array<char, 4> waveLabel{};
    std::array<char, 4> formatLabel{};
    uint32_t formatBlockBytes = 0;
    // The format block; its extra bytes are read but never written.
    WaveFormat format;
    std::array<char, 4> factLabel{};
    uint32_t factBytes = 0;
    uint32_t factSampleFrames = 0;
    std::array<char, 4> dataLabel{};
    uint32_t dataBytes = 0;

    // The 56 bytes as WavOutFile writes them (little-endian).
    std::array<uint8_t, kSizeBytes> Serialize() const;
};
