// MP3+G and WMA+G exports read back with ffprobe and unzip: length, bit rate, tags, the CDG file
// beside the audio, the zipped form, and what failures leave behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "audio/CheckMp3Support.h"
#include "audio/EncodingProbes.h"
#include "audio/MLameLibrary.h"
#include "audio/WavInFile.h"
#include "base/MWorkFolder.h"
#include "export/ExportFixtures.h"
#include "export/MCompressedExport.h"
#include "export/MExportSettings.h"
#include "export/UnzipTool.h"
#include "log/MEventLog.h"
#include "support/UnwritableFolder.h"

namespace {

// The LAME library as the application binds it at start-up.
MLameLibrary& Lame() {
    static const bool available = CheckMp3Support(MLameLibrary::Shared(), nullptr, nullptr, false);
    EXPECT_TRUE(available);
    return MLameLibrary::Shared();
}

class CompressedExportTest : public ExportTest {
protected:
    // Exports and checks what ffprobe and the CDG file say against the song.
    void ExpectExport(int type, int ratioKbps, const QString& name) {
        auto song = MakeSong(MakeWav(QStringLiteral("music.wav"), 10.0, 1, QStringLiteral("u8")),
                             2.0, true, true);
        QDir().mkpath(Path(QStringLiteral("out")));
        const QString target = Path(QStringLiteral("out/") + name);
        const MExportResult r =
            MCompressedExport(*song, Lame(), nullptr).Run(target, type, false, ratioKbps);
        ASSERT_TRUE(r.IsOk()) << r.status.Text().toStdString();
        const QString cdg = MCompressedExport::ReplaceExtension(target, QStringLiteral(".cdg"));
        EXPECT_EQ(r.files, QStringList({target, cdg}));
        EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))).size(), 2) << "no temporary files stay";

        uint32_t used = 0;
        const int32_t leadIn = song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(),
                                                   &used, MSongSettings::kFromTheStart);
        ASSERT_GT(leadIn, 0);
        ASSERT_GT(song->creditsFrames, 0);
        const double expected =
            (leadIn + WavInFile(host_.workWav).SampleFrames() + song->creditsFrames) / 44100.0;
        auto probe = AudioFixtures::Probe(target);
        const double seconds = probe["format.duration"].toDouble();
        // An MP3 starts with the encoder's delay, which ffprobe counts in the duration and
        // reports as the start time; decoders drop it.
        const double start = probe["stream.start_time"].toDouble();
        EXPECT_NEAR(seconds - start, expected, 0.05) << name.toStdString();
        EXPECT_LT(start, 0.03);
        EXPECT_EQ(probe["stream.bit_rate"].toInt(), ratioKbps * 1000) << name.toStdString();
        EXPECT_EQ(probe["format.tag.title"], "Twinkle");
        EXPECT_EQ(probe["format.tag.artist"], "Jane Taylor");

        // The lead-in is silence (the music is 8-bit, whose silence is 128, not 0), the music
        // follows. Decoding drops the encoder's delay; the transform codecs smear the onset of
        // the music over one block before it.
        const auto samples = EncodingProbes::Samples(AudioFixtures::DecodeS16(target));
        const int channels = probe["stream.channels"].toInt();
        const auto at = static_cast<size_t>(leadIn);
        EXPECT_LT(EncodingProbes::Peak(samples, channels, 0, at - 4410), 64);
        EXPECT_GT(EncodingProbes::Peak(samples, channels, at + 4410, at + 20000), 2000);

        // The CDG file lasts as long as the audio, in whole packets of the song's stream.
        const QByteArray stream = AudioFixtures::ReadAll(cdg);
        EXPECT_EQ(stream.size() % 24, 0);
        EXPECT_NEAR(stream.size() / 7200.0, seconds, 0.01);
        ASSERT_GE(static_cast<uint32_t>(stream.size()), used);
        EXPECT_TRUE(stream == QByteArray(reinterpret_cast<const char*>(song->rwBuffer.data()),
                                         stream.size()));
    }
};

}  // namespace

TEST_F(CompressedExportTest, FilesAreNamedAfterTheChoice) {
    EXPECT_EQ(MCompressedExport::ReplaceExtension("/a/My.Song.mp3", ".cdg"), "/a/My.Song.cdg");
    EXPECT_EQ(MCompressedExport::ReplaceExtension("/a.b/Song", ".cdg"), "/a.b/Song.cdg");
    EXPECT_EQ(
        MCompressedExport::AudioTargetPath("/x/Hit.zip", MExportSettings::kMp3, true, "/tmp/t"),
        "/tmp/t/Hit.mp3");
    EXPECT_EQ(
        MCompressedExport::AudioTargetPath("/x/Hit.v2.zip", MExportSettings::kWma, true, "/t"),
        "/t/Hit.v2.wma");
    EXPECT_EQ(MCompressedExport::AudioTargetPath("/x/Hit.mp3", MExportSettings::kMp3, false, "/t"),
              "/x/Hit.mp3");
    EXPECT_EQ(MCompressedExport::WmaProfileNumber(96), 23);
    EXPECT_EQ(MCompressedExport::WmaProfileNumber(128), 24);
    EXPECT_EQ(MCompressedExport::WmaProfileNumber(192), 26);
    EXPECT_EQ(MCompressedExport::WmaProfileNumber(100), 24);
    // Whole packets nearest the duration, never beyond the buffer; all of it when unknown.
    EXPECT_EQ(MCompressedExport::CdgLengthBytes(1000, 100000), 7200u);
    EXPECT_EQ(MCompressedExport::CdgLengthBytes(1001, 100000), 7200u);
    EXPECT_EQ(MCompressedExport::CdgLengthBytes(1002, 100000), 7224u);
    EXPECT_EQ(MCompressedExport::CdgLengthBytes(60000, 100000), 99984u);
    EXPECT_EQ(MCompressedExport::CdgLengthBytes(0, 100000), 100000u);
}

