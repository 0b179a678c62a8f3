#include "audio/EncodeWma.h"

#include <vector>

#include "audio/AudioStatus.h"
#include "audio/MWaveReader.h"
#include "audio/MWmaWriter.h"
#include "base/MProgress.h"

namespace {

MStatus WriterFailure(int status) {
    return MStatus::Failure(
        QStringLiteral("The WMA encoder failed: %1").arg(AudioStatus::Describe(status)),
        MStatus::Icon::None);
}

// Writes silence of the given number of bytes (whole frames) in bounded blocks. 8-bit samples
// are unsigned: their silence is 128.
int WriteSilence(MWmaWriter& writer, int64_t bytes, int blockAlign, int bitsPerSample) {
    const std::vector<uint8_t> zeros(static_cast<size_t>(65536 / blockAlign * blockAlign),
                                     bitsPerSample == 8 ? 0x80 : 0x00);
    while (bytes > 0) {
        const int64_t n = std::min<int64_t>(bytes, static_cast<int64_t>(zeros.size()));
        const int status = writer.Write(zeros.data(), n);
        if (status < 0) {
            return status;
        }
        bytes -= n;
    }
    return AudioStatus::kOk;
}

}  // namespace

MStatus EncodeWma(const QString& outputPath, const QString& sourceWavPath, int profileNumber,
                  MProgress* progress, uint32_t leadingFrames, uint32_t trailingFrames,
                  const std::vector<MediaAttribute>& attributes) {
    const MStatus cannotOpen =
        MStatus::Failure(QStringLiteral("Error Failed to open AVI File."), MStatus::Icon::None);
    MWaveReader source;
    if (!source.Open(sourceWavPath)) {
        return cannotOpen;
    }
    WaveFormat format = source.Format();
    const bool pcm =
        format.formatTag == WaveFormat::kTagPcm || format.formatTag == WaveFormat::kTagExtensible;
    if (!pcm || (format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
        (format.channels != 1 && format.channels != 2) || format.sampleRate == 0 ||
        format.blockAlign != format.channels * format.bitsPerSample / 8) {
        return cannotOpen;
    }
    format = WaveFormat::Pcm(format.sampleRate, format.bitsPerSample, format.channels);

    MWmaWriter writer;
    int status = writer.Open(outputPath, profileNumber, format, attributes);
    if (status < 0) {
        return WriterFailure(status);
    }
    const int blockAlign = format.blockAlign;
    status =
        WriteSilence(writer, int64_t{leadingFrames} * blockAlign, blockAlign, format.bitsPerSample);

    // One second of music at a time.
    const int64_t dataBytes = source.DataBytes();
    std::vector<uint8_t> block(static_cast<size_t>(format.sampleRate) * blockAlign);
    int64_t position = 0;
    int nextReport = 2;
    while (status >= 0 && position < dataBytes) {
        if (progress != nullptr && progress->IsCancelled()) {
            writer.Abort();
            return MStatus::Failure(QStringLiteral("WMA encoding was cancelled"),
                                    MStatus::Icon::None);
        }
        const int64_t got = source.Read(block.data(), static_cast<int64_t>(block.size()));
        if (got < 0) {
            writer.Abort();
            return cannotOpen;
        }
        if (got == 0) {
            break;
        }
        status = writer.Write(block.data(), got - got % blockAlign);
        position += got;
        const int percent = static_cast<int>(position * 100 / dataBytes);
        for (; nextReport <= percent && progress != nullptr; nextReport += 2) {
            progress->SetPercent(nextReport);
        }
    }
    if (status >= 0) {
        status = WriteSilence(writer, int64_t{trailingFrames} * blockAlign, blockAlign,
                              format.bitsPerSample);
    }
    if (status >= 0) {
        status = writer.Finish();
    }
    if (status < 0) {
        writer.Abort();
        return WriterFailure(status);
    }
    return MStatus::Ok();
}
