// The BIN export: sector layout read back from the file, the music and the stream it carries,
// and what a cancelled or failed export leaves behind.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include "export/ExportFixtures.h"
#include "export/MBinExport.h"
#include "export/MPcm16StereoReader.h"
#include "log/MEventLog.h"
#include "support/UnwritableFolder.h"

namespace {

struct SplitBin {
    QByteArray audio;
    QByteArray subcode;
};

SplitBin Split(const QByteArray& bin) {
    SplitBin s;
    for (qsizetype at = 0; at + 2448 <= bin.size(); at += 2448) {
        s.audio += bin.mid(at, 2352);
        s.subcode += bin.mid(at + 2352, 96);
    }
    return s;
}

bool AllZero(const QByteArray& bytes) {
    return bytes.count('\0') == bytes.size();
}

QByteArray Bytes(const std::vector<uint8_t>& v, size_t from, size_t n) {
    return QByteArray(reinterpret_cast<const char*>(v.data() + from), static_cast<qsizetype>(n));
}

class BinExportTest : public ExportTest {
protected:
    // Writes a BIN from a WAV holding the given data bytes (16-bit stereo) and a stream buffer.
    SplitBin WriteFromData(const QByteArray& data, const std::vector<uint8_t>& rw, uint32_t used,
                           uint32_t leadIn, qint64* binBytes) {
        const QString wav = Path(QStringLiteral("data.wav"));
        EXPECT_TRUE(
            AudioFixtures::WriteAll(wav, WavImage().Fmt(1, 2, 44100, 16).Data(data).Bytes()));
        MPcm16StereoReader reader;
        EXPECT_TRUE(reader.Open(wav, leadIn).IsOk());
        const QString bin = Path(QStringLiteral("data.bin"));
        const MExportResult r = MBinExport::WriteSectors(
            reader, rw.data(), static_cast<uint32_t>(rw.size()), used, bin, nullptr);
        EXPECT_TRUE(r.IsOk()) << r.status.Text().toStdString();
        const QByteArray file = AudioFixtures::ReadAll(bin);
        *binBytes = file.size();
        return Split(file);
    }

    static QByteArray Noise(qsizetype n) {
        QByteArray b(n, Qt::Uninitialized);
        for (qsizetype i = 0; i < n; ++i) {
            b[i] = static_cast<char>(1 + (i * 7919) % 251);
        }
        return b;
    }
    static std::vector<uint8_t> Stream(size_t n) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i) {
            v[i] = static_cast<uint8_t>(1 + i % 199);
        }
        return v;
    }
};

}  // namespace

TEST_F(BinExportTest, SectorsCarryTheMusicAndTheStreamInStep) {
    qint64 size = 0;
    // One block of music and one block of stream: 13 sectors exactly.
    {
        const QByteArray data = Noise(30576);
        const auto rw = Stream(1248 * 20);
        const SplitBin s = WriteFromData(data, rw, 1248, 0, &size);
        EXPECT_EQ(size, 31824);
        EXPECT_EQ(s.audio, data);
        EXPECT_EQ(s.subcode, Bytes(rw, 0, 1248));
    }
    // Music that ends inside a sector: the last sector's tails are zero.
    {
        const QByteArray data = Noise(5000);
        const auto rw = Stream(1248 * 20);
        const SplitBin s = WriteFromData(data, rw, 100, 0, &size);
        EXPECT_EQ(size, 3 * 2448);
        EXPECT_EQ(s.audio.left(5000), data);
        EXPECT_TRUE(AllZero(s.audio.mid(5000)));
        const qsizetype sub = 5000 * 1248 / 30576;
        EXPECT_EQ(s.subcode.left(sub), Bytes(rw, 0, static_cast<size_t>(sub)));
        EXPECT_TRUE(AllZero(s.subcode.mid(sub)));
    }
    // Lead-in: silence first, then the music.
    {
        const QByteArray data = Noise(40000);
        const auto rw = Stream(1248 * 40);
        const SplitBin s = WriteFromData(data, rw, 1248, 1000, &size);
        EXPECT_TRUE(AllZero(s.audio.left(4000)));
        EXPECT_EQ(s.audio.mid(4000, data.size()), data);
        EXPECT_EQ(size % 2448, 0);
    }
    // A stream longer than the music goes on in silent sectors, to its end...
    {
        const QByteArray data = Noise(2352);
        const auto rw = Stream(1248 * 3 + 50 + 5000);
        const SplitBin s = WriteFromData(data, rw, 1248 * 3 + 50, 0, &size);
        EXPECT_EQ(size, 40 * 2448);
        EXPECT_EQ(s.audio.left(2352), data);
        EXPECT_TRUE(AllZero(s.audio.mid(2352)));
        EXPECT_EQ(s.subcode, Bytes(rw, 0, 40 * 96));
    }
    // ...but never within a block of the buffer's end.
    {
        const auto rw = Stream(1248 * 5);
        const SplitBin s = WriteFromData(Noise(2352), rw, 1248 * 5, 0, &size);
        EXPECT_EQ(s.subcode, Bytes(rw, 0, 96 + 1248 * 4));
    }
}

