// quilm-cli info and render on real project files, and whole rendered songs against FFmpeg.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cdg/CdgTimeBase.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"
#include "song/MProjectFile.h"
#include "song/MSongSettings.h"
#include "support/CliRunner.h"
#include "support/FfmpegFrames.h"
#include "support/ScreenProbe.h"

namespace {

CliRun Cli(const QStringList& args) {
    return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args);
}

// A timed song of eight lines with title and credits pages and a lyrics-page picture.
std::unique_ptr<MSongSettings> Song(const QString& path, int drawTransition, int eraseTransition) {
    auto song = std::make_unique<MSongSettings>(path);
    song->ResetToNewProject();
    song->rawLyrics = QStringLiteral(
        "Twinkle, twinkle, little star,\nHow I wonder what you are!\nUp above the world so high,\n"
        "Like a diamond in the sky.\n^\nTwinkle, twinkle, little star,\nHow I won*der what you "
        "are!");
    song->title = QStringLiteral("Twinkle");
    song->artist = QStringLiteral("Traditional");
    song->GenerateKaraokeLineList(true, false);
    int32_t t = 3 * 44100;
    for (auto& line : song->lineList) {
        for (auto& w : line->words) {
            w->startTime = t;
            w->endTime = t + 20000;
            t += 24000;
        }
        line->placed = line->HasWords();
    }
    IMAGE_STRUCT* title = song->FindPage(IMAGE_STRUCT::kTitlePage);
    title->enabled = true;
    title->text = QStringLiteral("Twinkle Twinkle\nTraditional");
    title->drawTransition = drawTransition;
    title->eraseTransition = eraseTransition;
    title->displayTime = 150;
    IMAGE_STRUCT* credits = song->FindPage(IMAGE_STRUCT::kCreditsPage);
    credits->enabled = true;
    credits->text = QStringLiteral("Made with Quilm");
    credits->drawTransition = eraseTransition;
    QImage img(120, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            img.setPixel(x, y, qRgb(x * 2, y * 4, 255 - x * 2));
        }
    }
    credits->picture.LoadImage(img);
    credits->hasGraphic = true;
    credits->placement = 1;
    IMAGE_STRUCT* lyrics = song->FindPage(IMAGE_STRUCT::kLyricsPage);
    lyrics->picture.LoadImage(img);
    lyrics->picture.SetColour(11, CdgColour::Make(0, 17, 102));
    lyrics->picture.SetColour(12, CdgColour::Make(128, 255, 255));
    lyrics->picture.SetColour(13, CdgColour::Make(0, 0, 0));
    lyrics->picture.SetColour(14, CdgColour::Make(255, 238, 0));
    lyrics->picture.SetColour(15, CdgColour::Make(0, 17, 102));
    lyrics->hasGraphic = true;
    lyrics->textArea = IMAGE_STRUCT::kTextAreaHalf;
    lyrics->drawTransition = drawTransition;
    return song;
}

std::vector<uint8_t> ReadStream(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray b = f.readAll();
    return std::vector<uint8_t>(b.begin(), b.end());
}

}  // namespace