TEST_F(CompressedExportTest, Mp3PlaysAsLongAsLeadInMusicAndCredits) {
    ExpectExport(MExportSettings::kMp3, 192, QStringLiteral("My.Song.mp3"));
}

TEST_F(CompressedExportTest, WmaPlaysAsLongAsLeadInMusicAndCredits) {
    ExpectExport(MExportSettings::kWma, 96, QStringLiteral("Song.wma"));
}

TEST_F(CompressedExportTest, ZippedExportHoldsExactlyTheTwoFiles) {
    auto song = MakeSong(MakeWav(QStringLiteral("music.wav"), 8.0, 2), 2.0, false, false);
    QDir().mkpath(Path(QStringLiteral("out")));
    const QString chosen = Path(QStringLiteral("out/Hit.zip"));
    MEventLog::Global().SetPath(Path(QStringLiteral("events.log")));
    const MExportResult r =
        MCompressedExport(*song, Lame(), nullptr).Run(chosen, MExportSettings::kMp3, true, 128);
    MEventLog::Global().SetPath(QString());
    ASSERT_TRUE(r.IsOk()) << r.status.Text().toStdString();
    // The command is recorded as user action 3, named after the file made.
    const QByteArray log = AudioFixtures::ReadAll(Path(QStringLiteral("events.log")));
    const qsizetype at = log.indexOf("Export zip");
    ASSERT_GE(at, 17);
    EXPECT_EQ(log.mid(at - 17, 4), "LOGU");
    EXPECT_EQ(log[at - 5], '\x03');
    EXPECT_EQ(r.files, QStringList{chosen});
    EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))), QStringList{QStringLiteral("Hit.zip")});
    // The parts are gone from the work folder once packed.
    EXPECT_EQ(QDir(MWorkFolder::Process().Path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList());
    QStringList names;
    for (const UnzipEntry& e : UnzipTool::List(chosen)) {
        names << e.name;
    }
    EXPECT_EQ(names, QStringList({"Hit.mp3", "Hit.cdg"}));
    const QString mp3 = Path(QStringLiteral("Hit.mp3"));
    ASSERT_TRUE(
        AudioFixtures::WriteAll(mp3, UnzipTool::Extract(chosen, QStringLiteral("Hit.mp3"))));
    EXPECT_EQ(AudioFixtures::Probe(mp3).value("stream.codec_name"), "mp3");
    const QByteArray cdg = UnzipTool::Extract(chosen, QStringLiteral("Hit.cdg"));
    ASSERT_GT(cdg.size(), 0);
    EXPECT_EQ(cdg, QByteArray(reinterpret_cast<const char*>(song->rwBuffer.data()), cdg.size()));
}

TEST_F(CompressedExportTest, FailuresAndCancelsLeaveNothingBehind) {
    auto song = MakeSong(MakeWav(QStringLiteral("music.wav"), 30.0, 2), 2.0, true, true);
    QDir().mkpath(Path(QStringLiteral("out")));
    const QString mp3 = Path(QStringLiteral("out/song.mp3"));
    ASSERT_TRUE(AudioFixtures::WriteAll(mp3, "the previous export"));
    uint32_t used = 0;  // the work WAV takes its final length
    song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(), &used,
                        MSongSettings::kFromTheStart);
    const QStringList before = FilesIn(Path(QStringLiteral("out")));
    const QStringList tempBefore = FilesIn(TempFolder());

    for (const int type : {MExportSettings::kMp3, MExportSettings::kWma}) {
        for (const bool zip : {false, true}) {
            const QString chosen = zip ? Path(QStringLiteral("out/song.zip")) : mp3;
            ScriptedProgress progress;
            progress.cancelAtPoll = 3;
            MExportResult r =
                MCompressedExport(*song, Lame(), &progress).Run(chosen, type, zip, 128);
            EXPECT_TRUE(r.cancelled) << type << zip << r.status.Text().toStdString();
            EXPECT_EQ(progress.titles.value(0), "Compressing Audio...");

            // The encoder cannot write (as on a full disk).
            {
                FileSizeLimit limit(100000);
                r = MCompressedExport(*song, Lame(), nullptr).Run(chosen, type, zip, 128);
            }
            EXPECT_FALSE(r.IsOk());
            EXPECT_FALSE(r.cancelled);
            EXPECT_TRUE(r.status.Text().startsWith(type == MExportSettings::kMp3
                                                       ? "Unable to create the MP3 file."
                                                       : "Unable to create the WMA file."))
                << r.status.Text().toStdString();
            EXPECT_EQ(r.status.GetIcon(), MStatus::Icon::Error);
            EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))), before);
            EXPECT_EQ(FilesIn(TempFolder()), tempBefore);
        }
    }
    EXPECT_EQ(AudioFixtures::ReadAll(mp3), "the previous export");

    const UnwritableFolder folder(Path(QStringLiteral("locked")));
    const QString locked = folder.Path();
    const MExportResult r =
        MCompressedExport(*song, Lame(), nullptr)
            .Run(locked + QStringLiteral("/song.mp3"), MExportSettings::kMp3, false, 128);
    EXPECT_FALSE(r.IsOk());
    EXPECT_TRUE(r.status.Text().contains(locked)) << r.status.Text().toStdString();
    EXPECT_EQ(r.status.GetIcon(), MStatus::Icon::Error);
    EXPECT_FALSE(QFileInfo::exists(locked + QStringLiteral("/song.mp3")));
}
