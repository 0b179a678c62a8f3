#include "audio/WavChunks.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t kFormTypeEnd = 12;  // "RIFF", its length, "WAVE"
constexpr int64_t kChunkHeadBytes = 8;
constexpr uint32_t kFmtBlockBytes = 16;
constexpr uint32_t kFmtExtraSizeEnd = 18;  // the u16 count of extra bytes follows the block

// Reads exactly n bytes at offset, never beyond the end of the device.
bool ReadAt(QIODevice& device, int64_t offset, void* out, int64_t n) {
    return offset >= 0 && n >= 0 && n <= device.size() - offset && device.seek(offset) &&
           device.read(static_cast<char*>(out), n) == n;
}

bool IsLabel(const std::array<char, 4>& label) {
    return std::all_of(label.begin(), label.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= ' ' && b <= 'z';
    });
}

bool Is(const std::array<char, 4>& label, const char* text) {
    return std::memcmp(label.data(), text, 4) == 0;
}

}  // namespace

QString WavChunks::FaultText() const {
    switch (fault) {
        case Fault::kNone:
            break;
        case Fault::kNotRiffWave:
            return QStringLiteral("not a RIFF/WAVE file");
        case Fault::kDamagedChunk:
            return QStringLiteral("a damaged chunk before the \"data\" chunk");
        case Fault::kNoFormat:
            return QStringLiteral("no \"fmt \" chunk before the \"data\" chunk");
        case Fault::kShortFormat:
            return QStringLiteral("the \"fmt \" chunk is too short");
        case Fault::kNotASoundFormat:
            return QStringLiteral("%1 channels of %2 bits is not a sound format")
                .arg(header.format.channels)
                .arg(header.format.bitsPerSample);
        case Fault::kNoData:
            return QStringLiteral("no \"data\" chunk");
    }
    return QString();
}

WavChunks WavChunks::Parse(QIODevice& device) {
    WavChunks r;
    WavHeader& h = r.header;
    auto fail = [&r](Fault fault) {
        r.fault = fault;
        return r;
    };
    uint8_t riff[kFormTypeEnd];
    if (!ReadAt(device, 0, riff, kFormTypeEnd) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return fail(Fault::kNotRiffWave);
    }
    std::memcpy(h.riffLabel.data(), riff, 4);
    h.riffSizeBytes = qFromLittleEndian<uint32_t>(riff + 4);
    std::memcpy(h.waveLabel.data(), riff + 8, 4);

    // The RIFF length is not trusted (streaming writers leave it at 0 or 0xFFFFFFFF): the
    // chunks run to the end of the file.
    const int64_t fileBytes = device.size();
    bool formatSeen = false;
    for (int64_t pos = kFormTypeEnd;;) {
        uint8_t head[kChunkHeadBytes];
        if (!ReadAt(device, pos, head, kChunkHeadBytes)) {
            return fail(formatSeen ? Fault::kNoData : Fault::kNoFormat);
        }
        std::array<char, 4> label;
        std::memcpy(label.data(), head, 4);
        if (!IsLabel(label)) {
            return fail(Fault::kDamagedChunk);
        }
        const uint32_t length = qFromLittleEndian<uint32_t>(head + 4);
        const int64_t body = pos + kChunkHeadBytes;
        if (Is(label, "data")) {
            h.dataLabel = label;
            h.dataBytes = static_cast<uint32_t>(std::min<int64_t>(length, fileBytes - body));
            r.dataOffset = body;
            if (!formatSeen) {
                return fail(Fault::kNoFormat);
            }
            const WaveFormat& f = h.format;
            if (f.channels == 0 || f.channels > kMaxChannels || f.bitsPerSample == 0 ||
                f.bitsPerSample > kMaxBitsPerSample) {
                return fail(Fault::kNotASoundFormat);
            }
            return r;
        }
        if (length > fileBytes - body) {
            return fail(Fault::kDamagedChunk);
        }
        if (Is(label, "fmt ")) {
            h.formatLabel = label;
            h.formatBlockBytes = length;
            uint8_t block[kFmtBlockBytes] = {};
            ReadAt(device, body, block, std::min(length, kFmtBlockBytes));
            h.format = WaveFormat::FromFmtBlock(block);
            if (length < kFmtBlockBytes) {
                return fail(Fault::kShortFormat);
            }
            uint8_t extraSize[2];
            if (h.format.formatTag != WaveFormat::kTagPcm && length >= kFmtExtraSizeEnd &&
                ReadAt(device, body + kFmtBlockBytes, extraSize, 2)) {
                // The extra bytes never reach beyond their chunk.
                const uint32_t extraBytes = std::min<uint32_t>(
                    qFromLittleEndian<uint16_t>(extraSize), length - kFmtExtraSizeEnd);
                h.format.extra.resize(extraBytes);
                ReadAt(device, body + kFmtExtraSizeEnd, h.format.extra.data(), extraBytes);
            }
            formatSeen = true;
        } else if (Is(label, "fact")) {
            h.factLabel = label;
            h.factBytes = length;
            uint8_t frames[4] = {};
            ReadAt(device, body, frames, std::min<uint32_t>(length, 4));
            h.factSampleFrames = qFromLittleEndian<uint32_t>(frames);
            r.factSeen = true;
        }
        // A chunk of odd length is followed by a pad byte.
        pos = body + length + (length & 1);
    }
}
