// Streams from our generator decode the same in FFmpeg's cdgraphics decoder as in ours: the
// inner 288 x 192 area of `quilm-cli cdg frame --raw` against the frame ffmpeg shows after the
// same packets, pixel for pixel, at many moments.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "cdg/CdgPacket.h"
#include "cdg/CdgTimeBase.h"
#include "support/CliRunner.h"
#include "support/FfmpegFrames.h"
#include "support/TestStreamBuilder.h"

namespace {

MTextType Type(const char* face, int height, int flags, int hAlign) {
    return MTextType(QString::fromLatin1(face), 12, height, flags, hAlign, MTextType::kVCentre, 13,
                     0, 0);
}

// Two pages of four lines and one page of five, in several faces and heights, with and
// without outline, swept both ways and erased.
std::vector<uint8_t> InteropStream() {
    TestStreamBuilder b(26.0);
    b.PageSetup(0, TestStreamBuilder::DefaultColours(), 11, 15);
    struct LineSetup {
        const char* text;
        const char* face;
        int height;
        int flags;
        int hAlign;
        int linesPerPage;
        int slot;
        double draw;
        double erase;
        bool behind;
    };
    // A page takes a few seconds of stream to draw: the first words come well after it.
    const LineSetup lines[] = {
        {"Twinkle, twinkle, little star", "Arial", 24, MTextType::kBold | MTextType::kOutline,
         MTextType::kHCentre, 4, 0, 0.3, 9.0, false},
        {"How I wonder what you are", "Liberation Serif", 30, MTextType::kOutline,
         MTextType::kHLeft, 4, 1, 0.4, 9.0, false},
        {"Up above the world so high", "DejaVu Sans", 18, MTextType::kItalic, MTextType::kHRight, 4,
         2, 0.5, 9.2, true},
        {"Like a diamond in the sky", "Arial", 32, MTextType::kBold, MTextType::kHCentre, 4, 3, 0.6,
         9.2, true},
        {"When the blazing sun is gone", "Arial", 20, MTextType::kOutline | MTextType::kUnderline,
         MTextType::kHLeft, 5, 0, 9.5, 21.0, false},
        {"When he nothing shines upon", "DejaVu Sans", 22, MTextType::kBold | MTextType::kOutline,
         MTextType::kHCentre, 5, 1, 9.6, 21.0, true},
        {"Then you show your little light", "Liberation Serif", 22, 0, MTextType::kHRight, 5, 2,
         9.7, 21.0, false},
        {"Twinkle, twinkle, all the night", "Arial", 24, MTextType::kOutline, MTextType::kHCentre,
         5, 3, 9.8, 21.2, false},
        {"Rock && roll & stars", "Arial", 28, MTextType::kBold, MTextType::kHLeft, 5, 4, 9.9, 21.2,
         true},
    };
    double first = 3.0;
    for (const LineSetup& s : lines) {
        TestStreamBuilder::Line line;
        line.text = QString::fromLatin1(s.text);
        line.type = Type(s.face, s.height, s.flags, s.hAlign);
        line.linesPerPage = s.linesPerPage;
        line.slot = s.slot;
        line.drawSeconds = s.draw;
        line.eraseSeconds = s.erase;
        line.sweepBehind = s.behind;
        line.firstWordSeconds = first;
        line.wordSeconds = 0.3;
        first += 1.5;
        if (first > 8.0 && first < 14.0) {
            first = 14.0;
        }
        b.AddLine(line);
    }
    b.EmitLines(15, 14);
    // A new colour table half way through the second page.
    MRwGenerator::ColorTable colours = TestStreamBuilder::DefaultColours();
    colours[14] = CdgColour::Make(255, 60, 60);
    colours[15] = CdgColour::Make(20, 60, 20);
    b.Generator().WriteColorTable(colours, TestStreamBuilder::PositionOf(17.0));
    b.PageSetup(23.0, TestStreamBuilder::DefaultColours(), 9, 2);
    return b.Stream();
}

bool WriteBytes(const QString& path, const char* data, qint64 size) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data, size) == size;
}

}  // namespace

TEST(FfmpegInterop, GeneratedStreamsDecodeAlikeInFfmpeg) {
    QTemporaryDir dir;
    dir.setAutoRemove(!qEnvironmentVariableIsSet("QUILM_KEEP_TEST_FILES"));
    const std::vector<uint8_t> stream = InteropStream();
    const QString full = dir.filePath(QStringLiteral("full.cdg"));
    ASSERT_TRUE(WriteBytes(full, reinterpret_cast<const char*>(stream.data()),
                           static_cast<qint64>(stream.size())));

    int compared = 0;
    for (double t : {0.2, 1.1, 3.1, 4.75, 6.1, 8.3, 9.4, 11.6, 14.2, 15.55, 16.9, 17.4, 19.3, 21.5,
                     23.1, 25.9}) {
        QString error;
        const QByteArray theirs = FfmpegFrames::FrameAt(stream, t, dir.path(), &error);
        ASSERT_FALSE(theirs.isEmpty()) << error.toStdString();
        const QString png = dir.filePath(QStringLiteral("ours.png"));
        const CliRun run = CliRunner::Run(
            QStringLiteral(QUILM_CLI_PATH),
            {QStringLiteral("cdg"), QStringLiteral("frame"), full, QStringLiteral("--at"),
             QString::number(t), QStringLiteral("--raw"), QStringLiteral("-o"), png});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QImage ours(png);
        ASSERT_EQ(ours.size(), QSize(300, 216));
        EXPECT_EQ(FfmpegFrames::InnerDifferences(theirs, ours), 0) << "at " << t << " s";
        ++compared;
    }
    EXPECT_GE(compared, 10);
}
