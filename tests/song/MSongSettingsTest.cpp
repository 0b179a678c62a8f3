// The song project: new-project defaults, queries, copies, the work WAV and the stream buffer.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "SongFixtures.h"
#include "cdg/MRwRenderer.h"
#include "song/MSongSettings.h"
#include "support/ScreenProbe.h"

TEST(SongSettings, NewProjectDefaults) {
    MSongSettings song;
    song.ResetToNewProject();
    ASSERT_EQ(song.PageCount(), 3);
    EXPECT_EQ(song.GetPage(0)->pageId, IMAGE_STRUCT::kTitlePage);
    EXPECT_EQ(song.GetPage(1)->pageId, IMAGE_STRUCT::kCreditsPage);
    EXPECT_EQ(song.GetPage(2)->pageId, IMAGE_STRUCT::kLyricsPage);
    EXPECT_FALSE(song.FindPage(IMAGE_STRUCT::kTitlePage)->enabled);
    EXPECT_FALSE(song.FindPage(IMAGE_STRUCT::kCreditsPage)->enabled);
    const IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
    EXPECT_EQ(lyrics->textType.fontHeight, 24);
    EXPECT_EQ(lyrics->textType.hAlign, MTextType::kHLeft);
    EXPECT_EQ(song.FindPage(IMAGE_STRUCT::kTitlePage)->textType.fontHeight, 26);
    EXPECT_EQ(song.FindPage(IMAGE_STRUCT::kTitlePage)->textType.hAlign, MTextType::kHCentre);
    EXPECT_EQ(lyrics->Colors()[12], CdgColour::Make(128, 255, 255));
    EXPECT_EQ(song.FindPage(IMAGE_STRUCT::kTitlePage)->Colors()[12],
              CdgColour::Make(255, 255, 255));
    EXPECT_EQ(lyrics->Colors()[9], CdgColour::Make(255, 128, 255));
    EXPECT_EQ(song.FindPage(IMAGE_STRUCT::kCreditsPage)->Colors()[9], 0u);
    EXPECT_EQ(lyrics->Colors()[14], CdgColour::Make(255, 238, 0));
    EXPECT_EQ(song.header.version, 600);
    EXPECT_EQ(song.header.linesPerPage, 4);
    EXPECT_EQ(song.header.advanceSweep, -20);
    EXPECT_EQ(song.header.loopBefore, 3000);
    EXPECT_EQ(song.LastPage(), 0);
    EXPECT_EQ(song.WordCount(), 0);
    EXPECT_EQ(song.FirstWordOnPage(0), -1);
    EXPECT_EQ(song.GetWord(0), nullptr);
    EXPECT_EQ(song.GetLine(-1), nullptr);
}

TEST(SongSettings, QueriesOverLinesAndWords) {
    auto song =
        SongFixtures::NewSong(QStringLiteral("one two\nthree\nfour five six\nseven\neight nine"));
    ASSERT_EQ(song->LineCount(), 5);
    EXPECT_EQ(song->WordCount(), 9);
    EXPECT_EQ(song->LastPage(), 1);
    EXPECT_EQ(song->FirstWordOnPage(1), 7);
    EXPECT_EQ(song->LastWordOnPage(0), 6);
    EXPECT_EQ(song->GetWord(7)->line, song->GetLine(4));
    EXPECT_FALSE(song->HasPlacedWords());
    SongFixtures::TimeWords(*song, 1.0, 1.0);
    EXPECT_TRUE(song->HasPlacedWords());
    // Overlapping times: the earlier word wins.
    song->GetWord(3)->endTime = song->GetWord(4)->startTime + 100;
    EXPECT_EQ(song->WordAtTime(song->GetWord(4)->startTime + 50), 3);
    EXPECT_EQ(song->WordAtTime(0), -1);
    EXPECT_EQ(song->SelectWord(2, true)->flags & MKaraokeWord::kSelected, MKaraokeWord::kSelected);
    EXPECT_EQ(song->SelectWord(2, false)->flags & MKaraokeWord::kSelected, 0u);
    EXPECT_EQ(song->SelectWord(99, true), nullptr);
    // Solo draws every line in colour 12; Duet in the line's singer colour.
    song->GetLine(1)->singerColour = 9;
    EXPECT_EQ(song->LyricColour(*song->GetLine(1)), 12);
    song->header.performance = 2;
    EXPECT_EQ(song->LyricColour(*song->GetLine(1)), 9);
}

