// Lyric files imported into a song: the raw lyrics, the line list generated from them and the LRC
// word times merged into its words; the event log, and bad files on every import path.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "log/MEventLog.h"
#include "lyrics/LyricImport.h"
#include "song/MSongSettings.h"
#include "support/TestSongHost.h"

namespace {

class LyricImportTest : public ::testing::Test {
protected:
    void SetUp() override { song_.ResetToNewProject(); }

    // What the Edit Lyrics panel does: import the file, generate the line list, merge the times.
    MStatus Import(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        LyricImport import(song_);
        const MStatus status = import.ImportLyricFile(file.fileName(), document_);
        if (status) {
            song_.GenerateKaraokeLineList(true, false);
            import.MergeLrcTimings(document_);
        }
        return status;
    }

    // The lyrics edited after the import, and the last document merged again.
    void MergeInto(const QString& lyrics) {
        song_.SetRawLyrics(lyrics);
        song_.InstallLines({});
        song_.GenerateKaraokeLineList(true, false);
        ASSERT_TRUE(LyricImport(song_).MergeLrcTimings(document_));
    }

    // "word start-end" for every word of line i, times in hundredths of a second.
    QStringList Words(int i) const {
        QStringList out;
        const MKaraokeLine* line = song_.GetLine(i);
        for (const auto& w : line->words) {
            out << QStringLiteral("%1 %2-%3")
                       .arg(line->text.mid(w->firstChar, w->lastChar - w->firstChar + 1))
                       .arg(w->startTime / 441.0)
                       .arg(w->endTime / 441.0);
        }
        return out;
    }

    QTemporaryDir dir_;
    TestSongHost host_;
    MSongSettings song_{QString(), &host_};
    LrcDocument document_;
};

}  // namespace

TEST_F(LyricImportTest, LrcTimesGoToTheirWords) {
    ASSERT_TRUE(Import("song.lrc", "[ti:Song]\n[00:12.34]Hello world\n[00:14.00]Next\n"));
    EXPECT_EQ(song_.rawLyrics, "Hello world\nNext\n");
    EXPECT_TRUE(song_.modified);
    EXPECT_EQ(Words(0), QStringList({"Hello 1234-1316", "world 1317-1399"}));
    EXPECT_EQ(Words(1), QStringList({"Next 1400-1482"}));
    ASSERT_EQ(song_.LineCount(), 3);  // the text's last line break leaves a blank line
    EXPECT_TRUE(song_.GetLine(1)->placed);
    EXPECT_FALSE(song_.GetLine(2)->placed);

    // Syllables timed within a word become syllables of the text, each with its own time.
    ASSERT_TRUE(
        Import("enhanced.lrc",
               "[00:16.00]<00:16.10>Syl<00:16.40>la<00:16.60>ble <00:17.00>end<00:17.50>\n"));
    EXPECT_EQ(song_.rawLyrics, "Syl*la*ble end\n");
    const QStringList timed{"Syl 1610-1639", "la 1640-1659", "ble 1660-1699", "end 1700-1749"};
    EXPECT_EQ(Words(0), timed);
    EXPECT_EQ(song_.GetWord(0)->flags, MKaraokeWord::kJoinedToNext);
    song_.GenerateKaraokeLineList(true, true);
    EXPECT_EQ(song_.GetLine(0)->text, "Syllable end");
    EXPECT_EQ(Words(0), timed);
    // Without the marks the word takes the whole run of its syllables.
    MergeInto("Syllable end\n");
    EXPECT_EQ(Words(0), QStringList({"Syllable 1610-1699", "end 1700-1749"}));
}

TEST_F(LyricImportTest, PairingSurvivesRepeatsPageBreaksMarkersAndEdits) {
    ASSERT_TRUE(Import("song.lrc",
                       "[00:01.00]<00:01.00>la <00:02.00>la <00:03.00>la <00:04.00>la<00:05.00>\n"
                       "[00:06.00]<00:06.00>b <i>c</i><00:07.00>\n"
                       "[00:08.00]^_^\n"
                       "[00:09.00]&Second voice\n"
                       "[00:10.00]Last\n"));
    EXPECT_EQ(Words(0), QStringList({"la 100-199", "la 200-299", "la 300-399", "la 400-499"}));
    EXPECT_EQ(song_.GetLine(0)->words[3]->firstChar, 9);
    EXPECT_EQ(Words(1), QStringList({"b 600-600", "c 600-699"}));
    // The "^" line is a page break without a karaoke line of its own.
    ASSERT_EQ(song_.LineCount(), 5);
    EXPECT_TRUE(song_.GetLine(2)->newPageBefore);
    // In Solo the "&" leaves the text (with a warning); the word keeps its time.
    EXPECT_EQ(Words(2), QStringList({"Second 900-949", "voice 950-999"}));
    EXPECT_EQ(host_.reports.size(), 1u);
    EXPECT_EQ(Words(3), QStringList({"Last 1000-1065"}));

    // A word typed in after the import, and a line added at the end.
    ASSERT_TRUE(Import("simple.lrc", "[00:12.34]Hello world\n[00:14.00]Next one\n"));
    MergeInto("Hello big world\nNext one\nMore\n");
    EXPECT_EQ(Words(0), QStringList({"Hello 1234-1316", "big 1316-1316", "world 1317-1399"}));
    EXPECT_EQ(Words(1), QStringList({"Next 1400-1482", "one 1483-1565"}));
    EXPECT_EQ(Words(2), QStringList({"More 0-0"}));
    EXPECT_FALSE(song_.GetLine(2)->placed);
}