TEST(ProjectCli, InfoTellsWhatTheProjectHolds) {
    QTemporaryDir dir;
    auto song = Song(dir.filePath(QStringLiteral("s.qlm")), 2, 9);
    ASSERT_TRUE(song->SaveProject().IsOk());
    const CliRun text = Cli({QStringLiteral("info"), song->projectPath});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("version: 600")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("lines: 6")));
    EXPECT_TRUE(
        text.out.contains(QStringLiteral("page 101: enabled, draw Fill Down, erase Fade In")));
    const CliRun json = Cli({QStringLiteral("info"), song->projectPath, QStringLiteral("--json")});
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("words")].toInt(), song->WordCount());
    EXPECT_EQ(o[QStringLiteral("placedWords")].toInt(), song->WordCount());
    EXPECT_EQ(o[QStringLiteral("pages")].toArray().size(), 3);
    EXPECT_EQ(o[QStringLiteral("title")].toString(), QStringLiteral("Twinkle"));
    EXPECT_TRUE(
        o[QStringLiteral("pages")].toArray()[1].toObject()[QStringLiteral("graphic")].toBool());

    // Damaged and missing projects get one clear line.
    QByteArray bytes = MProjectFile::Serialize(*song);
    QFile bad(dir.filePath(QStringLiteral("bad.qlm")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(bytes.left(bytes.size() / 2));
    bad.close();
    for (const QString& path : {bad.fileName(), dir.filePath(QStringLiteral("none.qlm"))}) {
        for (const QString& cmd : {QStringLiteral("info"), QStringLiteral("render")}) {
            const CliRun r =
                Cli({cmd, path, QStringLiteral("-o"), dir.filePath(QStringLiteral("x.cdg"))});
            EXPECT_NE(r.exitCode, 0);
            EXPECT_FALSE(r.crashed);
            EXPECT_EQ(r.err.trimmed().count(QLatin1Char('\n')), 0) << r.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.cdg"))));
}

TEST(ProjectCli, RenderWritesTheStreamAndItsSchedule) {
    QTemporaryDir dir;
    dir.setAutoRemove(!qEnvironmentVariableIsSet("QUILM_KEEP_TEST_FILES"));
    auto song = Song(dir.filePath(QStringLiteral("s.qlm")), 2, 2);
    ASSERT_TRUE(song->SaveProject().IsOk());
    const QString cdg = dir.filePath(QStringLiteral("s.cdg"));
    const CliRun run = Cli({QStringLiteral("render"), song->projectPath, QStringLiteral("-o"), cdg,
                            QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const qint64 length = o[QStringLiteral("streamLengthBytes")].toInteger();
    EXPECT_EQ(QFile(cdg).size(), length);
    EXPECT_EQ(length % 24, 0);
    EXPECT_GT(o[QStringLiteral("leadInFrames")].toInt(), 0)
        << "the title page needs time before the music";
    EXPECT_GT(o[QStringLiteral("creditsFrames")].toInt(), 0);
    const QJsonArray lines = o[QStringLiteral("lines")].toArray();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[5].toObject()[QStringLiteral("text")].toString(),
              QStringLiteral("How I wonder what you are!"))
        << "marks are converted for output";
    EXPECT_EQ(lines[4].toObject()[QStringLiteral("page")].toInt(), 1);
    EXPECT_GT(lines[4].toObject()[QStringLiteral("drawTime")].toInt(), 0);
    EXPECT_EQ(lines[0].toObject()[QStringLiteral("words")].toArray().size(), 4);
}

TEST(ProjectCli, WholeSongsDecodeAlikeInFfmpeg) {
    QTemporaryDir dir;
    // Every transition that does not scroll, as draw and as erase transition.
    const std::pair<int, int> transitions[] = {{0, 1}, {2, 3}, {8, 10}, {9, 2}};
    for (const auto& [draw, erase] : transitions) {
        auto song = Song(dir.filePath(QStringLiteral("t.qlm")), draw, erase);
        ASSERT_TRUE(song->SaveProject().IsOk());
        const QString cdg = dir.filePath(QStringLiteral("t.cdg"));
        const CliRun run =
            Cli({QStringLiteral("render"), song->projectPath, QStringLiteral("-o"), cdg});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const std::vector<uint8_t> stream = ReadStream(cdg);
        const double seconds =
            static_cast<double>(stream.size()) / CdgTimeBase::kStreamBytesPerSecond;
        for (int k = 1; k <= 12; ++k) {
            const double t = seconds * k / 12.5;
            QString error;
            const QByteArray theirs = FfmpegFrames::FrameAt(stream, t, dir.path(), &error);
            ASSERT_FALSE(theirs.isEmpty()) << error.toStdString();
            MRwRenderer renderer;
            ScreenProbe::Decode(
                renderer, stream,
                CdgTimeBase::PacketIndexFromFrames(CdgTimeBase::FramesFromSeconds(t)));
            EXPECT_EQ(FfmpegFrames::InnerDifferences(theirs, MRwScreenImage::Raw(renderer)), 0)
                << "transitions " << draw << "/" << erase << " at " << t << " s";
        }
    }
}