TEST(SongSettings, WordBoxesFindWordsByPoint) {
    auto song = SongFixtures::NewSong(QStringLiteral("Twinkle twinkle\nlittle star"));
    song->LayoutWords();
    const MKaraokeWord* second = song->GetWord(1);
    EXPECT_GT(second->box[0], song->GetWord(0)->box[0]);
    EXPECT_GT(song->GetWord(2)->box[1], second->box[1]) << "the second line sits lower";
    const int x = (second->box[0] + second->box[2]) / 2;
    const int y = (second->box[1] + second->box[3]) / 2;
    EXPECT_EQ(song->WordAtPoint(x, y, 0), 1);
    EXPECT_EQ(song->WordAtPoint(x, y, 1), -1);
    EXPECT_EQ(song->WordAtPoint(-5, -5, 0), -1);
}

TEST(SongSettings, CopiesCarrySettingsButNoLines) {
    TestSongHost host;
    auto song = SongFixtures::NewSong(QStringLiteral("a b\nc d\ne"), &host);
    song->artist = QStringLiteral("Someone");
    song->voiceDescriptions[0] = QStringLiteral("lead");
    song->FindPage(IMAGE_STRUCT::kTitlePage)->text = QStringLiteral("Title");
    auto copy = song->CopySettings();
    EXPECT_EQ(copy->LineCount(), 0);
    EXPECT_EQ(copy->WordCount(), 0);
    EXPECT_TRUE(copy->rwBuffer.empty());
    EXPECT_EQ(copy->artist, QStringLiteral("Someone"));
    EXPECT_TRUE(copy->voiceDescriptions[0].isEmpty());
    EXPECT_EQ(copy->FindPage(IMAGE_STRUCT::kTitlePage)->text, QStringLiteral("Title"));
    copy->FindPage(IMAGE_STRUCT::kTitlePage)->text = QStringLiteral("Changed");
    copy->header.linesPerPage = 2;
    EXPECT_EQ(song->FindPage(IMAGE_STRUCT::kTitlePage)->text, QStringLiteral("Title"))
        << "pages are copied, not shared";
    song->AssignSettings(*copy);
    EXPECT_EQ(song->LineCount(), 3) << "the lines stay";
    EXPECT_EQ(song->GetLine(2)->page, 1) << "and are renumbered for two lines a page";
    EXPECT_EQ(song->FindPage(IMAGE_STRUCT::kTitlePage)->text, QStringLiteral("Changed"));
    song->SetArtist(QStringLiteral("x"));
    EXPECT_TRUE(song->modified);
    EXPECT_EQ(host.modifiedCalls.back(), true);
}

TEST(SongSettings, WorkWavSizesTheStreamBuffer) {
    QTemporaryDir dir;
    TestSongHost host;
    host.workWav = dir.filePath(QStringLiteral("minute.wav"));
    ASSERT_TRUE(SongFixtures::WriteSilentWav(host.workWav, 44100 * 60));
    MSongSettings song(QString(), &host);
    song.ResetToNewProject();
    song.SetMusicFile(host.workWav);
    EXPECT_EQ(song.audioBytes, 10584000u);
    EXPECT_EQ(song.initialAudioBytes, 10584000u);
    EXPECT_EQ(song.rwBuffer.size(), 432000u + 1297344u);
    // A work WAV that cannot be opened fails, leaves the buffer empty and the length as it was.
    host.workWav = dir.filePath(QStringLiteral("gone.wav"));
    EXPECT_FALSE(song.AttachWorkWav(false).IsOk());
    EXPECT_TRUE(song.rwBuffer.empty());
    EXPECT_EQ(song.audioBytes, 10584000u);
}

TEST(SongSettings, PreviewOfAPageShowsItsLinesAndSelectedWordsUnderlined) {
    auto song =
        SongFixtures::NewSong(QStringLiteral("first line\nsecond line\nthird\nfourth\nnext page"));
    MRwRenderer plain;
    song->RenderPage(&plain, 0);
    const auto before = ScreenProbe::InnerArea(plain);
    EXPECT_GT(ScreenProbe::Count(before, 12), 200);
    EXPECT_EQ(ScreenProbe::Count(before, 12) + ScreenProbe::Count(before, 15), 288 * 192);
    song->SelectWord(1, true);
    MRwRenderer selected;
    song->RenderPage(&selected, 0);
    EXPECT_GT(ScreenProbe::Count(ScreenProbe::InnerArea(selected), 12),
              ScreenProbe::Count(before, 12) + 10)
        << "the selected word is underlined";
    MRwRenderer secondPage;
    song->RenderPage(&secondPage, 1);
    EXPECT_LT(ScreenProbe::Count(ScreenProbe::InnerArea(secondPage), 12),
              ScreenProbe::Count(before, 12));
}
