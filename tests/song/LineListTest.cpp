// Raw lyrics with their markers become lines and words, keeping word times across edits.

#include <gtest/gtest.h>

#include "SongFixtures.h"
#include "log/MEventLog.h"
#include "song/MLineListGenerator.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

struct W {
    int first;
    int last;
};

void ExpectWords(const MKaraokeLine& line, std::initializer_list<W> words) {
    ASSERT_EQ(line.WordCount(), static_cast<int>(words.size())) << line.text.toStdString();
    int i = 0;
    for (const W& w : words) {
        EXPECT_EQ(line.words[static_cast<size_t>(i)]->firstChar, w.first) << i;
        EXPECT_EQ(line.words[static_cast<size_t>(i)]->lastChar, w.last) << i;
        ++i;
    }
}

}  // namespace

TEST(LineList, NormalisationAndWordRanges) {
    EXPECT_EQ(MLineListGenerator::NormalizeRawLyrics(QStringLiteral("  a   b \r\n  c * d  \n")),
              QStringLiteral("a b\nc*d\n"));
    auto song = SongFixtures::NewSong(QStringLiteral("Hello  world "));
    ASSERT_EQ(song->LineCount(), 1);
    EXPECT_EQ(song->GetLine(0)->text, QStringLiteral("Hello world"));
    ExpectWords(*song->GetLine(0), {{0, 4}, {6, 10}});
}

TEST(LineList, SyllablesAndJoinedSpaces) {
    auto song = SongFixtures::NewSong(QStringLiteral("Hap*py day\nNew_York"));
    ExpectWords(*song->GetLine(0), {{0, 2}, {4, 5}, {7, 9}});
    EXPECT_EQ(song->GetLine(0)->text, QStringLiteral("Hap*py day"));
    EXPECT_EQ(song->GetWord(0)->flags, MKaraokeWord::kJoinedToNext);
    EXPECT_EQ(song->GetWord(1)->flags, MKaraokeWord::kJoinedToPrevious);
    EXPECT_EQ(song->GetWord(2)->flags, 0u);
    ExpectWords(*song->GetLine(1), {{0, 7}});
    EXPECT_EQ(song->GetLine(1)->text, QStringLiteral("New_York"));

    song->GenerateKaraokeLineList(true, true);
    EXPECT_EQ(song->GetLine(0)->text, QStringLiteral("Happy day"));
    ExpectWords(*song->GetLine(0), {{0, 2}, {3, 4}, {6, 8}});
    EXPECT_EQ(song->GetLine(1)->text, QStringLiteral("New York"));
    ExpectWords(*song->GetLine(1), {{0, 7}});
    // Several syllables in a row.
    song->rawLyrics = QStringLiteral("a*b*c d");
    song->GenerateKaraokeLineList(false, true);
    EXPECT_EQ(song->GetLine(0)->text, QStringLiteral("abc d"));
    ExpectWords(*song->GetLine(0), {{0, 0}, {1, 1}, {2, 2}, {4, 4}});
}

TEST(LineList, PagesRowsAndPageBreaks) {
    auto song = SongFixtures::NewSong(QStringLiteral("1\n2\n3\n4\n5"));
    EXPECT_EQ(song->GetLine(3)->page, 0);
    EXPECT_EQ(song->GetLine(3)->row, 3);
    EXPECT_EQ(song->GetLine(4)->page, 1);
    EXPECT_EQ(song->GetLine(4)->row, 0);

    song->rawLyrics = QStringLiteral("1\n2\n^\n3\n4\n5");
    song->GenerateKaraokeLineList(true, false);
    ASSERT_EQ(song->LineCount(), 5);
    EXPECT_EQ(song->GetLine(2)->page, 1);
    EXPECT_EQ(song->GetLine(2)->row, 0);
    EXPECT_TRUE(song->GetLine(2)->newPageBefore);
    EXPECT_EQ(song->GetLine(4)->row, 2);

    song->rawLyrics = QStringLiteral("^\n1\n2\n3\n4\n^\n^\n5");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetLine(0)->page, 0) << "no empty first page";
    EXPECT_EQ(song->GetLine(4)->page, 1) << "no empty page between two breaks";
    EXPECT_EQ(song->GetLine(4)->row, 0);

    // Blank lines take a row; a new lines-per-page renumbers.
    song->rawLyrics = QStringLiteral("a\n\nb\nc\nd");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetLine(1)->WordCount(), 0);
    EXPECT_EQ(song->GetLine(4)->page, 1);
    song->SetLinesPerPage(2);
    EXPECT_EQ(song->GetLine(4)->page, 2);
    EXPECT_TRUE(song->modified);
}

