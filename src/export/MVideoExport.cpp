#include "export/MVideoExport.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/MOutputPath.h"
#include "base/MProgress.h"
#include "base/MStagedFile.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "export/MExportStream.h"
#include "export/MPcm16StereoReader.h"
#include "export/MVideoFramePainter.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"
#include "song/MSongSettings.h"

namespace {

constexpr int64_t kBlockFrames = 8192;

MStatus Error(const char* what, const QString& detail) {
    return MStatus::Failure(QString::fromLatin1(what) + QStringLiteral("\n\n") + detail,
                            MStatus::Icon::Error);
}

// Frames of a rate from frames of the work WAV's 44,100 Hz time line.
int64_t AtRate(int64_t frames44k, int rateHz) {
    return frames44k * rateHz / CdgTimeBase::kSampleRateHz;
}

}  // namespace

int64_t MVideoExport::PacketsBeforeFrame(int64_t frame, int fps) {
    // Exact for the offered rates, which all divide the 300 packets of a second.
    return frame * CdgTimeBase::kPacketsPerSecond / std::max(1, fps);
}

MExportResult MVideoExport::Run(const QString& mp4Path, int height, int fps) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MUserActionLog>(
            MLogEvents::kActionExportCompressed,
            QString::fromLatin1(MLogEvents::kExportPrefix) + QStringLiteral("mp4")));
    }
    const QStringList inputs = MExportStream::InputFiles(song_);
    if (const MOutputPath target = MOutputPath::Check(mp4Path, inputs, replaceReadOnly_);
        !target.IsOk()) {
        return MExportResult::Failure(Error(kCreateErrorText, target.Status().Text()));
    }
    if (progress_ != nullptr) {
        progress_->Begin(QString::fromLatin1(kProgressTitle), true);
    }
    struct EndProgress {
        MProgress* progress;
        ~EndProgress() {
            if (progress != nullptr) {
                progress->End();
            }
        }
    } endProgress{progress_};

    const MExportStream stream = MExportStream::Render(song_);
    if (!stream.status) {
        return MExportResult::Failure(stream.status);
    }
    MPcm16StereoReader audio;
    {
        MWaveReader probe;
        if (MStatus s = probe.Open(stream.workWavPath); !s) {
            return MExportResult::Failure(Error(kCreateErrorText, s.Text()));
        }
        const int rate = static_cast<int>(probe.Format().sampleRate);
        if (MStatus s =
                audio.Open(stream.workWavPath,
                           static_cast<uint32_t>(AtRate(std::max(0, stream.leadInFrames), rate)));
            !s) {
            return MExportResult::Failure(Error(kCreateErrorText, s.Text()));
        }
    }
    const int rate = static_cast<int>(audio.SourceFormat().sampleRate);
    // The stream is read only as far as its buffer holds it.
    const uint8_t* rw = song_.rwBuffer.data();
    const int64_t streamPackets =
        std::min<int64_t>(stream.usedBytes, song_.rwBuffer.size()) / CdgTimeBase::kPacketBytes;
    // The sound: lead-in, music, credits; longer when the stream outlasts it.
    const int64_t audioFrames = std::max(audio.TotalBytes() / MPcm16StereoReader::kFrameBytes +
                                             AtRate(std::max(0, stream.trailingFrames), rate),
                                         streamPackets * rate / CdgTimeBase::kPacketsPerSecond);
    const int64_t frames = std::max<int64_t>(1, (audioFrames * fps + rate - 1) / rate);

    MStagedFile stage(mp4Path);
    if (MStatus s = stage.Create(inputs, true); !s) {
        return MExportResult::Failure(Error(kCreateErrorText, s.Text()));
    }
    const QString temporary = stage.TemporaryPath();
    auto named = [&](QString text) { return text.replace(temporary, mp4Path); };
    MVideoWriter::Options options = options_;
    options.width = WidthFor(height);
    options.height = height;
    options.fps = fps;
    options.title = song_.title;
    options.artist = song_.artist;
    MVideoWriter writer;
    if (MStatus s = writer.Open(temporary, options, rate); !s) {
        return MExportResult::Failure(Error(kCreateErrorText, named(s.Text())));
    }
    auto writeFailed = [&](const MStatus& s) {
        return MExportResult::Failure(
            Error(kWriteErrorText, QStringLiteral("%1: %2").arg(mp4Path, named(s.Text()))));
    };

    MVideoFramePainter painter(options.width, options.height, writer.HalfChroma());
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    std::vector<int16_t> block(static_cast<size_t>(kBlockFrames) * 2);
    int64_t soundDone = 0;
    int64_t decoded = 0;
    int percent = -1;
    for (int64_t n = 0; n < frames; ++n) {
        // The sound that plays until the end of this frame goes first.
        const int64_t soundDue = std::min(audioFrames, (n + 1) * rate / fps);
        while (soundDone < soundDue) {
            const int64_t want = std::min(kBlockFrames, soundDue - soundDone);
            const int64_t got = audio.Read(reinterpret_cast<uint8_t*>(block.data()),
                                           want * MPcm16StereoReader::kFrameBytes);
            if (got < 0) {
                return MExportResult::Failure(
                    Error(kWriteErrorText, QStringLiteral("The music cannot be read to its end.")));
            }
            // After the music: the credits page's silence.
            const int64_t got16 = got / MPcm16StereoReader::kFrameBytes;
            const MStatus s = got16 > 0 ? writer.WriteAudio(block.data(), got16)
                                        : writer.WriteAudio(nullptr, want);
            if (!s) {
                return writeFailed(s);
            }
            soundDone += got16 > 0 ? got16 : want;
        }
        const int64_t due = std::min(streamPackets, PacketsBeforeFrame(n, fps));
        if (due > decoded) {
            decoder.DecodePackets(rw, static_cast<uint32_t>(decoded), static_cast<uint32_t>(due));
            decoded = due;
        }
        uint8_t* planes[3];
        int lineBytes[3];
        MStatus s = writer.PicturePlanes(planes, lineBytes);
        if (s) {
            painter.Paint(renderer, planes, lineBytes);
            s = writer.WritePicture();
        }
        if (!s) {
            return writeFailed(s);
        }
        if (progress_ != nullptr) {
            const int now = static_cast<int>((n + 1) * 100 / frames);
            if (now > percent) {
                percent = now;
                progress_->SetPercent(now);
            }
            if (progress_->IsCancelled()) {
                progress_->SetTitle(QString::fromLatin1(MExportResult::kCancelledText));
                return MExportResult::Cancelled();
            }
        }
    }
    if (MStatus s = writer.Finish(); !s) {
        return writeFailed(s);
    }
    if (MStatus s = stage.Commit(); !s) {
        return writeFailed(s);
    }
    MExportResult result;
    result.files << mp4Path;
    if (writer.IsFallback()) {
        result.notice =
            QStringLiteral(
                "H.264 encoding (%1) is not available: the video is MPEG-4 Part 2 "
                "(%2).")
                .arg(QString::fromLatin1(MVideoWriter::kPreferredEncoder), writer.EncoderName());
    }
    return result;
}