TEST_F(BinExportTest, ASongSplitsBackIntoLeadInMusicAndStream) {
    for (const QString& format : {QStringLiteral("s16"), QStringLiteral("u8")}) {
        const int channels = format == QLatin1String("s16") ? 2 : 1;
        const QString wav =
            MakeWav(QStringLiteral("music-%1.wav").arg(format), 12.0, channels, format);
        auto song = MakeSong(wav, 1.0, false, true);
        ScriptedProgress progress;
        const QString bin = Path(QStringLiteral("song.bin"));
        const MExportResult r = MBinExport(*song, &progress).Run(bin);
        ASSERT_TRUE(r.IsOk()) << r.status.Text().toStdString();
        EXPECT_EQ(r.files, QStringList{bin});
        EXPECT_EQ(progress.titles.value(0), "Exporting project to BIN file...");
        EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
        EXPECT_EQ(progress.percents.back(), 100);

        // The same render again tells what the BIN must hold.
        uint32_t used = 0;
        const int32_t leadIn = song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(),
                                                   &used, MSongSettings::kFromTheStart);
        ASSERT_GT(leadIn, 0) << "the first page needs time before the first word";
        QByteArray music = AudioFixtures::DecodeS16(host_.workWav);  // 8-bit mono widened here
        if (channels == 1) {
            QByteArray stereo;
            for (qsizetype i = 0; i + 1 < music.size(); i += 2) {
                stereo += music.mid(i, 2) + music.mid(i, 2);
            }
            music = stereo;
        }
        const QByteArray file = AudioFixtures::ReadAll(bin);
        ASSERT_EQ(file.size() % 2448, 0);
        const SplitBin s = Split(file);
        EXPECT_TRUE(AllZero(s.audio.left(leadIn * 4)));
        EXPECT_TRUE(s.audio.mid(leadIn * 4, music.size()) == music) << format.toStdString();
        EXPECT_TRUE(AllZero(s.audio.mid(leadIn * 4 + music.size())));
        EXPECT_LT(s.audio.size() - (leadIn * 4 + music.size()), 2352 * 13);
        ASSERT_GE(static_cast<uint32_t>(s.subcode.size()), used);
        EXPECT_TRUE(s.subcode.left(used) ==
                    QByteArray(reinterpret_cast<const char*>(song->rwBuffer.data()), used));
        EXPECT_TRUE(AllZero(s.subcode.mid(used)));
    }
}

TEST_F(BinExportTest, CancelledOrFailedExportsLeaveNothing) {
    const QString wav = MakeWav(QStringLiteral("music.wav"), 20.0, 2);
    auto song = MakeSong(wav, 3.0, true, true);
    const QString bin = Path(QStringLiteral("out/song.bin"));
    QDir().mkpath(Path(QStringLiteral("out")));
    ASSERT_TRUE(AudioFixtures::WriteAll(bin, "the previous export"));

    ScriptedProgress progress;
    progress.cancelAtPoll = 5;
    MExportResult r = MBinExport(*song, &progress).Run(bin);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(progress.titles.last(), "Process canceled by user...");
    EXPECT_EQ(AudioFixtures::ReadAll(bin), "the previous export");
    EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))), QStringList{QStringLiteral("song.bin")});

    // A full disk (or any failed write) stops the export with a message.
    {
        FileSizeLimit limit(200000);
        r = MBinExport(*song, nullptr).Run(bin);
    }
    EXPECT_FALSE(r.IsOk());
    EXPECT_FALSE(r.cancelled);
    EXPECT_TRUE(r.status.Text().startsWith("Unable to write BIN file."))
        << r.status.Text().toStdString();
    EXPECT_EQ(r.status.Title(), "Error");
    EXPECT_EQ(AudioFixtures::ReadAll(bin), "the previous export");
    EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))), QStringList{QStringLiteral("song.bin")});

    const UnwritableFolder folder(Path(QStringLiteral("locked")));
    const QString locked = folder.Path();
    r = MBinExport(*song, nullptr).Run(locked + QStringLiteral("/song.bin"));
    EXPECT_TRUE(r.status.Text().startsWith("Unable to create BIN file.\n\n" + locked))
        << r.status.Text().toStdString();
    EXPECT_EQ(r.status.Title(), "Error");
    EXPECT_EQ(r.status.GetIcon(), MStatus::Icon::Warning);
    EXPECT_FALSE(QFileInfo::exists(locked + QStringLiteral("/song.bin")));
}

TEST_F(BinExportTest, RefusesMusicThatIsNotCdRateAndLogsTheCommand) {
    const QString wav =
        fx_.Make(QStringLiteral("slow.wav"), QStringLiteral("sine=sample_rate=22050:duration=5"),
                 {QStringLiteral("-ac"), QStringLiteral("2")});
    auto song = MakeSong(wav, 1.0, false, false);
    MExportResult r = MBinExport(*song, nullptr).Run(Path(QStringLiteral("slow.bin")));
    EXPECT_EQ(r.status.Title(), "BIN not allowed");
    EXPECT_EQ(
        r.status.Text(),
        "BIN is not allowed because the Audio Sample\nRate is not 44,100 samples per second.\n");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("slow.bin"))));

    // With the event log on, the command is recorded as user action 2.
    song = MakeSong(MakeWav(QStringLiteral("music.wav"), 6.0, 2), 1.0, false, false);
    const QString logPath = Path(QStringLiteral("events.log"));
    MEventLog::Global().SetPath(logPath);
    r = MBinExport(*song, nullptr).Run(Path(QStringLiteral("logged.bin")));
    MEventLog::Global().SetPath(QString());
    ASSERT_TRUE(r.IsOk());
    const QByteArray log = AudioFixtures::ReadAll(logPath);
    const qsizetype at = log.indexOf("Export BIN");
    ASSERT_GE(at, 17);
    EXPECT_EQ(log.mid(at - 17, 4), "LOGU");
    EXPECT_EQ(log[at - 5], '\x02');
    EXPECT_EQ(qFromLittleEndian<int32_t>(log.constData() + at - 4), 10);
}
