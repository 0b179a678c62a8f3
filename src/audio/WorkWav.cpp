#include "audio/WorkWav.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "audio/WavInFile.h"
#include "audio/WavOutFile.h"
#include "audio/WaveFormat.h"
#include "base/MWorkFolder.h"

namespace {

constexpr int kWorkHeaderBytes = 44;

bool WriteU32At(QIODevice& file, qint64 offset, uint32_t value) {
    uint8_t raw[4];
    qToLittleEndian(value, raw);
    return file.seek(offset) && file.write(reinterpret_cast<const char*>(raw), 4) == 4;
}

bool SameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (fa.exists() && fb.exists()) {
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    }
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

}  // namespace

MStatus WriteWorkWavHeader(QIODevice& file, uint32_t sampleRate, uint16_t bitsPerSample,
                           uint16_t channels) {
    const uint64_t provisionalBytes =
        static_cast<uint64_t>(channels) * bitsPerSample * (30ull * sampleRate) / 8;
    WaveFormat format = WaveFormat::Pcm(sampleRate, bitsPerSample, channels);
    format.byteRate =
        static_cast<uint32_t>(static_cast<uint64_t>(channels) * bitsPerSample * sampleRate / 8);
    uint8_t h[kWorkHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian(static_cast<uint32_t>(provisionalBytes + 36), h + 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<uint32_t>(16, h + 16);
    format.ToFmtBlock(h + 20);
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian(static_cast<uint32_t>(provisionalBytes), h + 40);
    if (file.write(reinterpret_cast<const char*>(h), kWorkHeaderBytes) != kWorkHeaderBytes) {
        return MStatus::Failure(
            QStringLiteral("cannot write the work WAV header: %1").arg(file.errorString()));
    }
    return MStatus::Ok();
}

MStatus FinishWorkWavHeader(QIODevice& file, int64_t dataBytes) {
    if (dataBytes < 0 || dataBytes > std::numeric_limits<uint32_t>::max() - 36) {
        return MStatus::Failure(
            QStringLiteral("the work WAV is larger than the 4 GB a WAV file can hold"));
    }
    const auto data = static_cast<uint32_t>(dataBytes);
    if (!WriteU32At(file, 4, data + 36) || !WriteU32At(file, 40, data)) {
        return MStatus::Failure(
            QStringLiteral("cannot write the work WAV header: %1").arg(file.errorString()));
    }
    return MStatus::Ok();
}

MStatus PadWorkWav(const QString& workWavPath, int64_t targetDataBytes, QString* resultPath) {
    const MWorkFolder& folder = MWorkFolder::Process();
    if (QFileInfo(workWavPath).absolutePath() == QFileInfo(folder.Path()).absoluteFilePath()) {
        return PadWorkWav(workWavPath, targetDataBytes, workWavPath, resultPath);
    }
    {
        // The user's file may already have the length; then no copy is made.
        WavInFile in(workWavPath);
        if (in.IsOpen() && in.HeadersOk() && in.DataSizeBytes() == targetDataBytes) {
            if (resultPath != nullptr) {
                *resultPath = workWavPath;
            }
            return MStatus::Ok();
        }
    }
    const QString privatePath =
        folder.NewFile(QFileInfo(workWavPath).completeBaseName(), QStringLiteral(".wav"));
    if (privatePath.isEmpty()) {
        return MStatus::Failure(
            QStringLiteral("cannot make a work file in %1").arg(QDir::tempPath()));
    }
    const MStatus s = PadWorkWav(workWavPath, targetDataBytes, privatePath, resultPath);
    if (!s) {
        QFile::remove(privatePath);
    }
    return s;
}

MStatus PadWorkWav(const QString& workWavPath, int64_t targetDataBytes, const QString& privatePath,
                   QString* resultPath) {
    if (resultPath != nullptr) {
        *resultPath = workWavPath;
    }
    if (targetDataBytes < 0 ||
        targetDataBytes > std::numeric_limits<uint32_t>::max() - WavHeader::kSizeBytes) {
        return MStatus::Failure(QStringLiteral("%1: cannot hold %2 bytes of audio")
                                    .arg(workWavPath)
                                    .arg(targetDataBytes));
    }
    const bool inPlace = SameFile(workWavPath, privatePath);
    const QString partPath = privatePath + QStringLiteral(".part");
    {
        WavInFile in(workWavPath);
        if (!in.IsOpen()) {
            return MStatus::Failure(QStringLiteral("%1: cannot open").arg(workWavPath));
        }
        const uint16_t bits = in.BitsPerSample();
        if (!in.HeadersOk() || (bits != 8 && bits != 16) || in.Channels() == 0) {
            return MStatus::Failure(QStringLiteral("%1: not a PCM WAV file").arg(workWavPath));
        }
        if (!inPlace && in.DataSizeBytes() == targetDataBytes) {
            return MStatus::Ok();  // the user's file already has the length
        }
        const int bytesPerSample = bits / 8;
        const int64_t targetElems = targetDataBytes / bytesPerSample;

        QFile::remove(partPath);
        WavOutFile out(partPath, in.SampleRate(), bits, in.Channels());
        std::vector<int16_t> block(64 * 1024);
        int64_t written = 0;
        while (written < targetElems) {
            const int want = static_cast<int>(
                std::min<int64_t>(static_cast<int64_t>(block.size()), targetElems - written));
            const int got = in.Read(block.data(), want);
            if (got <= 0) {
                break;
            }
            out.Write(block.data(), got);
            written += got;
        }
        std::fill(block.begin(), block.end(), int16_t{0});
        while (written < targetElems) {
            const int n = static_cast<int>(
                std::min<int64_t>(static_cast<int64_t>(block.size()), targetElems - written));
            out.Write(block.data(), n);
            written += n;
        }
        const MStatus closed = out.Close();
        if (!closed) {
            QFile::remove(partPath);
            return closed;
        }
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(partPath).toStdString(),
                            QFile::encodeName(privatePath).toStdString(), error);
    if (error) {
        QFile::remove(partPath);
        return MStatus::Failure(QStringLiteral("%1: cannot replace: %2")
                                    .arg(privatePath, QString::fromStdString(error.message())));
    }
    if (resultPath != nullptr) {
        *resultPath = privatePath;
    }
    return MStatus::Ok();
}
