#include "export/MBinExport.h"

#include <QFile>
#include <algorithm>
#include <vector>

#include "audio/MWaveReader.h"
#include "base/MOutputPath.h"
#include "base/MProgress.h"
#include "base/MStagedFile.h"
#include "export/MExportStream.h"
#include "export/MPcm16StereoReader.h"
#include "export/MSectorBuffer.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"
#include "song/MSongHost.h"
#include "song/MSongSettings.h"

namespace {

constexpr uint32_t kCdSampleRateHz = 44100;

MStatus RateNotAllowed() {
    return MStatus::Failure(QString::fromLatin1(MBinExport::kRateText), MStatus::Icon::Warning,
                            QString::fromLatin1(MBinExport::kRateTitle));
}

MStatus Error(const QString& text) {
    return MStatus::Failure(text, MStatus::Icon::Warning,
                            QString::fromLatin1(MBinExport::kErrorTitle));
}

// Moves the progress display forward only.
class ForwardProgress {
public:
    ForwardProgress(MProgress* progress, int64_t total)
        : progress_(progress), total_(std::max<int64_t>(1, total)) {}
    void Update(int64_t done) {
        const int percent = static_cast<int>(std::min<int64_t>(100, done * 100 / total_));
        if (progress_ != nullptr && percent > percent_) {
            percent_ = percent;
            progress_->SetPercent(percent);
        }
    }
    bool Cancelled() { return progress_ != nullptr && progress_->IsCancelled(); }

private:
    MProgress* progress_;
    int64_t total_;
    int percent_ = -1;
};

}  // namespace

MExportResult MBinExport::Run(const QString& binPath) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MUserActionLog>(MLogEvents::kActionExportBin,
                                                   QString::fromLatin1(MLogEvents::kExportBin)));
    }
    // Nothing is rendered for a target that cannot be written.
    if (const MOutputPath target =
            MOutputPath::Check(binPath, MExportStream::InputFiles(song_), replaceReadOnly_);
        !target.IsOk()) {
        return MExportResult::Failure(Error(QString::fromLatin1(kCreateErrorText) +
                                            QStringLiteral("\n\n") + target.Status().Text()));
    }
    const QString workWav = song_.Host() != nullptr ? song_.Host()->WorkWavPath() : QString();
    if (!workWav.isEmpty()) {
        MWaveReader probe;
        if (probe.Open(workWav) && probe.Format().sampleRate != kCdSampleRateHz) {
            return MExportResult::Failure(RateNotAllowed());
        }
    }
    if (progress_ != nullptr) {
        progress_->Begin(QString::fromLatin1(kProgressTitle), true);
    }
    MExportResult result;
    const MExportStream stream = MExportStream::Render(song_);
    if (!stream.status) {
        result = MExportResult::Failure(stream.status);
    } else {
        MPcm16StereoReader audio;
        if (MStatus s = audio.Open(stream.workWavPath,
                                   static_cast<uint32_t>(std::max(0, stream.leadInFrames)));
            !s) {
            result = MExportResult::Failure(s);
        } else if (audio.SourceFormat().sampleRate != kCdSampleRateHz) {
            result = MExportResult::Failure(RateNotAllowed());
        } else {
            result = WriteSectors(audio, song_.rwBuffer.data(), song_.rwBuffer.size(),
                                  std::min<uint32_t>(stream.usedBytes, song_.rwBuffer.size()),
                                  binPath, progress_);
        }
    }
    if (progress_ != nullptr) {
        progress_->End();
    }
    return result;
}

