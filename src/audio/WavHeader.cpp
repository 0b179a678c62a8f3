#include "audio/WavHeader.h"

#include <QtEndian>
#include <cstring>

std::array<uint8_t, WavHeader::kSizeBytes> WavHeader::Serialize() const {
    std::array<uint8_t, kSizeBytes> out{};
    uint8_t* p = out.data();
    auto label = [&p](const std::array<char, 4>& l) {
        std::memcpy(p, l.data(), 4);
        p += 4;
    };
    auto u32 = [&p](uint32_t v) {
        qToLittleEndian(v, p);
        p += 4;
    };
    label(riffLabel);
    u32(riffSizeBytes);
    label(waveLabel);
    label(formatLabel);
    u32(formatBlockBytes);
    format.ToFmtBlock(p);
    p += 16;
    label(factLabel);
    u32(factBytes);
    u32(factSampleFrames);
    label(dataLabel);
    u32(dataBytes);
    return out;
}
