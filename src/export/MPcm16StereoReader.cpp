#include "export/MPcm16StereoReader.h"

#include <QtEndian>
#include <algorithm>

MStatus MPcm16StereoReader::Open(const QString& path, uint32_t leadingSilenceFrames) {
    silenceBytes_ = int64_t{leadingSilenceFrames} * kFrameBytes;
    silenceBytesLeft_ = silenceBytes_;
    if (MStatus s = reader_.Open(path); !s) {
        return s;
    }
    const WaveFormat& f = reader_.Format();
    const bool pcm =
        f.formatTag == WaveFormat::kTagPcm || f.formatTag == WaveFormat::kTagExtensible;
    if (!pcm || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        (f.channels != 1 && f.channels != 2) || f.blockAlign != f.channels * f.bitsPerSample / 8) {
        reader_.Close();
        return MStatus::Failure(
            QStringLiteral("%1: only PCM audio of 8 or 16 bits with 1 or 2 channels can be used")
                .arg(path));
    }
    sourceFrameBytes_ = f.blockAlign;
    return MStatus::Ok();
}

int64_t MPcm16StereoReader::TotalBytes() const {
    return silenceBytes_ + reader_.DataBytes() / sourceFrameBytes_ * kFrameBytes;
}

int64_t MPcm16StereoReader::Read(uint8_t* buffer, int64_t byteCount) {
    if (!reader_.IsOpen() || buffer == nullptr) {
        return 0;
    }
    byteCount -= byteCount % kFrameBytes;
    const int64_t silence = std::min(silenceBytesLeft_, byteCount);
    std::fill_n(buffer, silence, uint8_t{0});
    silenceBytesLeft_ -= silence;
    if (silence == byteCount) {
        return silence;
    }
    const int64_t got = ReadSamples(buffer + silence, byteCount - silence);
    return got < 0 ? -1 : silence + got;
}

int64_t MPcm16StereoReader::ReadSamples(uint8_t* buffer, int64_t byteCount) {
    if (sourceFrameBytes_ == kFrameBytes) {
        return reader_.Read(buffer, byteCount);
    }
    const int64_t frames = byteCount / kFrameBytes;
    source_.resize(static_cast<size_t>(frames * sourceFrameBytes_));
    const int64_t got = reader_.Read(source_.data(), static_cast<int64_t>(source_.size()));
    if (got <= 0) {
        return got;
    }
    const int64_t n = got / sourceFrameBytes_;  // a cut-off last frame is dropped
    const WaveFormat& f = reader_.Format();
    const uint8_t* in = source_.data();
    auto* out = reinterpret_cast<int16_t*>(buffer);
    if (f.bitsPerSample == 8) {
        for (int64_t i = 0; i < n * f.channels; ++i) {
            const auto v = static_cast<int16_t>((in[i] - 128) * 256);
            if (f.channels == 2) {
                qToLittleEndian<int16_t>(v, out + i);
            } else {
                qToLittleEndian<int16_t>(v, out + 2 * i);
                qToLittleEndian<int16_t>(v, out + 2 * i + 1);
            }
        }
    } else {  // 16-bit mono
        for (int64_t i = 0; i < n; ++i) {
            const auto v = qFromLittleEndian<int16_t>(in + 2 * i);
            qToLittleEndian<int16_t>(v, out + 2 * i);
            qToLittleEndian<int16_t>(v, out + 2 * i + 1);
        }
    }
    return n * kFrameBytes;
}
