#include "cli/CdgDemoCommand.h"

#include <QDir>
#include <QSaveFile>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cli/PngWriter.h"
#include "song/MSongSettings.h"

int CdgDemoCommand::Run(const QStringList& args) {
    QDir dir;
    if (const int rc = ParseOutputFolder(args, dir); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }

    // A song: four lines on one page, each word sung for 0.45 s, every half second.
    MSongSettings song;
    song.ResetToNewProject();
    song.rawLyrics = QStringLiteral(
        "Twinkle, twinkle, little star,\nHow I wonder what you are!\n"
        "Up above the world so high,\nLike a diamond in the sky.");
    song.GenerateKaraokeLineList(true, true);
    IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
    lyrics->textType.styleFlags = MTextType::kBold | MTextType::kOutline;
    lyrics->textType.hAlign = MTextType::kHCentre;
    const double firstWords[] = {2.0, 4.5, 7.5, 10.0};
    for (size_t i = 0; i < song.lineList.size(); ++i) {
        double t = firstWords[i];
        for (auto& w : song.lineList[i]->words) {
            w->startTime = static_cast<int32_t>(CdgTimeBase::FramesFromSeconds(t));
            w->endTime = static_cast<int32_t>(CdgTimeBase::FramesFromSeconds(t + 0.45));
            t += 0.5;
        }
        song.lineList[i]->placed = true;
    }
    song.SizeRwBuffer(0);
    uint32_t length = 0;
    song.WriteRwMemory(song.rwBuffer.data(), song.rwBufferSize, &length,
                       MSongSettings::kFromTheStart);
    const std::vector<uint8_t> stream(song.rwBuffer.begin(), song.rwBuffer.begin() + length);
    const double endSeconds = static_cast<double>(length) / CdgTimeBase::kStreamBytesPerSecond;

    const QString cdgPath = dir.filePath(QStringLiteral("quilm-demo.cdg"));
    QSaveFile cdg(cdgPath);
    if (!cdg.open(QIODevice::WriteOnly) ||
        cdg.write(reinterpret_cast<const char*>(stream.data()),
                  static_cast<qint64>(stream.size())) != static_cast<qint64>(stream.size()) ||
        !cdg.commit()) {
        return Fail(QStringLiteral("%1: cannot write the CD+G file").arg(cdgPath));
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
    std::array<MColorRef, 16> shown{};
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