MExportResult MBinExport::WriteSectors(MPcm16StereoReader& audio, const uint8_t* rw,
                                       uint32_t rwSize, uint32_t rwUsed, const QString& binPath,
                                       MProgress* progress) {
    // Written beside the target and moved onto it when complete. Not synced to disk: like
    // any exported file it can be made again, and syncing would cost more than the writing.
    MStagedFile stage(binPath);
    QFile out;
    MStatus created = stage.Create({}, true);
    if (created) {
        out.setFileName(stage.TemporaryPath());
        // Unbuffered: the sector joiner writes whole blocks, and a failed write reports its cause.
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            created = MStatus::Failure(QStringLiteral("%1: %2").arg(binPath, out.errorString()));
        }
    }
    if (!created) {
        return MExportResult::Failure(
            Error(QString::fromLatin1(kCreateErrorText) + QStringLiteral("\n\n") + created.Text()));
    }
    MSectorBuffer joiner(
        kBlockSectors, kCapacitySectors, [&out](const uint8_t* bytes, size_t length, int) {
            // A short write is followed by one that fails with the reason (a full disk).
            for (size_t done = 0; done < length;) {
                const qint64 n = out.write(reinterpret_cast<const char*>(bytes + done),
                                           static_cast<qint64>(length - done));
                if (n <= 0) {
                    return false;
                }
                done += static_cast<size_t>(n);
            }
            return true;
        });
    // detail: the path and the reason, the file's own error when empty.
    auto writeFailed = [&out, &binPath](QString detail) {
        if (detail.isEmpty()) {
            detail = QStringLiteral("%1: %2").arg(binPath, out.errorString());
        }
        return MExportResult::Failure(
            Error(QString::fromLatin1(kWriteErrorText) + QStringLiteral("\n\n") + detail));
    };
    auto cancelled = [progress]() {
        if (progress != nullptr) {
            progress->SetTitle(QString::fromLatin1(MExportResult::kCancelledText));
        }
        return MExportResult::Cancelled();
    };

    // The stream is read while a whole block fits before the end of its buffer; past that,
    // silent subcode.
    const int64_t streamEnd = static_cast<int64_t>(rwSize) - kBlockSubcodeBytes;
    const std::vector<uint8_t> zeros(kBlockAudioBytes, 0);
    auto subcodeAt = [&](int64_t offset) {
        return offset < streamEnd ? rw + offset : zeros.data();
    };
    const int64_t trailingEnd = std::min<int64_t>(rwUsed, streamEnd);
    ForwardProgress forward(progress, std::max(audio.TotalBytes(), trailingEnd * kBlockAudioBytes /
                                                                       kBlockSubcodeBytes));

    std::vector<uint8_t> block(kBlockAudioBytes);
    int64_t subcodeOffset = 0;
    int64_t delivered = 0;
    int64_t got = audio.Read(block.data(), kBlockAudioBytes);
    while (got > 0) {
        const int64_t subcodeBytes = got * kBlockSubcodeBytes / kBlockAudioBytes;
        if (!joiner.Add(block.data(), static_cast<size_t>(got), subcodeAt(subcodeOffset),
                        static_cast<size_t>(subcodeBytes))) {
            return writeFailed(QString());
        }
        delivered += got;
        forward.Update(delivered);
        if (forward.Cancelled()) {
            return cancelled();
        }
        got = audio.Read(block.data(), kBlockAudioBytes);
        subcodeOffset += subcodeBytes;
    }
    if (got < 0) {
        return MExportResult::Failure(
            Error(QStringLiteral("%1\n\nThe music cannot be read to its end.")
                      .arg(QString::fromLatin1(kWriteErrorText))));
    }
    // The stream goes on after the music: silent sectors carry it.
    while (subcodeOffset < trailingEnd) {
        if (!joiner.Add(zeros.data(), kBlockAudioBytes, rw + subcodeOffset, kBlockSubcodeBytes)) {
            return writeFailed(QString());
        }
        subcodeOffset += kBlockSubcodeBytes;
        forward.Update(subcodeOffset * kBlockAudioBytes / kBlockSubcodeBytes);
        if (forward.Cancelled()) {
            return cancelled();
        }
    }
    if (!joiner.Flush() || !out.flush()) {
        return writeFailed(QString());
    }
    out.close();
    if (MStatus s = stage.Commit(); !s) {
        return writeFailed(s.Text());
    }
    MExportResult r;
    r.files << binPath;
    return r;
}
