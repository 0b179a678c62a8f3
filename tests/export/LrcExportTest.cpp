// LRC files written with WMA+G and MP3+G: read back by our own LRC import, and held to the
// conventions music players parse (one tag to a line, two-digit hundredths, UTF-8).

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "audio/MLameLibrary.h"
#include "export/ExportFixtures.h"
#include "export/MCompressedExport.h"
#include "export/MExportSettings.h"
#include "export/MLrcExport.h"
#include "export/UnzipTool.h"
#include "lyrics/LyricImport.h"

namespace {

class LrcExportTest : public ExportTest {
protected:
    // The export song with a word sung in two syllables, timed anew.
    std::unique_ptr<MSongSettings> SyllableSong(const QString& title) {
        auto song = MakeSong(MakeWav(QStringLiteral("music.wav"), 12.0, 2), 2.0, true, true);
        song->title = title;
        Retime(*song,
               QString(song->rawLyrics)
                   .replace(QStringLiteral("How I wonder"), QStringLiteral("How I won*der")),
               2 * 44100 + 7, 13000, 9000);
        return song;
    }
    // The lead-in the export put before the music.
    static int32_t LeadIn(MSongSettings& song) {
        uint32_t used = 0;
        return song.WriteRwMemory(song.rwBuffer.data(), song.rwBuffer.size(), &used,
                                  MSongSettings::kFromTheStart);
    }
    static QStringList Lines(const QByteArray& bytes) {
        return QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

const QRegularExpression kTimedLine(
    QStringLiteral("^\\[(\\d\\d):(\\d\\d)\\.(\\d\\d)\\]([^\\[\\]]*)$"));

int32_t FramesOf(const QRegularExpressionMatch& m) {
    return (m.captured(1).toInt() * 6000 + m.captured(2).toInt() * 100 + m.captured(3).toInt()) *
           441;
}

}  // namespace

TEST_F(LrcExportTest, EnhancedFileReadsBackAsTheSameLinesAndWordTimes) {
    auto song = SyllableSong(QStringLiteral("Twinkle"));
    QDir().mkpath(Path(QStringLiteral("out")));
    const QString target = Path(QStringLiteral("out/Song.wma"));
    MCompressedExport exporter(*song, MLameLibrary::Shared(), nullptr, TempFolder());
    exporter.SetLyricFile(MLrcExport::kEnhanced);
    const MExportResult r = exporter.Run(target, MExportSettings::kWma, false, 128);
    ASSERT_TRUE(r.IsOk()) << r.status.Text().toStdString();
    const QString lrc = Path(QStringLiteral("out/Song.lrc"));
    EXPECT_EQ(r.files, QStringList({target, Path(QStringLiteral("out/Song.cdg")), lrc}));
    EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))).size(), 3) << "no temporary files stay";
    const int32_t leadIn = LeadIn(*song);
    ASSERT_GT(leadIn, 0) << "the title page needs a lead-in";

    // Tags first, one to a line; every lyric line starts with its one line time.
    const QStringList lines = Lines(AudioFixtures::ReadAll(lrc));
    ASSERT_EQ(lines.size(), 3 + static_cast<int>(song->lineList.size()));
    EXPECT_EQ(lines[0], "[ti:Twinkle]");
    EXPECT_EQ(lines[1], "[ar:Jane Taylor]");
    const double seconds = AudioFixtures::Probe(target)["format.duration"].toDouble();
    const int whole = static_cast<int>(seconds + 0.5);
    EXPECT_EQ(lines[2], QStringLiteral("[length:%1:%2]")
                            .arg(whole / 60, 2, 10, QLatin1Char('0'))
                            .arg(whole % 60, 2, 10, QLatin1Char('0')));
    for (int i = 3; i < lines.size(); ++i) {
        EXPECT_TRUE(kTimedLine.match(lines[i]).hasMatch()) << lines[i].toStdString();
    }
    EXPECT_TRUE(lines[4].contains(QStringLiteral("won<"))) << "a syllable ends without a space";

    // Our own import: the same lines, the word times moved by the lead-in, within 10 ms.
    TestSongHost host;
    host.workWav = host_.workWav;
    MSongSettings back(QString(), &host);
    back.ResetToNewProject();
    LrcDocument document;
    LyricImport import(back);
    ASSERT_TRUE(import.ImportLyricFile(lrc, document).IsOk());
    EXPECT_EQ(document.title, "Twinkle");
    back.GenerateKaraokeLineList(false, true);
    ASSERT_TRUE(import.MergeLrcTimings(document));
    // (The imported text ends in a line break, which leaves an empty line at the end.)
    ASSERT_GE(back.lineList.size(), song->lineList.size());
    for (size_t i = song->lineList.size(); i < back.lineList.size(); ++i) {
        EXPECT_FALSE(back.lineList[i]->HasWords());
    }
    for (size_t i = 0; i < song->lineList.size(); ++i) {
        const MKaraokeLine& ours = *song->lineList[i];
        const MKaraokeLine& theirs = *back.lineList[i];
        EXPECT_EQ(theirs.text, ours.text);
        ASSERT_EQ(theirs.words.size(), ours.words.size()) << ours.text.toStdString();
        for (size_t w = 0; w < ours.words.size(); ++w) {
            EXPECT_NEAR(theirs.words[w]->startTime, ours.words[w]->startTime + leadIn, 441)
                << i << "/" << w;
        }
        // The import ends a word one hundredth before the next time tag.
        EXPECT_NEAR(theirs.words.back()->endTime, ours.words.back()->endTime + leadIn, 2 * 441);
    }
}

TEST_F(LrcExportTest, SimpleFileInTheZipTimesEachLine) {
    auto song = SyllableSong(QStringLiteral("Live [Encore]\nTake 2"));
    QDir().mkpath(Path(QStringLiteral("out")));
    const QString zip = Path(QStringLiteral("out/Hit.zip"));
    MCompressedExport exporter(*song, MLameLibrary::Shared(), nullptr, TempFolder());
    exporter.SetLyricFile(MLrcExport::kSimple);
    const MExportResult r = exporter.Run(zip, MExportSettings::kWma, true, 96);
    ASSERT_TRUE(r.IsOk()) << r.status.Text().toStdString();
    const std::vector<UnzipEntry> entries = UnzipTool::List(zip);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].name, "Hit.lrc");
    const QStringList lines = Lines(UnzipTool::Extract(zip, QStringLiteral("Hit.lrc")));
    ASSERT_EQ(lines.size(), 3 + static_cast<int>(song->lineList.size()));
    // A title cannot end its tag early or break the line.
    EXPECT_EQ(lines[0], "[ti:Live (Encore) Take 2]");
    const int32_t leadIn = LeadIn(*song);
    for (size_t i = 0; i < song->lineList.size(); ++i) {
        const QRegularExpressionMatch m = kTimedLine.match(lines[static_cast<int>(i) + 3]);
        ASSERT_TRUE(m.hasMatch()) << lines[static_cast<int>(i) + 3].toStdString();
        EXPECT_EQ(m.captured(4), song->lineList[i]->text);
        EXPECT_NEAR(FramesOf(m), song->lineList[i]->words.front()->startTime + leadIn, 221);
    }
    EXPECT_EQ(MLrcExport::TimeText(-5), "00:00.00");
    EXPECT_EQ(MLrcExport::TimeText(int64_t{44100} * 3725 + 220), "62:05.00");
    EXPECT_EQ(MLrcExport::TimeText(int64_t{44100} * 3725 + 221), "62:05.01");
}
