#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>

// The format of a stream of audio samples, as a WAV "fmt " block describes it.
struct WaveFormat {
    static constexpr uint16_t kTagPcm = 1;
    static constexpr uint16_t kTagExtensible = 0xFFFE;

    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    // The bytes after the 18-byte WAVEFORMATEX (their count is the record's extra size).
    QByteArray extra;

    // The first 16 bytes of a "fmt " block (little-endian), without extra bytes.
    static WaveFormat FromFmtBlock(const uint8_t* bytes) {
        WaveFormat f;
        f.formatTag = qFromLittleEndian<uint16_t>(bytes);
        f.channels = qFromLittleEndian<uint16_t>(bytes + 2);
        f.sampleRate = qFromLittleEndian<uint32_t>(bytes + 4);
        f.byteRate = qFromLittleEndian<uint32_t>(bytes + 8);
        f.blockAlign = qFromLittleEndian<uint16_t>(bytes + 12);
        f.bitsPerSample = qFromLittleEndian<uint16_t>(bytes + 14);
        return f;
    }

    // The same 16 bytes as a "fmt " block holds them.
    void ToFmtBlock(uint8_t* bytes) const {
        qToLittleEndian(formatTag, bytes);
        qToLittleEndian(channels, bytes + 2);
        qToLittleEndian(sampleRate, bytes + 4);
        qToLittleEndian(byteRate, bytes + 8);
        qToLittleEndian(blockAlign, bytes + 12);
        qToLittleEndian(bitsPerSample, bytes + 14);
    }

    static WaveFormat Pcm(uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channels) {
        WaveFormat f;
        f.formatTag = kTagPcm;
        f.channels = channels;
        f.sampleRate = sampleRate;
        f.bitsPerSample = bitsPerSample;
        f.blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
        f.byteRate = sampleRate * f.blockAlign;
        return f;
    }
};