TEST_F(LyricImportTest, PlacedLyricsAreReplacedOnlyWhenTheUserAgrees) {
    ASSERT_TRUE(Import("song.lrc", "[00:01.00]One two\n[00:02.00]Three\n"));
    song_.musicFile = "/music/song.wav";
    song_.GetWord(0)->startTime = 7;
    QStringList asked;
    bool yes = false;
    auto answer = [&](const QString& question) {
        asked << question;
        return yes;
    };
    LyricImport import(song_);
    EXPECT_FALSE(import.MergeLrcTimings(document_, answer));
    EXPECT_FALSE(import.MergeLrcTimings(document_));
    EXPECT_EQ(song_.GetWord(0)->startTime, 7);
    EXPECT_EQ(asked, QStringList({"The LRC file you selected contains timing values\nfor the "
                                  "lyrics. However, timing values have already\nbeen placed for "
                                  "this project.\n\nWould you like to replace the current timing "
                                  "values\nwith those found in the LRC file?"}));
    yes = true;
    EXPECT_TRUE(import.MergeLrcTimings(document_, answer));
    EXPECT_EQ(song_.GetWord(0)->startTime, 100 * 441);
}

TEST_F(LyricImportTest, FailedImportsChangeNothingAndAreLogged) {
    const QString logPath = dir_.filePath("events.log");
    MEventLog::Global().SetPath(logPath);
    ASSERT_TRUE(Import("words.txt", "First \xE2\x80\x9Cline\xE2\x80\x9D\r\nSecond\r\n"));
    song_.SetModified(false);
    for (const char* name : {"empty.lrc", "empty.kar"}) {
        EXPECT_EQ(Import(name, "").Text(),
                  "There was an error opening or reading the Lyrics file,\nor the Lyrics file "
                  "contained no Lyrics.\n\nPlease check the file and try again.");
    }
    EXPECT_TRUE(LyricImport(song_)
                    .ImportLyricFile(dir_.filePath("none.txt"), document_)
                    .Text()
                    .startsWith("Error: Unable to open lyric file."));
    const MStatus unknown = Import("song.doc", "words");
    EXPECT_FALSE(unknown);
    EXPECT_TRUE(unknown.Text().isEmpty());
    EXPECT_EQ(song_.rawLyrics, QString::fromUtf8("First “line”\nSecond\n"));
    EXPECT_EQ(song_.LineCount(), 3);
    EXPECT_FALSE(song_.modified);
    MEventLog::Global().SetPath(QString());

    // Text records titled "Import Lyrics": the imported text, and one per file without lyrics.
    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    EXPECT_EQ(bytes.count("Import Lyrics"), 3);
    EXPECT_TRUE(bytes.contains(
        QByteArrayLiteral("First \xE2\x80\x9Cline\xE2\x80\x9D\nSecond\n\x0D\0\0\0Import")));
    EXPECT_EQ(bytes.count(QByteArrayLiteral("Error opening/reading Lyric file.\n\x0D\0\0\0Import")),
              2);
}

TEST_F(LyricImportTest, BadFilesOnEveryPathGiveTheMessageOrSoundWords) {
    QFile kar(qEnvironmentVariable("QUILM_TESTDATA") + "/twinkle.kar");
    ASSERT_TRUE(kar.open(QIODevice::ReadOnly));
    const QByteArray midi = kar.readAll();
    const QByteArray lrc =
        "[00:01.00]<00:01.00>Syl<00:01.20>la<00:01.40>ble <00:02.00>two\n[00:03.00]Three four\n";
    QList<QByteArray> inputs{QByteArray(1, '\0'), "\xFF\xFE", QByteArray("\x1A[00:01.00]x")};
    for (qsizetype n = 1; n < lrc.size(); n += 3) {
        inputs << lrc.left(n);
    }
    for (qsizetype n = 0; n < midi.size(); n += 151) {
        inputs << midi.left(n);
    }
    QRandomGenerator random(1234);  // noise, the fuzz targets see far more
    for (int i = 0; i < 20; ++i) {
        QByteArray bytes(random.bounded(1, 4000), Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        inputs << bytes.replace(0, 4, "MThd");
    }
    QElapsedTimer timer;
    timer.start();
    for (const char* type : {"txt", "lrc", "kar", "mid"}) {
        for (const QByteArray& bytes : inputs) {
            const MStatus status = Import(QStringLiteral("bad.") + type, bytes);
            ASSERT_TRUE(status || status.Text().startsWith("There was an error")) << type;
            for (const auto& line : song_.lineList) {
                for (const auto& w : line->words) {
                    ASSERT_TRUE(0 <= w->firstChar && w->firstChar <= w->lastChar &&
                                w->lastChar < line->text.size() && w->startTime <= w->endTime);
                }
            }
        }
    }
    EXPECT_LT(timer.elapsed(), 20000);
}
