#include "cli/CdgFrameCommand.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QRect>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/MStagedFile.h"
#include "cdg/CdgColour.h"
#include "cdg/CdgStreamFile.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cli/PngWriter.h"

int CdgFrameCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE.cdg"), QStringLiteral("The CD+G file."));
    const QCommandLineOption at(QStringLiteral("at"),
                                QStringLiteral("The moment, in seconds from the start."),
                                QStringLiteral("SECONDS"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The PNG file to write."),
                                    QStringLiteral("OUT.png"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Whole-number scale of the window view (1-16)."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption raw(QStringLiteral("raw"),
                                 QStringLiteral("Write the whole screen memory, 300 x 216."));
    parser.addOptions({at, output, scale, raw});
    if (const int rc = Parse(
            parser, args, QStringLiteral("FILE.cdg --at SECONDS -o OUT.png [--scale N] [--raw]"));
        rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    const QStringList files = parser.positionalArguments();
    if (const int rc = ExactlyOne(files, QStringLiteral("CD+G file")); rc != kOk) {
        return rc;
    }
    if (!parser.isSet(at)) {
        return UsageError(QStringLiteral("--at SECONDS is required"));
    }
    bool ok = false;
    const double seconds = ParseSeconds(parser.value(at));
    if (seconds < 0) {
        return UsageError(
            QStringLiteral("--at needs a time in seconds or mm:ss of 0 or more, not '%1'")
                .arg(parser.value(at)));
    }
    if (!parser.isSet(output) || parser.value(output).isEmpty()) {
        return UsageError(QStringLiteral("-o OUT.png is required"));
    }
    // The picture format is the one the name's extension says.
    QByteArray format = QFileInfo(parser.value(output)).suffix().toLower().toLatin1();
    if (format == "jpg") {
        format = "jpeg";
    }
    if (format != "png" && format != "jpeg" && format != "bmp") {
        return UsageError(
            QStringLiteral("cannot write a picture named '%1': give -o NAME.png, .jpg or .bmp")
                .arg(parser.value(output)));
    }
    const int factor = parser.value(scale).toInt(&ok);
    if (!ok || factor < 1 || factor > 16) {
        return UsageError(QStringLiteral("--scale needs a whole number from 1 to 16, not '%1'")
                              .arg(parser.value(scale)));
    }

    CdgStreamFile file;
    if (const MStatus s = file.Open(files[0]); !s) {
        return Fail(s.Text());
    }
    const double frames = std::floor(seconds * CdgTimeBase::kSampleRateHz);
    const int64_t due = frames >= 9.0e15
                            ? INT64_MAX
                            : CdgTimeBase::PacketIndexFromFrames(static_cast<int64_t>(frames));
    const int64_t packets = std::min(file.PacketCount(), due);

    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    decoder.DecodePackets(file.Data(), 0,
                          static_cast<uint32_t>(std::min<int64_t>(packets, UINT32_MAX)));

    std::array<MRgb, 16> colours{};
    std::vector<uint8_t> indices;
    int width = MRwRenderer::kWidth;
    int height = MRwRenderer::kHeight;
    if (parser.isSet(raw)) {
        indices = renderer.ScreenIndices(&colours);
    } else {
        width *= factor;
        height *= factor;
        indices.resize(static_cast<size_t>(width) * height);
        renderer.ViewIndices(indices.data(), width, width, height, QRect(0, 0, width, height),
                             &colours);
    }
    const QString out = parser.value(output);
    if (format == "png") {
        if (const MStatus s = PngWriter::Write(out, indices.data(), width, height, colours, files);
            !s) {
            return Fail(QStringLiteral("cannot write the PNG file: %1").arg(s.Text()));
        }
    } else {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const MRgb c = colours[indices[static_cast<size_t>(y) * width + x] & 15];
                row[x] = qRgb(CdgColour::Red(c), CdgColour::Green(c), CdgColour::Blue(c));
            }
        }
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        QImageWriter writer(&encoded, format);
        writer.setQuality(95);
        if (!writer.write(image)) {
            return Fail(
                QStringLiteral("%1: cannot make the picture: %2").arg(out, writer.errorString()));
        }
        if (const MStatus s = MStagedFile::Write(out, encoded.data(), files, true); !s) {
            return Fail(QStringLiteral("cannot write the picture: %1").arg(s.Text()));
        }
    }
    if (file.LeftoverBytes() != 0) {
        return Fail(QStringLiteral("%1: %2 bytes left over after the last whole packet")
                        .arg(files[0])
                        .arg(file.LeftoverBytes()));
    }
    return kOk;
}
