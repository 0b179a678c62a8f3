#include "support/FfmpegFrames.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include "cdg/CdgPacket.h"
#include "cdg/CdgTimeBase.h"

QByteArray FfmpegFrames::FrameAt(const std::vector<uint8_t>& stream, double seconds,
                                 const QString& workDir, QString* error) {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        *error = QStringLiteral("the ffmpeg program is missing");
        return {};
    }
    const int64_t packets = std::min<int64_t>(
        static_cast<int64_t>(stream.size()) / 24,
        CdgTimeBase::PacketIndexFromFrames(CdgTimeBase::FramesFromSeconds(seconds)));
    int graphics = 0;
    for (int64_t i = 0; i < packets; ++i) {
        graphics +=
            (stream[static_cast<size_t>(i) * 24] & CdgPacket::kMask) == CdgPacket::kGraphicsCommand;
    }
    if (graphics == 0) {
        *error = QStringLiteral("no graphics packet before %1 s").arg(seconds);
        return {};
    }
    const QString part = QDir(workDir).filePath(QStringLiteral("ffmpeg-part.cdg"));
    QFile f(part);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(stream.data()), packets * 24) != packets * 24) {
        *error = QStringLiteral("cannot write %1").arg(part);
        return {};
    }
    f.close();
    // FFmpeg makes one frame per graphics packet; the last one shows them all.
    QProcess p;
    p.start(ffmpeg,
            {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
             QStringLiteral("-i"), part, QStringLiteral("-vf"),
             QStringLiteral("select=eq(n\\,%1)").arg(graphics - 1), QStringLiteral("-fps_mode"),
             QStringLiteral("passthrough"), QStringLiteral("-f"), QStringLiteral("rawvideo"),
             QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"), QStringLiteral("-")});
    if (!p.waitForFinished(120000)) {
        *error = QStringLiteral("ffmpeg did not finish");
        return {};
    }
    const QByteArray rgb = p.readAllStandardOutput();
    if (rgb.size() != 300 * 216 * 3) {
        *error = QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    return rgb;
}

int FfmpegFrames::InnerDifferences(const QByteArray& rgb, const QImage& ours) {
    int differing = 0;
    for (int y = 12; y < 204; ++y) {
        for (int x = 6; x < 294; ++x) {
            const auto* p = reinterpret_cast<const uint8_t*>(rgb.constData()) + (y * 300 + x) * 3;
            const QRgb mine = ours.pixel(x, y);
            differing += qRed(mine) != p[0] || qGreen(mine) != p[1] || qBlue(mine) != p[2];
        }
    }
    return differing;
}
