#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// What FFmpeg's CD+G decoder shows after the packets before a moment: 300 x 216 RGB bytes, or
// an empty array (with the reason in error) when ffmpeg failed.
class FfmpegFrames {
public:
    static QByteArray FrameAt(const std::vector<uint8_t>& stream, double seconds,
                              const QString& workDir, QString* error);
    // Pixels of the inner 288 x 192 area that differ between FFmpeg's frame and a picture.
    static int InnerDifferences(const QByteArray& ffmpegRgb, const class QImage& ours);
};
