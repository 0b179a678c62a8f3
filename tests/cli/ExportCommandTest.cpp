// quilm-cli export: the files it writes read back by ffprobe, unzip and FFmpeg's CD+G decoder,
// the BIN's subcode against the rendered stream, and what bad arguments and folders get.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "audio/AudioFixtures.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"
#include "song/MSongSettings.h"
#include "support/CliRunner.h"
#include "support/FfmpegFrames.h"
#include "support/ScreenProbe.h"
#include "support/UnwritableFolder.h"

namespace {

QByteArray UnzipEntry(const QString& zip, const QString& name) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {"-p", zip, name});
    return unzip.waitForFinished(60000) ? unzip.readAllStandardOutput() : QByteArray();
}

// A project whose music is a 15-second tone, with title and credits pages and timed lyrics; the
// private work WAV goes to a temporary folder of the test's own.
class ExportCli : public ::testing::Test {
protected:
    void SetUp() override {
        oldTmpDir_ = qgetenv("TMPDIR");
        QDir().mkpath(Path("tmp"));
        QDir().mkpath(Path("out"));
        qputenv("TMPDIR", QFile::encodeName(Path("tmp")));
        const QString wav = Path("music.wav");
        AudioFixtures::Run(
            QStringLiteral("ffmpeg"),
            {"-f", "lavfi", "-i", "sine=frequency=330:duration=15", "-ac", "2", wav});
        MSongSettings song(Path("song.qlm"));
        song.ResetToNewProject();
        song.rawLyrics = QStringLiteral(
            "Twinkle twinkle little star\nHow I wonder what you are\n"
            "Up above the world so high\nLike a diamond in the sky");
        song.musicFile = wav;
        song.title = QStringLiteral("Twinkle");
        song.artist = QStringLiteral("Jane Taylor");
        song.GenerateKaraokeLineList(true, false);
        int32_t t = 3 * 44100;
        for (auto& line : song.lineList) {
            for (auto& w : line->words) {
                w->startTime = t;
                w->endTime = t + 20000;
                t += 22050;
            }
            line->placed = line->HasWords();
        }
        song.FindPage(IMAGE_STRUCT::kTitlePage)->enabled = true;
        song.FindPage(IMAGE_STRUCT::kTitlePage)->text = QStringLiteral("Twinkle\nJane Taylor");
        song.FindPage(IMAGE_STRUCT::kCreditsPage)->enabled = true;
        song.FindPage(IMAGE_STRUCT::kCreditsPage)->text = QStringLiteral("Thanks for singing");
        ASSERT_TRUE(song.SaveProject().IsOk());
    }
    void TearDown() override { qputenv("TMPDIR", oldTmpDir_); }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    static CliRun Cli(const QStringList& args, int timeoutMs = 120000) {
        return CliRunner::Run(QStringLiteral(QUILM_CLI_PATH), args, timeoutMs);
    }
    QStringList Out() const { return QDir(Path("out")).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir_;
    QByteArray oldTmpDir_;
};

}  // namespace

