// MP4 video export read back by ffprobe and ffmpeg: streams, size, rate, length and tags, the
// picture in step with the sound, and what failures and a cancel leave behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cmath>

#include "audio/WavInFile.h"
#include "export/ExportFixtures.h"
#include "export/MVideoExport.h"
#include "export/MVideoFramePainter.h"

namespace {

constexpr int kFps = 30;

class VideoExportTest : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        QDir().mkpath(Path(QStringLiteral("out")));
    }
    // Eight seconds of silence with one click at 3 s, where the first word starts; the sweep
    // is set to start on the word's time.
    std::unique_ptr<MSongSettings> ClickSong() {
        const QString wav = fx_.Make(
            QStringLiteral("click.wav"),
            QStringLiteral("aevalsrc=exprs=if(between(t\\,3\\,3.002)\\,0.9\\,0):sample_rate=44100:"
                           "duration=8"),
            {QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-c:a"),
             QStringLiteral("pcm_s16le")});
        auto song = MakeSong(wav, 3.0, false, true);
        song->header.advanceSweep = 0;
        Retime(*song, QStringLiteral("Twinkle twinkle little star\nHow I wonder what you are"),
               3 * 44100, 13230, 12000);
        return song;
    }
    QStringList Out() const { return FilesIn(Path(QStringLiteral("out"))); }
};

QString StreamField(const QString& path, const QString& stream, const QString& field) {
    return QString::fromUtf8(
               AudioFixtures::Run(QStringLiteral("ffprobe"),
                                  {"-v", "error", "-select_streams", stream, "-show_entries",
                                   "stream=" + field, "-of", "default=nw=1:nk=1", path}))
        .trimmed();
}

}  // namespace

TEST_F(VideoExportTest, PictureAndSoundInStepInWhatFfmpegReads) {
    auto song = ClickSong();
    const QString target = Path(QStringLiteral("out/Song.mp4"));
    ScriptedProgress progress;
    const MExportResult r = MVideoExport(*song, &progress).Run(target, 720, kFps);
    ASSERT_TRUE(r.IsOk()) << r.status.Text().toStdString();
    EXPECT_EQ(r.files, QStringList({target}));
    EXPECT_EQ(Out(), QStringList({"Song.mp4"})) << "no temporary files stay";
    EXPECT_EQ(progress.titles.value(0), MVideoExport::kProgressTitle);
    EXPECT_EQ(progress.percents.back(), 100);

    // H.264 and AAC, 1280 x 720 at 30 fps, as long as the lead-in, music and credits.
    auto probe = AudioFixtures::Probe(target);
    EXPECT_EQ(probe["stream.codec_name"], "h264");
    EXPECT_EQ(probe["stream.width"], "1280");
    EXPECT_EQ(probe["stream.height"], "720");
    EXPECT_EQ(probe["stream.r_frame_rate"], "30/1");
    EXPECT_EQ(probe["format.tag.title"], "Twinkle");
    EXPECT_EQ(probe["format.tag.artist"], "Jane Taylor");
    EXPECT_EQ(StreamField(target, "a", "codec_name"), "aac");
    uint32_t used = 0;
    const int32_t leadIn = song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(), &used,
                                               MSongSettings::kFromTheStart);
    ASSERT_GT(song->creditsFrames, 0);
    const double expected =
        (leadIn + WavInFile(host_.workWav).SampleFrames() + song->creditsFrames) / 44100.0;
    EXPECT_NEAR(probe["stream.duration"].toDouble(), expected, 1.0 / kFps);
    EXPECT_NEAR(probe["format.duration"].toDouble(), expected, 1.0 / kFps);
    // The index is at the front, before the media data.
    const QByteArray file = AudioFixtures::ReadAll(target);
    EXPECT_GE(file.indexOf("mdat"), 0);
    EXPECT_LT(file.indexOf("moov"), file.indexOf("mdat"));

    // The click as the decoded sound has it...
    const QByteArray pcm = AudioFixtures::DecodeS16(target);
    const auto* samples = reinterpret_cast<const int16_t*>(pcm.constData());
    qsizetype click = -1;
    for (qsizetype i = 0; i < pcm.size() / 2 && click < 0; ++i) {
        if (std::abs(samples[i]) > 12000) {
            click = i / 2;
        }
    }
    ASSERT_GT(click, 0);
    const double clickSeconds = static_cast<double>(click) / 44100;
    EXPECT_NEAR(clickSeconds, 3.0 + leadIn / 44100.0, 0.01);
    // ... and the first frame in which the first word's sweep shows, in the second around it.
    constexpr int kW = 640;
    constexpr int kH = 360;
    constexpr int kFrameBytes = kW * kH * 3;
    const auto first = static_cast<int>((clickSeconds - 0.5) * kFps);
    const QByteArray video =
        AudioFixtures::Run(QStringLiteral("ffmpeg"),
                           {"-v", "error", "-i", target, "-vf",
                            QStringLiteral("trim=start_frame=%1:end_frame=%2,setpts=PTS-STARTPTS,"
                                           "scale=%3:%4:flags=neighbor")
                                .arg(first)
                                .arg(first + kFps)
                                .arg(kW)
                                .arg(kH),
                            "-f", "rawvideo", "-pix_fmt", "rgb24", "pipe:1"});
    ASSERT_EQ(video.size(), qsizetype{kFrameBytes} * kFps);
    int sweep = -1;
    for (int n = 1; n < kFps && sweep < 0; ++n) {
        const auto* a = reinterpret_cast<const uint8_t*>(video.constData()) + (n - 1) * kFrameBytes;
        const uint8_t* b = a + kFrameBytes;
        int changed = 0;
        for (int i = 0; i < kFrameBytes; ++i) {
            changed += std::abs(a[i] - b[i]) > 64 ? 1 : 0;
        }
        if (changed >= 16) {
            sweep = first + n;
        }
    }
    ASSERT_GE(sweep, 0);
    EXPECT_NEAR(static_cast<double>(sweep) / kFps, clickSeconds, 1.0 / kFps + 0.005);
}

