#include "VideoFeed.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRect>
#include <array>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "export/MExportStream.h"
#include "export/MPcm16StereoReader.h"
#include "export/MVideoExport.h"
#include "export/MVideoFramePainter.h"
#include "song/MSongDocument.h"

namespace {

constexpr int kHeight = 720;
constexpr int kWidth = 1280;
constexpr int kFps = 30;
constexpr int kScreenBytes = MVideoFramePainter::kPictureWidth * MVideoFramePainter::kPictureHeight;

int64_t CpuMicroseconds(int who = RUSAGE_SELF) {
    rusage usage{};
    ::getrusage(who, &usage);
    return (int64_t{usage.ru_utime.tv_sec} + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

}  // namespace

int VideoFeed::Run(const QString& projectPath, const QString& outputPath) {
    MSongDocument document;
    if (MStatus s = document.Open(projectPath); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.Text()));
        return 1;
    }
    MSongSettings& song = document.Song();
    const MExportStream stream = MExportStream::Render(song);
    MPcm16StereoReader audio;
    if (!stream.status || !audio.Open(stream.workWavPath, std::max(0, stream.leadInFrames))) {
        std::fprintf(stderr, "the song cannot be rendered\n");
        return 1;
    }
    // As many frames as the export makes (for music at 44,100 Hz).
    const int64_t streamPackets =
        std::min<int64_t>(stream.usedBytes, song.rwBuffer.size()) / CdgTimeBase::kPacketBytes;
    const int64_t soundFrames =
        std::max(audio.TotalBytes() / MPcm16StereoReader::kFrameBytes + stream.trailingFrames,
                 streamPackets * CdgTimeBase::kFramesPerPacket);
    const int64_t frames =
        (soundFrames * kFps + CdgTimeBase::kSampleRateHz - 1) / CdgTimeBase::kSampleRateHz;

    // Every frame's screen decoded beforehand, so that ffmpeg's time holds none of our decoding.
    std::vector<uint8_t> screens(static_cast<size_t>(frames) * kScreenBytes);
    std::vector<std::array<MRgb, 16>> colours(static_cast<size_t>(frames));
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    int64_t decoded = 0;
    for (int64_t n = 0; n < frames; ++n) {
        const int64_t due = std::min(streamPackets, MVideoExport::PacketsBeforeFrame(n, kFps));
        decoder.DecodePackets(song.rwBuffer.data(), static_cast<uint32_t>(decoded),
                              static_cast<uint32_t>(std::max(decoded, due)));
        decoded = std::max(decoded, due);
        renderer.ViewIndices(
            screens.data() + n * kScreenBytes, MVideoFramePainter::kPictureWidth,
            MVideoFramePainter::kPictureWidth, MVideoFramePainter::kPictureHeight,
            QRect(0, 0, MVideoFramePainter::kPictureWidth, MVideoFramePainter::kPictureHeight),
            &colours[static_cast<size_t>(n)]);
    }

    const QByteArray command =
        QStringLiteral(
            "ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt yuv420p -s %1x%2 -r %3 -i - -i '%4' "
            "-c:v libx264 -preset veryfast -tune animation -crf 18 -g %5 -pix_fmt yuv420p "
            "-c:a aac -b:a 192k -movflags +faststart '%6'")
            .arg(kWidth)
            .arg(kHeight)
            .arg(kFps)
            .arg(stream.workWavPath)
            .arg(kFps * 4)
            .arg(outputPath)
            .toLocal8Bit();
    std::vector<uint8_t> picture(static_cast<size_t>(kWidth) * kHeight * 3 / 2);
    uint8_t* planes[3] = {picture.data(), picture.data() + kWidth * kHeight,
                          picture.data() + kWidth * kHeight * 5 / 4};
    const int lineBytes[3] = {kWidth, kWidth / 2, kWidth / 2};
    MVideoFramePainter painter(kWidth, kHeight, true);

    const int64_t cpuBefore = CpuMicroseconds();
    const int64_t childrenBefore = CpuMicroseconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    FILE* pipe = ::popen(command.constData(), "w");
    if (pipe == nullptr) {
        return 1;
    }
    bool written = true;
    for (int64_t n = 0; n < frames && written; ++n) {
        painter.Paint(screens.data() + n * kScreenBytes, colours[static_cast<size_t>(n)], planes,
                      lineBytes);
        written = std::fwrite(picture.data(), 1, picture.size(), pipe) == picture.size();
    }
    const int rc = ::pclose(pipe);
    const int64_t ffmpegUs = clock.nsecsElapsed() / 1000;
    const int64_t feedUs = CpuMicroseconds() - cpuBefore;
    const int64_t ffmpegCpuUs = CpuMicroseconds(RUSAGE_CHILDREN) - childrenBefore;
    if (!written || rc != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    std::printf("%lld %lld %lld\n", static_cast<long long>(ffmpegUs),
                static_cast<long long>(feedUs), static_cast<long long>(ffmpegCpuUs));
    return 0;
}
