#include "audio/WavOutFile.h"

#include <QtEndian>
#include <limits>

namespace {

std::array<char, 4> Label(const char (&text)[5]) {
    return {text[0], text[1], text[2], text[3]};
}

}  // namespace

WavOutFile::WavOutFile(const QString& path, uint32_t sampleRate, uint16_t bitsPerSample,
                       uint16_t channels)
    : file_(path) {
    header_.riffLabel = Label("RIFF");
    header_.waveLabel = Label("WAVE");
    header_.formatLabel = Label("fmt ");
    header_.formatBlockBytes = 16;
    header_.format = WaveFormat::Pcm(sampleRate, bitsPerSample, channels);
    header_.dataLabel = Label("data");
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = QStringLiteral("%1: cannot create: %2").arg(path, file_.errorString());
        return;
    }
    WriteHeader();
}

WavOutFile::~WavOutFile() {
    Close();
}

void WavOutFile::Fail(const QString& why) {
    if (error_.isEmpty()) {
        error_ = QStringLiteral("%1: %2").arg(file_.fileName(), why);
    }
}

void WavOutFile::WriteHeader() {
    const uint16_t blockAlign = header_.format.blockAlign;
    if (header_.format.formatTag <= WaveFormat::kTagPcm) {
        header_.factLabel = Label("fact");
        header_.factBytes = 4;
        header_.factSampleFrames = blockAlign == 0 ? 0 : dataBytesWritten_ / blockAlign;
    }
    const auto bytes = header_.Serialize();
    const qint64 end = file_.pos();
    if (!file_.seek(0) || file_.write(reinterpret_cast<const char*>(bytes.data()),
                                      WavHeader::kSizeBytes) != WavHeader::kSizeBytes) {
        Fail(QStringLiteral("cannot write the header: %1").arg(file_.errorString()));
    }
    file_.seek(std::max<qint64>(end, WavHeader::kSizeBytes));
}

void WavOutFile::Write(const int16_t* samples, int count) {
    if (count <= 0 || samples == nullptr || !file_.isOpen() || !error_.isEmpty()) {
        return;
    }
    const int bytesPerSample = header_.format.bitsPerSample == 8 ? 1 : 2;
    const qint64 bytes = static_cast<qint64>(count) * bytesPerSample;
    if (dataBytesWritten_ + static_cast<uint64_t>(bytes) >
        std::numeric_limits<uint32_t>::max() - WavHeader::kSizeBytes) {
        Fail(QStringLiteral("the data would exceed the 4 GB a WAV file can hold"));
        return;
    }
    uint8_t* out = ConversionBuffer(static_cast<size_t>(bytes));
    if (bytesPerSample == 1) {
        for (int i = 0; i < count; ++i) {
            out[i] = static_cast<uint8_t>(samples[i] / 256 + 128);
        }
    } else {
        for (int i = 0; i < count; ++i) {
            qToLittleEndian(samples[i], out + 2 * i);
        }
    }
    if (file_.write(reinterpret_cast<const char*>(out), bytes) != bytes) {
        Fail(QStringLiteral("cannot write: %1").arg(file_.errorString()));
        return;
    }
    dataBytesWritten_ += static_cast<uint32_t>(bytes);
}

MStatus WavOutFile::Close() {
    if (file_.isOpen()) {
        header_.riffSizeBytes = dataBytesWritten_ + 48;
        header_.dataBytes = dataBytesWritten_;
        WriteHeader();
        if (!file_.flush()) {
            Fail(QStringLiteral("cannot write: %1").arg(file_.errorString()));
        }
        file_.close();
    }
    if (!error_.isEmpty()) {
        return MStatus::Failure(error_);
    }
    return MStatus::Ok();
}
