// Lyric files imported into a song: the raw lyrics, the line list generated from them and the LRC
// word times merged into its words; the event log, the kept file dialog choices, and bad files.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "log/MEventLog.h"
#include "lyrics/LyricImport.h"
#include "lyrics/LyricImportSettings.h"
#include "song/MSongSettings.h"
#include "support/TestSongHost.h"

namespace {

const QString kNoLyrics =
    "There was an error opening or reading the Lyrics file,\nor the Lyrics file contained no "
    "Lyrics.\n\nPlease check the file and try again.";

class LyricImportTest : public ::testing::Test {
protected:
    void SetUp() override { song_.ResetToNewProject(); }

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // What the Edit Lyrics panel does: import, generate the line list, merge the LRC times.
    MStatus Import(const QString& name, const QByteArray& bytes) {
        LyricImport import(song_);
        document_ = LrcDocument();
        const MStatus status = import.ImportLyricFile(Write(name, bytes), document_);
        if (status) {
            song_.GenerateKaraokeLineList(true, false);
            import.MergeLrcTimings(document_);
        }
        return status;
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

class MemorySettings : public LyricImportSettings {
public:
    int LyricFileIndex() const override { return index; }
    void SetLyricFileIndex(int i) override { index = i; }
    QString LyricsFolder() const override { return folder; }
    void SetLyricsFolder(const QString& f) override { folder = f; }
    int index = 0;
    QString folder;
};

// The words of a song keep to their lines and never end before they start.
void ExpectSoundWords(const MSongSettings& song) {
    for (const auto& line : song.lineList) {
        for (const auto& w : line->words) {
            ASSERT_LE(0, w->firstChar);
            ASSERT_LE(w->firstChar, w->lastChar);
            ASSERT_LT(w->lastChar, line->text.size());
            ASSERT_LE(0, w->startTime);
            ASSERT_LE(w->startTime, w->endTime);
        }
    }
}

}  // namespace

TEST_F(LyricImportTest, SimpleLrcTimesEveryWord) {
    ASSERT_TRUE(Import("song.lrc", "[ti:Song]\n[00:12.34]Hello world\n[00:14.00]Next\n"));
    EXPECT_EQ(song_.rawLyrics, "Hello world\nNext\n");
    EXPECT_TRUE(song_.modified);
    ASSERT_EQ(song_.LineCount(), 3);  // the text's last line break leaves a blank line
    EXPECT_EQ(Words(0), QStringList({"Hello 1234-1316", "world 1317-1399"}));
    EXPECT_EQ(song_.GetWord(0)->startTime, 1234 * 441);
    EXPECT_EQ(song_.GetWord(1)->endTime, 1399 * 441);
    EXPECT_EQ(Words(1), QStringList({"Next 1400-1482"}));
    EXPECT_TRUE(song_.GetLine(0)->placed);
    EXPECT_TRUE(song_.GetLine(1)->placed);
    EXPECT_FALSE(song_.GetLine(2)->placed);
}

TEST_F(LyricImportTest, EnhancedSyllablesTimeTheirOwnWords) {
    ASSERT_TRUE(
        Import("song.lrc",
               "[00:12.00]<00:12.00>Hello <00:12.50>world<00:13.20>\n"
               "[00:16.00]<00:16.10>Syl<00:16.40>la<00:16.60>ble <00:17.00>end<00:17.50>\n"));
    EXPECT_EQ(song_.rawLyrics, "Hello world\nSyl*la*ble end\n");
    EXPECT_EQ(Words(0), QStringList({"Hello 1200-1249", "world 1250-1319"}));
    EXPECT_EQ(Words(1),
              QStringList({"Syl 1610-1639", "la 1640-1659", "ble 1660-1699", "end 1700-1749"}));
    EXPECT_EQ(song_.GetLine(1)->words[0]->flags, MKaraokeWord::kJoinedToNext);
    EXPECT_EQ(song_.GetLine(1)->words[2]->flags, MKaraokeWord::kJoinedToPrevious);

    // The output list shows "Syllable" and sweeps it syllable by syllable.
    song_.GenerateKaraokeLineList(true, true);
    EXPECT_EQ(song_.GetLine(1)->text, "Syllable end");
    EXPECT_EQ(Words(1),
              QStringList({"Syl 1610-1639", "la 1640-1659", "ble 1660-1699", "end 1700-1749"}));

    // Without the syllable marks the word takes the whole run of its syllables.
    LyricImport import(song_);
    song_.SetRawLyrics("Hello world\nSyllable end\n");
    song_.InstallLines({});
    song_.GenerateKaraokeLineList(true, false);
    ASSERT_TRUE(import.MergeLrcTimings(document_));
    EXPECT_EQ(Words(1), QStringList({"Syllable 1610-1699", "end 1700-1749"}));
}

TEST_F(LyricImportTest, WordsPairWithTheirOwnElements) {
    ASSERT_TRUE(Import("song.lrc",
                       "[00:01.00]<00:01.00>la <00:02.00>la <00:03.00>la <00:04.00>la<00:05.00>\n"
                       "[00:06.00]<00:06.00>b <i>c</i><00:07.00>\n"
                       "[00:08.00]^_^\n"
                       "[00:09.00]&Second voice\n"
                       "[00:10.00]Last\n"));
    // A word repeated in a line: each one its own time and characters.
    EXPECT_EQ(Words(0), QStringList({"la 100-199", "la 200-299", "la 300-399", "la 400-499"}));
    EXPECT_EQ(song_.GetLine(0)->words[3]->firstChar, 9);
    // Markup that left the text takes no word's time.
    EXPECT_EQ(Words(1), QStringList({"b 600-600", "c 600-699"}));
    // The "^" line is a page break without a karaoke line; the lines after it keep their times.
    ASSERT_EQ(song_.LineCount(), 5);
    EXPECT_TRUE(song_.GetLine(2)->newPageBefore);
    // In Solo the "&" leaves the text (with a warning) and the word still gets its time.
    EXPECT_EQ(Words(2), QStringList({"Second 900-949", "voice 950-999"}));
    EXPECT_EQ(host_.reports.size(), 1u);
    EXPECT_EQ(Words(3), QStringList({"Last 1000-1065"}));
}

TEST_F(LyricImportTest, EditedLyricsKeepWhatStillMatches) {
    ASSERT_TRUE(Import("song.lrc", "[00:12.34]Hello world\n[00:14.00]Next one\n"));
    // A word typed into the line after the import, and a line added at the end.
    song_.SetRawLyrics("Hello big world\nNext one\nMore\n");
    song_.InstallLines({});
    song_.GenerateKaraokeLineList(true, false);
    ASSERT_TRUE(LyricImport(song_).MergeLrcTimings(document_));
    EXPECT_EQ(Words(0), QStringList({"Hello 1234-1316", "big 1316-1316", "world 1317-1399"}));
    EXPECT_EQ(Words(1), QStringList({"Next 1400-1482", "one 1483-1565"}));
    EXPECT_EQ(Words(2), QStringList({"More 0-0"}));
    EXPECT_FALSE(song_.GetLine(2)->placed);
}

TEST_F(LyricImportTest, PlacedLyricsAreReplacedOnlyWhenTheUserAgrees) {
    ASSERT_TRUE(Import("song.lrc", "[00:01.00]One two\n[00:02.00]Three\n"));
    song_.musicFile = "/music/song.wav";
    song_.GetWord(0)->startTime = 7;
    song_.GetWord(0)->endTime = 8;

    QStringList asked;
    auto answer = [&asked](bool yes) {
        return [&asked, yes](const QString& question) {
            asked << question;
            return yes;
        };
    };
    LyricImport import(song_);
    EXPECT_FALSE(import.MergeLrcTimings(document_, answer(false)));
    EXPECT_FALSE(import.MergeLrcTimings(document_));
    EXPECT_EQ(song_.GetWord(0)->startTime, 7);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0],
              "The LRC file you selected contains timing values\nfor the lyrics. However, timing "
              "values have already\nbeen placed for this project.\n\nWould you like to replace "
              "the current timing values\nwith those found in the LRC file?");
    EXPECT_TRUE(import.MergeLrcTimings(document_, answer(true)));
    EXPECT_EQ(song_.GetWord(0)->startTime, 100 * 441);
    // A document without lines asks nothing and changes nothing.
    EXPECT_FALSE(import.MergeLrcTimings(LrcDocument(), answer(true)));
    EXPECT_EQ(asked.size(), 2);
}