TEST(LineList, DuetIndicators) {
    TestSongHost host;
    auto song = SongFixtures::NewSong(QString(), &host);
    song->header.performance = 2;
    song->rawLyrics = QStringLiteral("&Yes\n&&Yes\nNo");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetLine(0)->text, QStringLiteral("Yes"));
    EXPECT_TRUE(song->GetLine(0)->duet);
    EXPECT_EQ(song->GetLine(0)->singerColour, 9);
    EXPECT_EQ(song->GetLine(1)->text, QStringLiteral("&&Yes"));
    EXPECT_FALSE(song->GetLine(1)->duet);
    EXPECT_TRUE(host.reports.empty());

    song->header.performance = 1;
    song->rawLyrics = QStringLiteral("&Yes\n&Again\n&&Yes");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetLine(0)->text, QStringLiteral("Yes"));
    EXPECT_FALSE(song->GetLine(0)->duet);
    ASSERT_EQ(host.reports.size(), 1u) << "one warning per run";
    EXPECT_TRUE(
        host.reports[0].Text().startsWith(QStringLiteral("You have included \"Duet\" indicators")));
    EXPECT_EQ(host.reports[0].GetIcon(), MStatus::Icon::Warning);
}

TEST(LineList, TimesFollowTheWordsByPosition) {
    auto song = SongFixtures::NewSong(QStringLiteral("one two three\nfour five"));
    SongFixtures::TimeWords(*song, 1.0, 1.0);
    const int32_t t2 = song->GetWord(1)->startTime;
    const int32_t end3 = song->GetWord(2)->endTime;
    // Editing a word keeps every time.
    song->rawLyrics = QStringLiteral("one TWO three\nfour five");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetWord(1)->startTime, t2);
    EXPECT_TRUE(song->GetLine(0)->placed);
    // Inserting a word shifts the times from there; the new last word gets a zero-length time at
    // the end of the old last word.
    song->rawLyrics = QStringLiteral("one new two three\nfour five");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetWord(1)->startTime, t2);
    EXPECT_EQ(song->GetWord(3)->startTime, end3);
    EXPECT_EQ(song->GetWord(3)->endTime, end3);
    EXPECT_EQ(song->GetLine(1)->words[0]->startTime, SongFixtures::Frames(4.0));
    // New lines beyond the old list start unplaced; old lines beyond the new list go.
    song->rawLyrics = QStringLiteral("one new two three\nfour five\nsix");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_FALSE(song->GetLine(2)->placed);
    EXPECT_EQ(song->GetLine(2)->words[0]->startTime, 0);
    song->rawLyrics = QStringLiteral("only");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->LineCount(), 1);
    EXPECT_EQ(song->WordCount(), 1);
    // The singer colour of a line stays with its position.
    song->GetLine(0)->singerColour = 10;
    song->rawLyrics = QStringLiteral("only\nmore");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->GetLine(0)->singerColour, 10);
    EXPECT_EQ(song->GetLine(1)->singerColour, 12);
}

TEST(LineList, LongAndEmptyTexts) {
    auto song = SongFixtures::NewSong(QString(QStringLiteral("la ")).repeated(500));
    EXPECT_EQ(song->LineCount(), 1);
    EXPECT_EQ(song->WordCount(), 500);
    song->rawLyrics = QStringLiteral("\n^\n \n");
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->WordCount(), 0);
    song->rawLyrics.clear();
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(song->LineCount(), 0);
}

TEST(LineList, EventLogRecordsInputAndOutputWhenActive) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("events.log"));
    MEventLog::Global().SetPath(path);
    auto song = SongFixtures::NewSong(QStringLiteral("hello  world\nagain"));
    MEventLog::Global().SetPath(QString());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray log = f.readAll();
    EXPECT_TRUE(log.startsWith("LOGT")) << "the normalised text comes first";
    EXPECT_TRUE(log.contains("hello world\nagain"));
    EXPECT_TRUE(log.contains("GenerateKaraokeLineList-Input Raw String"));
    EXPECT_TRUE(log.contains("GenerateKaraokeLineList-Output LineList"));
    EXPECT_TRUE(log.contains("CalcLineAndPageNumbers"));
    EXPECT_EQ(log.count("LOGL"), 2);
    // Switched off, nothing more is written.
    song->GenerateKaraokeLineList(true, false);
    EXPECT_EQ(QFileInfo(path).size(), log.size());
}
