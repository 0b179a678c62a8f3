#include "cli/CdgDemoCommand.h"

#include <QDir>
#include <QSaveFile>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cli/PngWriter.h"
#include "song/MSongDocument.h"

int CdgDemoCommand::Run(const QStringList& args) {
    QDir dir;
    if (const int rc = ParseOutputFolder(args, dir); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }

    // A song: four lines on one page, each word sung for 0.45 s, every half second.
    MSongDocument document;
    document.SetRawLyrics(
        QStringLiteral("Twinkle, twinkle, little star,\nHow I wonder what you are!\n"
                       "Up above the world so high,\nLike a diamond in the sky."));
    document.GenerateKaraokeLineList(true, true);
    document.Edit(MSongDocument::kSettingsChange, [](MSongSettings& song) {
        IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
        lyrics->textType.styleFlags = MTextType::kBold | MTextType::kOutline;
        lyrics->textType.hAlign = MTextType::kHCentre;
    });
    const double firstWords[] = {2.0, 4.5, 7.5, 10.0};
    int word = 0;
    for (int i = 0; i < document.Song().LineCount(); ++i) {
        double t = firstWords[i];
        for (size_t k = 0; k < document.Song().GetLine(i)->words.size(); ++k) {
            document.SetWordTimes(word++, static_cast<int32_t>(CdgTimeBase::FramesFromSeconds(t)),
                                  static_cast<int32_t>(CdgTimeBase::FramesFromSeconds(t + 0.45)));
            t += 0.5;
        }
        document.SetLinePlaced(i, true);
    }
    const MSongStream rendered = document.Song().RenderWholeStream();
    const uint32_t length = rendered.lengthBytes;
    const std::vector<uint8_t> stream(rendered.bytes, rendered.bytes + length);
    const double endSeconds = static_cast<double>(length) / CdgTimeBase::kStreamBytesPerSecond;

    const QString cdgPath = dir.filePath(QStringLiteral("quilm-demo.cdg"));
    QSaveFile cdg(cdgPath);
    if (!cdg.open(QIODevice::WriteOnly) ||
        cdg.write(reinterpret_cast<const char*>(stream.data()),
                  static_cast<qint64>(stream.size())) != static_cast<qint64>(stream.size()) ||
        !cdg.commit()) {
        return Fail(
            QStringLiteral("%1: cannot write the CD+G file: %2").arg(cdgPath, cdg.errorString()));
    }

    const double frameSeconds = 6.2;
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    decoder.DecodePackets(stream.data(), 0,
                          static_cast<uint32_t>(CdgTimeBase::PacketIndexFromFrames(
                              CdgTimeBase::FramesFromSeconds(frameSeconds))));
    const QString pngPath = dir.filePath(QStringLiteral("quilm-demo.png"));
    const int width = MRwRenderer::kWidth * 2;
    const int height = MRwRenderer::kHeight * 2;
    std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
    std::array<MRgb, 16> shown{};
    renderer.ViewIndices(indices.data(), width, width, height, QRect(0, 0, width, height), &shown);
    if (const MStatus s = PngWriter::Write(pngPath, indices.data(), width, height, shown); !s) {
        return Fail(QStringLiteral("cannot write the PNG file: %1").arg(s.Text()));
    }
    Out(QStringLiteral("CD+G stream (%1 s): %2")
            .arg(endSeconds, 0, 'f', 1)
            .arg(QDir(cdgPath).absolutePath()));
    Out(QStringLiteral("Frame at %1 s: %2").arg(frameSeconds).arg(QDir(pngPath).absolutePath()));
    return kOk;
}