TEST_F(ExportCli, Mp3AndZippedWmaAreWhatOtherProgramsRead) {
    const CliRun render = Cli({"render", Path("song.qlm"), "-o", Path("render.cdg")});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();

    const CliRun mp3 = Cli({"export", Path("song.qlm"), "--type", "mp3", "--ratio", "160", "--lrc",
                            "enhanced", "--progress", "-o", Path("out/My.Song.mp3")});
    ASSERT_EQ(mp3.exitCode, 0) << mp3.err.toStdString();
    EXPECT_EQ(
        mp3.out.split('\n', Qt::SkipEmptyParts),
        QStringList({Path("out/My.Song.mp3"), Path("out/My.Song.cdg"), Path("out/My.Song.lrc")}));
    EXPECT_TRUE(AudioFixtures::ReadAll(Path("out/My.Song.lrc")).startsWith("[ti:Twinkle]\n"));
    EXPECT_TRUE(mp3.err.contains("Compressing Audio...")) << mp3.err.toStdString();
    EXPECT_TRUE(mp3.err.contains("100%")) << "--progress: percentages off a terminal";
    EXPECT_EQ(Out(), QStringList({"My.Song.cdg", "My.Song.lrc", "My.Song.mp3"}));

    const auto probe = AudioFixtures::Probe(Path("out/My.Song.mp3"));
    const double seconds = probe["format.duration"].toDouble();
    EXPECT_EQ(probe["stream.bit_rate"], "160000");
    EXPECT_EQ(probe["format.tag.title"], "Twinkle");
    EXPECT_EQ(probe["format.tag.artist"], "Jane Taylor");

    // The CDG file is the rendered stream, as long as the audio, and FFmpeg sees what we see.
    const QByteArray cdg = AudioFixtures::ReadAll(Path("out/My.Song.cdg"));
    EXPECT_NEAR(cdg.size() / 7200.0, seconds, 0.01);
    const QByteArray rendered = AudioFixtures::ReadAll(Path("render.cdg"));
    EXPECT_EQ(cdg.left(rendered.size()), rendered);
    EXPECT_EQ(cdg.mid(rendered.size()).count('\0'), cdg.size() - rendered.size());
    const std::vector<uint8_t> stream(cdg.begin(), cdg.end());
    for (const double t : {2.0, 5.0, 8.0, 11.0, seconds - 1}) {
        QString error;
        const QByteArray theirs = FfmpegFrames::FrameAt(stream, t, Path("tmp"), &error);
        ASSERT_FALSE(theirs.isEmpty()) << error.toStdString();
        MRwRenderer renderer;
        ScreenProbe::Decode(renderer, stream,
                            CdgTimeBase::PacketIndexFromFrames(CdgTimeBase::FramesFromSeconds(t)));
        EXPECT_EQ(FfmpegFrames::InnerDifferences(theirs, MRwScreenImage::Raw(renderer)), 0)
            << t << " s";
    }

    // Zipped WMA+G: exactly the two entries, named after the archive.
    const CliRun wma = Cli({"export", Path("song.qlm"), "--type", "wma", "--zip", "--ratio", "96",
                            "-o", Path("out/Hit.zip")});
    ASSERT_EQ(wma.exitCode, 0) << wma.err.toStdString();
    EXPECT_EQ(wma.out.trimmed(), Path("out/Hit.zip"));
    EXPECT_EQ(wma.err, QString()) << "nothing on stderr on success without --progress";
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {"-Z1", Path("out/Hit.zip")});
    ASSERT_TRUE(unzip.waitForFinished(60000));
    const QStringList names =
        QString::fromUtf8(unzip.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(names, QStringList({"Hit.wma", "Hit.cdg"}));
    ASSERT_TRUE(
        AudioFixtures::WriteAll(Path("Hit.wma"), UnzipEntry(Path("out/Hit.zip"), "Hit.wma")));
    EXPECT_EQ(AudioFixtures::Probe(Path("Hit.wma"))["stream.bit_rate"], "96000");
    // No work file stays in the temporary folder.
    EXPECT_EQ(QDir(Path("tmp")).entryList({"quilm*"}, QDir::AllEntries), QStringList());
    EXPECT_EQ(Out(), QStringList({"Hit.zip", "My.Song.cdg", "My.Song.lrc", "My.Song.mp3"}));
}

TEST_F(ExportCli, BinCarriesTheRenderedStreamUnderTheMusic) {
    const CliRun render = Cli({"render", Path("song.qlm"), "-o", Path("render.cdg")});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
    const CliRun bin =
        Cli({"export", Path("song.qlm"), "--type", "bin", "-o", Path("out/song.bin")});
    ASSERT_EQ(bin.exitCode, 0) << bin.err.toStdString();
    EXPECT_EQ(bin.out.trimmed(), Path("out/song.bin"));
    EXPECT_EQ(bin.err, QString()) << "nothing on stderr on success without --progress";
    const QByteArray file = AudioFixtures::ReadAll(Path("out/song.bin"));
    ASSERT_EQ(file.size() % 2448, 0);
    QByteArray subcode;
    for (qsizetype at = 0; at < file.size(); at += 2448) {
        subcode += file.mid(at + 2352, 96);
    }
    const QByteArray rendered = AudioFixtures::ReadAll(Path("render.cdg"));
    ASSERT_GE(subcode.size(), rendered.size());
    EXPECT_TRUE(subcode.left(rendered.size()) == rendered);
}