TEST_F(VideoExportTest, FailuresAndCancelLeaveTheTargetAsItWas) {
    auto song = ClickSong();
    const QString target = Path(QStringLiteral("out/Song.mp4"));
    ASSERT_TRUE(AudioFixtures::WriteAll(target, "old"));

    struct Case {
        const char* encoder;
        const char* says;
    };
    for (const Case c :
         {Case{"no-such-encoder", "The video encoder no-such-encoder is not available."},
          Case{"png", "The video encoder png cannot be opened"}}) {
        MVideoExport exporter(*song, nullptr);
        exporter.SetEncoder(QString::fromLatin1(c.encoder));
        const MExportResult r = exporter.Run(target, 720, kFps);
        ASSERT_FALSE(r.IsOk());
        EXPECT_TRUE(r.status.Text().startsWith(MVideoExport::kCreateErrorText));
        EXPECT_TRUE(r.status.Text().contains(c.says)) << r.status.Text().toStdString();
    }
    {
        // A disk that fills up half way.
        const FileSizeLimit limit(100000);
        const MExportResult r = MVideoExport(*song, nullptr).Run(target, 720, kFps);
        ASSERT_FALSE(r.IsOk());
        EXPECT_TRUE(r.status.Text().startsWith(MVideoExport::kWriteErrorText));
        EXPECT_TRUE(r.status.Text().contains(target + QStringLiteral(": ")))
            << r.status.Text().toStdString();
    }
    ScriptedProgress progress;
    progress.cancelAtPoll = 20;
    const MExportResult r = MVideoExport(*song, &progress).Run(target, 1080, 60);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(progress.titles.last(), MExportResult::kCancelledText);
    EXPECT_EQ(AudioFixtures::ReadAll(target), "old");
    EXPECT_EQ(Out(), QStringList({"Song.mp4"}));

    // A stream buffer that holds two seconds of a longer song: the picture stays as the last
    // packet left it while the music plays on.
    song->rwBuffer.Assign(2 * 7200);
    const MExportResult cut = MVideoExport(*song, nullptr).Run(Path("out/Cut.mp4"), 720, kFps);
    ASSERT_TRUE(cut.IsOk()) << cut.status.Text().toStdString();
    EXPECT_GT(AudioFixtures::Probe(Path("out/Cut.mp4"))["format.duration"].toDouble(), 8.0);
}

TEST(VideoFramePainter, WholePixelBlocksCentredOnBlack) {
    const MVideoFramePainter hd(1280, 720, true);
    EXPECT_EQ(hd.Scale(), 3);
    EXPECT_EQ(hd.Left(), 190);
    EXPECT_EQ(hd.Top(), 36);
    const MVideoFramePainter fullHd(1920, 1080, true);
    EXPECT_EQ(fullHd.Scale(), 5);
    EXPECT_EQ(fullHd.Left(), 210);
    EXPECT_EQ(fullHd.Top(), 0);
    EXPECT_EQ(MVideoExport::WidthFor(720), 1280);
    EXPECT_EQ(MVideoExport::WidthFor(1080), 1920);
    // Studio-range BT.709: black, white and pure blue.
    EXPECT_EQ(MVideoFramePainter::YuvOf(CdgColour::Make(0, 0, 0)),
              (std::array<uint8_t, 3>{16, 128, 128}));
    EXPECT_EQ(MVideoFramePainter::YuvOf(CdgColour::Make(255, 255, 255)),
              (std::array<uint8_t, 3>{235, 128, 128}));
    EXPECT_EQ(MVideoFramePainter::YuvOf(CdgColour::Make(0, 0, 255)),
              (std::array<uint8_t, 3>{32, 240, 118}));
}
