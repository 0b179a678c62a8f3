#include "cli/CdgDemoCommand.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cli/PngWriter.h"

namespace {

struct DemoLine {
    QString text;
    double firstWordSeconds;
};

// Each word is sung for 0.45 s with a 0.05 s gap.
constexpr double kWordSeconds = 0.45;
constexpr double kWordStepSeconds = 0.5;

uint32_t At(double seconds) {
    return static_cast<uint32_t>(
        CdgTimeBase::StreamBytesFromFrames(CdgTimeBase::FramesFromSeconds(seconds)));
}

std::vector<std::pair<int, int>> WordRanges(const QString& text) {
    std::vector<std::pair<int, int>> words;
    int start = -1;
    for (int i = 0; i <= text.size(); ++i) {
        const bool space = i == text.size() || text[i] == QLatin1Char(' ');
        if (!space && start < 0) {
            start = i;
        } else if (space && start >= 0) {
            words.emplace_back(start, i - 1);
            start = -1;
        }
    }
    return words;
}

}  // namespace

int CdgDemoCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption outDir(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Folder to write into (default: a new folder "
                                                   "under the current one)."),
                                    QStringLiteral("DIR"));
    parser.addOption(outDir);
    if (const int rc = Parse(parser, args, QStringLiteral("[-o DIR]")); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));
    }
    QString dirPath = parser.value(outDir);
    if (dirPath.isEmpty()) {
        dirPath = QStringLiteral("quilm-demo-%1")
                      .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    }
    QDir dir;
    if (!dir.mkpath(dirPath)) {
        return Fail(QStringLiteral("%1: cannot create the folder").arg(dirPath));
    }

    const std::vector<DemoLine> lines = {
        {QStringLiteral("Twinkle, twinkle, little star,"), 2.0},
        {QStringLiteral("How I wonder what you are!"), 4.5},
        {QStringLiteral("Up above the world so high,"), 7.5},
        {QStringLiteral("Like a diamond in the sky."), 10.0},
    };
    const double endSeconds = 15.0;
    std::vector<uint8_t> stream(static_cast<size_t>(At(endSeconds)), 0);
    MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));

    MRwGenerator::ColourTable colours{};
    colours[11] = CdgColour::Make(0, 17, 102);   // border
    colours[15] = CdgColour::Make(0, 17, 102);   // background
    colours[12] = CdgColour::Make(128, 255, 255);  // text
    colours[13] = CdgColour::Make(0, 0, 0);        // outline
    colours[14] = CdgColour::Make(255, 238, 0);    // sweep
    uint32_t p = 0;
    for (int run = 0; run < 2; ++run) {
        p += gen.WriteColorTable(colours, p);
        p += gen.WriteBorderPreset(11, p);
        p += gen.WriteMemoryPreset(15, p);
    }
    MTextType type(QStringLiteral("Arial"), 12, 24, MTextType::kBold | MTextType::kOutline,
                   MTextType::kHCentre, MTextType::kVCentre, 13, 0, 0);
    constexpr int kLinesPerPage = 4;
    constexpr int kBackground = 15;
    constexpr int kSweep = 14;
    // Sweeps first: they keep their exact times; drawing and erasing fill the slots around them.
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto words = WordRanges(lines[i].text);
        for (size_t w = 0; w < words.size(); ++w) {
            const double start = lines[i].firstWordSeconds + kWordStepSeconds * static_cast<double>(w);
            gen.SweepWord(kLinesPerPage, static_cast<int>(i), lines[i].text, words[w].first,
                          words[w].second, type, kBackground, kSweep, false, At(start),
                          At(start + kWordSeconds), nullptr);
        }
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        gen.DrawTextBlock(kLinesPerPage, static_cast<int>(i), lines[i].text, type, kBackground, At(0.5));
        gen.EraseTextBlock(kLinesPerPage, static_cast<int>(i), lines[i].text, type, kBackground,
                           At(13.5));
    }

    const QString cdgPath = QDir(dirPath).filePath(QStringLiteral("quilm-demo.cdg"));
    QSaveFile cdg(cdgPath);
    if (!cdg.open(QIODevice::WriteOnly) ||
        cdg.write(reinterpret_cast<const char*>(stream.data()), static_cast<qint64>(stream.size())) !=
            static_cast<qint64>(stream.size()) ||
        !cdg.commit()) {
        return Fail(QStringLiteral("%1: cannot write the CD+G file").arg(cdgPath));
    }

    const double frameSeconds = 6.2;
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    decoder.DecodePackets(stream.data(), 0,
                          static_cast<uint32_t>(CdgTimeBase::PacketIndexFromFrames(
                              CdgTimeBase::FramesFromSeconds(frameSeconds))));
    const QString pngPath = QDir(dirPath).filePath(QStringLiteral("quilm-demo.png"));
    const int width = MRwRenderer::kWidth * 2;
    const int height = MRwRenderer::kHeight * 2;
    std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
    std::array<MColorRef, 16> shown{};
    renderer.ViewIndices(indices.data(), width, width, height, QRect(0, 0, width, height), &shown);
    if (!PngWriter::Write(pngPath, indices.data(), width, height, shown)) {
        return Fail(QStringLiteral("%1: cannot write the PNG file").arg(pngPath));
    }
    Out(QStringLiteral("CD+G stream (%1 s): %2").arg(endSeconds).arg(QDir(cdgPath).absolutePath()));
    Out(QStringLiteral("Frame at %1 s: %2").arg(frameSeconds).arg(QDir(pngPath).absolutePath()));
    return kOk;
}