TEST_F(LyricImportTest, FailedImportsChangeNothingAndAreLogged) {
    const QString logPath = dir_.filePath("events.log");
    MEventLog::Global().SetPath(logPath);
    ASSERT_TRUE(Import("words.txt", "First \xE2\x80\x9Cline\xE2\x80\x9D\r\nSecond\r\n"));
    EXPECT_EQ(song_.rawLyrics, QString::fromUtf8("First “line”\nSecond\n"));
    song_.SetModified(false);

    for (const auto& [name, bytes] :
         {std::pair<QString, QByteArray>{"empty.lrc", ""},
          {"tags.lrc", "[ar:Someone]\n"},
          {"noise.kar", QByteArrayLiteral("MThd\0\0\0\6\0\1\0\1\0\x60MTrk")}}) {
        const MStatus status = Import(name, bytes);
        EXPECT_EQ(status.Text(), kNoLyrics) << name.toStdString();
    }
    EXPECT_EQ(LyricImport(song_).ImportLyricFile(dir_.filePath("missing.txt"), document_).Text(),
              "Error: Unable to open lyric file.");
    const MStatus unknown = Import("song.doc", "words");
    EXPECT_FALSE(unknown);
    EXPECT_TRUE(unknown.Text().isEmpty());
    EXPECT_EQ(song_.rawLyrics, QString::fromUtf8("First “line”\nSecond\n"));
    EXPECT_EQ(song_.LineCount(), 3);
    EXPECT_FALSE(song_.modified);
    MEventLog::Global().SetPath(QString());

    // The text records titled "Import Lyrics": the imported text, then one per failed read.
    QFile f(logPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    auto int32At = [&b](qsizetype at) {
        uint32_t v = 0;
        for (qsizetype i = std::min(at + 3, b.size() - 1); i >= at; --i) {
            v = v << 8 | static_cast<uint8_t>(b[i]);
        }
        return static_cast<int32_t>(v);
    };
    QList<QByteArray> texts;
    for (qsizetype at = 0; at + 16 <= b.size() && b.mid(at, 3) == "LOG";) {
        const char type = b[at + 3];
        at += 12;
        QByteArray payload;
        if (type != 'U') {
            const int32_t n = int32At(at);
            payload = b.mid(at + 4, n);
            at += 4 + n;
        } else {
            ++at;
        }
        const int32_t m = int32At(at);
        if (type == 'T' && b.mid(at + 4, m) == "Import Lyrics") {
            texts << payload;
        }
        at += 4 + m;
    }
    const QByteArray error = "Error opening/reading Lyric file.\n";
    EXPECT_EQ(texts, QList<QByteArray>(
                         {"First \xE2\x80\x9Cline\xE2\x80\x9D\nSecond\n", error, error, error}));
}

TEST_F(LyricImportTest, TheFileDialogChoicesAreKept) {
    EXPECT_EQ(LyricImport::LyricFileFilters()[0].pattern, "*.txt;*.lrc;*.kar;*.mid;*.midi");
    MemorySettings settings;
    LyricImport(song_, &settings).RememberChoice("/home/me/lyrics/song.kar", 3);
    EXPECT_EQ(settings.index, 3);
    EXPECT_EQ(settings.folder, "/home/me/lyrics/");
    LyricImport(song_).RememberChoice("/x/y.lrc", 1);  // no settings store: nothing to keep
}

TEST_F(LyricImportTest, RealKaraokeFilesBecomeUntimedLines) {
    const QString data = qEnvironmentVariable("QUILM_TESTDATA");
    for (const QString& name :
         {QStringLiteral("twinkle.kar"), QStringLiteral("Negra_Sombra.kar")}) {
        LyricImport import(song_);
        ASSERT_TRUE(import.ImportLyricFile(data + u'/' + name, document_)) << name.toStdString();
        EXPECT_FALSE(document_.HasLines());
        song_.GenerateKaraokeLineList(true, false);
        EXPECT_FALSE(import.MergeLrcTimings(document_));
        EXPECT_GT(song_.WordCount(), 40);
        EXPECT_FALSE(song_.HasPlacedWords());
        ExpectSoundWords(song_);
    }
    EXPECT_EQ(song_.GetLine(3)->text, QString::fromUtf8("ó pé dos meus cabezales"));
}

TEST_F(LyricImportTest, BadFilesOnEveryPathGiveTheMessageOrSoundLyrics) {
    QFile kar(qEnvironmentVariable("QUILM_TESTDATA") + "/twinkle.kar");
    ASSERT_TRUE(kar.open(QIODevice::ReadOnly));
    const QByteArray midi = kar.readAll();
    const QByteArray lrc =
        "[00:01.00]<00:01.00>Syl<00:01.20>la<00:01.40>ble <00:02.00>two\n[00:03.00]Three four\n";
    QList<QByteArray> inputs{QByteArray(), QByteArray(1, '\0'), "\xFF\xFE",
                             QByteArrayLiteral("\xFF\xFE[\0"), QByteArray("\x1A[00:01.00]x")};
    for (qsizetype n = 1; n < lrc.size(); n += 3) {
        inputs << lrc.left(n);
    }
    for (qsizetype n = 0; n < midi.size(); n += 151) {
        inputs << midi.left(n);
    }
    QRandomGenerator random(1234);
    for (int i = 0; i < 40; ++i) {
        QByteArray bytes(random.bounded(1, 4000), Qt::Uninitialized);
        for (char& c : bytes) {
            c = static_cast<char>(random.bounded(256));
        }
        if (i % 2 == 0) {
            bytes.replace(0, 4, "MThd");  // past the first check of a MIDI file
        }
        inputs << bytes;
    }

    QElapsedTimer timer;
    timer.start();
    for (const char* type : {"txt", "lrc", "kar", "mid"}) {
        for (const QByteArray& bytes : inputs) {
            const MStatus status = Import(QStringLiteral("bad.") + type, bytes);
            if (!status) {
                ASSERT_EQ(status.Text(), kNoLyrics) << type;
                continue;
            }
            ASSERT_FALSE(song_.rawLyrics.isEmpty());
            ExpectSoundWords(song_);
        }
    }
    EXPECT_LT(timer.elapsed(), 20000);
}