TEST_F(ExportCli, BadArgumentsAndFoldersThatCannotBeWritten) {
    const QString project = Path("song.qlm");
    const QStringList usage[] = {
        {"export", project, "--type", "mp3", "--ratio", "100", "-o", Path("out/x.mp3")},
        {"export", project, "--type", "wma", "--ratio", "320", "-o", Path("out/x.wma")},
        {"export", project, "--type", "bin", "--zip", "-o", Path("out/x.bin")},
        {"export", project, "--type", "ogg", "-o", Path("out/x.ogg")},
        {"export", project, "-o", Path("out/x.bin")},
        {"export", project, "--type", "bin"},
        {"export", project, "--type", "mp4", "--size", "480", "-o", Path("out/x.mp4")},
        {"export", project, "--type", "mp4", "--fps", "24", "-o", Path("out/x.mp4")},
        {"export", project, "--type", "mp4", "--lrc", "simple", "-o", Path("out/x.mp4")},
        {"export", project, "--type", "mp3", "--fps", "30", "-o", Path("out/x.mp3")},
        {"export", project, "--type", "mp3", "--lrc", "fancy", "-o", Path("out/x.mp3")},
    };
    for (const QStringList& args : usage) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.trimmed().count('\n'), 0) << r.err.toStdString();
    }
    const UnwritableFolder locked(Path("locked"));
    for (const QString& type : {QStringLiteral("bin"), QStringLiteral("mp3")}) {
        const CliRun r =
            Cli({"export", project, "--type", type, "-o", locked.Path() + "/x." + type});
        EXPECT_EQ(r.exitCode, 1);
        const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.last().startsWith("quilm-cli export: ")) << r.err.toStdString();
        EXPECT_TRUE(type == "mp3" || (lines.last().contains("Unable to create BIN file. ") &&
                                      lines.last().contains(locked.Path())))
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(QDir(Path("locked")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(Out().isEmpty());
}

TEST_F(ExportCli, VideoFramesAreTheDecodersScreensScaled) {
    // The song without its title and credits pages, so that the video lasts as the music.
    {
        MSongSettings song(Path("song.qlm"));
        ASSERT_TRUE(song.LoadProject().IsOk());
        song.FindPage(IMAGE_STRUCT::kTitlePage)->enabled = false;
        song.FindPage(IMAGE_STRUCT::kCreditsPage)->enabled = false;
        song.projectPath = Path("short.qlm");
        ASSERT_TRUE(song.SaveProject().IsOk());
    }
    const CliRun render = Cli({"render", Path("short.qlm"), "-o", Path("render.cdg")});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
    const QString mp4 = Path("out/Song.mp4");
    const CliRun video =
        Cli({"export", Path("short.qlm"), "--type", "mp4", "--lossless", "--progress", "-o", mp4},
            300000);
    ASSERT_EQ(video.exitCode, 0) << video.err.toStdString();
    EXPECT_EQ(video.out.trimmed(), mp4);
    EXPECT_TRUE(video.err.contains("100%"));
    const double seconds = AudioFixtures::Probe(mp4)["format.duration"].toDouble();
    ASSERT_GT(seconds, 10.0);

    // Ten frames, each against the decoder's screen at the moment the frame starts (a tenth of a
    // millisecond in), 3 x 3 pixels to a screen pixel, centred.
    constexpr int kW = 1280;
    constexpr int kH = 720;
    std::vector<int> frames;
    QStringList chosen;
    for (int i = 0; i < 10; ++i) {
        frames.push_back(static_cast<int>((0.5 + i * (seconds - 1) / 10) * 30));
        chosen << QStringLiteral("eq(n\\,%1)").arg(frames.back());
    }
    const QByteArray all = AudioFixtures::Run(
        QStringLiteral("ffmpeg"),
        {"-v", "error", "-i", mp4, "-vf", "select=" + chosen.join('+'), "-fps_mode", "passthrough",
         "-f", "rawvideo", "-pix_fmt", "rgb24", "pipe:1"});
    ASSERT_EQ(all.size(), qsizetype{kW} * kH * 3 * 10);
    for (int i = 0; i < 10; ++i) {
        const QString at = QString::number(frames[i] / 30.0 + 0.0001, 'f', 4);
        ASSERT_EQ(Cli({"cdg", "frame", Path("render.cdg"), "--at", at, "--scale", "3", "-o",
                       Path("frame.png")})
                      .exitCode,
                  0);
        QImage expected(kW, kH, QImage::Format_RGB888);
        expected.fill(Qt::black);
        QPainter(&expected).drawImage(190, 36, QImage(Path("frame.png")));
        const QByteArray got = all.mid(qsizetype{kW} * kH * 3 * i, kW * kH * 3);
        ASSERT_EQ(got.size(), kW * kH * 3);
        double sum[3] = {0, 0, 0};
        int far = 0;
        for (int y = 0; y < kH; ++y) {
            const uchar* e = expected.constScanLine(y);
            const auto* g = reinterpret_cast<const uchar*>(got.constData()) + y * kW * 3;
            for (int x = 0; x < kW * 3; ++x) {
                const int d = std::abs(e[x] - g[x]);
                sum[x % 3] += d;
                far += d > 32 ? 1 : 0;
            }
        }
        for (const double s : sum) {
            EXPECT_LE(s / (kW * kH), 2.0) << "at " << at.toStdString();
        }
        EXPECT_EQ(far, 0) << "every pixel where it belongs, at " << at.toStdString();
    }
}
