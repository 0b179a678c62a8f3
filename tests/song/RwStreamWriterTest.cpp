// The whole stream of a song: the schedule of drawing and erasing, the lead-in, the pages and
// the length of the work WAV.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>
#include <random>

#include "SongFixtures.h"
#include "audio/MWaveReader.h"
#include "cdg/CdgPacket.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwRenderer.h"
#include "song/MRwStreamWriter.h"
#include "support/ScreenProbe.h"

namespace {

std::vector<int32_t> Erase(std::initializer_list<int32_t> hilite, int pages, int lines) {
    return MRwStreamWriter::EraseTimes(std::vector<int32_t>(hilite), pages, lines);
}

struct Rendered {
    std::vector<uint8_t> stream;
    uint32_t length = 0;
    int32_t leadIn = 0;
};

Rendered Render(MSongSettings& song, uint32_t bytes = 7200 * 120) {
    Rendered r;
    r.stream.assign(bytes, 0xAB);  // rendering clears the buffer first
    r.leadIn = song.WriteRwMemory(r.stream.data(), bytes, &r.length, MSongSettings::kFromTheStart);
    return r;
}

}  // namespace

TEST(EraseSchedule, UpperLinesMakeWayWhenTheSecondToLastLineIsSung) {
    EXPECT_EQ(Erase({10, 20, 30, 40}, 1, 4), (std::vector<int32_t>{30, 30, 30, 40}));
    // A blank last row goes with the last sung row.
    EXPECT_EQ(Erase({10, 20, 30, 0}, 1, 4), (std::vector<int32_t>{20, 20, 30, 30}));
    // Blank rows above the last sung row go with it too.
    EXPECT_EQ(Erase({10, 0, 30, 0}, 1, 4), (std::vector<int32_t>{10, 30, 30, 30}));
    // A page without a sung line takes the previous page's last erase time.
    EXPECT_EQ(Erase({10, 20, 30, 40, 0, 0, 0, 0}, 2, 4),
              (std::vector<int32_t>{30, 30, 30, 40, 40, 40, 40, 40}));
    EXPECT_EQ(Erase({0, 0, 0, 0}, 1, 4), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(WriteRwMemory, LeadInWhenTheFirstWordComesEarly) {
    auto song = SongFixtures::NewSong(QStringLiteral("one two\nthree"));
    SongFixtures::TimeWords(*song, 1.5, 0.5);
    const Rendered r = Render(*song);
    EXPECT_EQ(r.leadIn, 9996);
    // The first page is drawn at the start; the stream goes on 4 s after the last word.
    EXPECT_EQ(song->GetLine(0)->drawTime, 0);
    const int32_t lastEnd = song->GetWord(2)->endTime;
    EXPECT_EQ(song->GetLine(1)->eraseTime, lastEnd + 88200);
    const int64_t offset = -4410 + 9996;
    EXPECT_EQ(r.length, CdgTimeBase::StreamBytesFromFrames(offset + lastEnd + 176400));
    EXPECT_EQ(song->creditsFrames, 0);
    // The first sweep packet sits exactly at its word's time.
    const uint32_t sweepAt = static_cast<uint32_t>(
        CdgTimeBase::StreamBytesFromFrames(SongFixtures::Frames(1.5) + offset));
    const CdgPacket p = CdgPacket::FromBytes(r.stream.data() + sweepAt);
    EXPECT_EQ(p.Code(), CdgPacket::kTileBlockXor);
    EXPECT_EQ(p.data[1], 14 ^ 12);
}

TEST(WriteRwMemory, NoLeadInWhenTheMusicStartsLate) {
    auto song = SongFixtures::NewSong(QStringLiteral("a b c d\ne f g h\ni j\nk l\nm n o\np"));
    SongFixtures::TimeWords(*song, 10.0, 1.0);
    const Rendered r = Render(*song);
    EXPECT_EQ(r.leadIn, 0);
    EXPECT_EQ(song->GetLine(0)->drawTime, SongFixtures::Frames(8.0));
    // Page 0 has rows 0-3; rows 0-2 leave when row 2 is sung, row 3 when it is sung.
    const int32_t row2End = song->GetLine(2)->words.back()->endTime;
    const int32_t row3End = song->GetLine(3)->words.back()->endTime;
    EXPECT_EQ(song->GetLine(0)->eraseTime, row2End);
    EXPECT_EQ(song->GetLine(3)->eraseTime, row3End);
    EXPECT_EQ(song->GetLine(4)->drawTime, row2End) << "the next page's row 0 is drawn then";
    EXPECT_EQ(song->GetLine(5)->eraseTime, song->GetWord(song->WordCount() - 1)->endTime + 88200);
}

TEST(WriteRwMemory, TitlePageMovesTheFirstPageEarlier) {
    auto song = SongFixtures::NewSong(QStringLiteral("hello world"));
    SongFixtures::TimeWords(*song, 10.0, 1.0);
    Render(*song);
    const int32_t without = song->GetLine(0)->drawTime;
    song->FindPage(IMAGE_STRUCT::kTitlePage)->enabled = true;
    song->FindPage(IMAGE_STRUCT::kTitlePage)->text = QStringLiteral("A Song");
    const Rendered r = Render(*song);
    EXPECT_EQ(song->GetLine(0)->drawTime, without - 176400);
    EXPECT_GT(r.leadIn, 0) << "the title page needs time in front of the music";
}

TEST(WriteRwMemory, CreditsPageAddsItsLength) {
    auto song = SongFixtures::NewSong(QStringLiteral("hello world"));
    SongFixtures::TimeWords(*song, 5.0, 1.0);
    const Rendered plain = Render(*song);
    song->FindPage(IMAGE_STRUCT::kCreditsPage)->enabled = true;
    song->FindPage(IMAGE_STRUCT::kCreditsPage)->text = QStringLiteral("Thanks");
    const Rendered withCredits = Render(*song);
    EXPECT_GT(song->creditsFrames, 0);
    EXPECT_EQ(withCredits.length - plain.length,
              static_cast<uint32_t>(CdgTimeBase::StreamBytesFromFrames(song->creditsFrames)));
    // The credits run ends with two seconds of empty stream.
    for (uint32_t i = withCredits.length - 14400; i < withCredits.length; ++i) {
        ASSERT_EQ(withCredits.stream[i], 0);
    }
}

TEST(WriteRwMemory, DecodedSongShowsEachPageInTurn) {
    auto song = SongFixtures::NewSong(
        QStringLiteral("one two\nthree four\nfive six\nseven eight\nnine ten"));
    SongFixtures::TimeWords(*song, 6.0, 1.0);
    const Rendered r = Render(*song);
    const int64_t offset = -4410;
    const auto frameOf = [&](int32_t t) { return CdgTimeBase::PacketIndexFromFrames(t + offset); };
    // Just before the first word: page 0 drawn in text colour, nothing swept.
    MRwRenderer before;
    ScreenProbe::Decode(before, r.stream, frameOf(SongFixtures::Frames(5.9)));
    const auto a = ScreenProbe::InnerArea(before);
    EXPECT_GT(ScreenProbe::Count(a, 12), 300);
    EXPECT_EQ(ScreenProbe::Count(a, 14), 0);
    // At the end of page 0: everything swept, then gone with the next page.
    MRwRenderer after;
    ScreenProbe::Decode(after, r.stream, frameOf(song->GetLine(3)->eraseTime - 4410));
    EXPECT_GT(ScreenProbe::Count(ScreenProbe::InnerArea(after), 14), 300);
    MRwRenderer end;
    ScreenProbe::Decode(end, r.stream);
    EXPECT_EQ(ScreenProbe::Count(ScreenProbe::InnerArea(end), 15), 288 * 192)
        << "every line erased";
}

TEST(WriteRwMemory, FromTimeAboveEverythingWritesOnlyPagesAndSetups) {
    auto song = SongFixtures::NewSong(QStringLiteral("hello world"));
    SongFixtures::TimeWords(*song, 5.0, 1.0);
    std::vector<uint8_t> stream(7200 * 60, 0);
    uint32_t length = 0;
    song->WriteRwMemory(stream.data(), static_cast<uint32_t>(stream.size()), &length, INT32_MAX);
    int tiles = 0;
    for (size_t i = 0; i < stream.size(); i += 24) {
        const uint8_t code = stream[i + 1] & 0x3F;
        tiles += stream[i] != 0 && (code == 6 || code == 38);
    }
    EXPECT_EQ(tiles, 0);
    EXPECT_EQ(stream[0], CdgPacket::kGraphicsCommand);
}

TEST(WriteRwMemory, WorkWavFollowsTheStreamButNeverShrinksBelowItsFirstLength) {
    QTemporaryDir dir;
    // The private work WAV lives in the temporary folder: one of this test's own.
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    TestSongHost host;
    const QString user = dir.filePath(QStringLiteral("user.wav"));
    ASSERT_TRUE(SongFixtures::WriteSilentWav(user, 44100 * 8));
    const qint64 userBytes = QFileInfo(user).size();
    host.workWav = user;
    auto song = SongFixtures::NewSong(QStringLiteral("a b c\nd e f"), &host);
    song->musicFile = user;
    song->AttachWorkWav(true);
    SongFixtures::TimeWords(*song, 3.0, 1.0);
    uint32_t length = 0;
    song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(), &length,
                        MSongSettings::kFromTheStart);
    // The stream outlasts the music: the work WAV grows, as a private copy.
    EXPECT_NE(host.workWav, user);
    EXPECT_EQ(song->audioBytes, song->AudioBytesForStream(length));
    EXPECT_EQ(QFileInfo(user).size(), userBytes) << "the user's file is never written";
    MWaveReader reader;
    ASSERT_TRUE(reader.Open(host.workWav).IsOk());
    EXPECT_EQ(reader.DataBytes(), song->audioBytes);
    // Fewer words: shorter again, but not below the first length.
    song->rawLyrics = QStringLiteral("a");
    song->GenerateKaraokeLineList(true, true);
    song->GetWord(0)->startTime = 44100;
    song->GetWord(0)->endTime = 44200;
    song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(), &length,
                        MSongSettings::kFromTheStart);
    EXPECT_EQ(song->audioBytes, 44100u * 8 * 4);
    EXPECT_TRUE(host.workWav.startsWith(dir.path()));
    qputenv("TMPDIR", oldTmp);
}

TEST(WriteRwMemory, NonsensePagesFromADamagedFileAreNumberedAfresh) {
    auto song = SongFixtures::NewSong(QStringLiteral("one two\nthree"));
    SongFixtures::TimeWords(*song, 3.0, 1.0);
    song->GetLine(1)->page = 0x7FFFFFF0;
    song->GetLine(1)->row = -3;
    const Rendered r = Render(*song);
    EXPECT_EQ(song->GetLine(1)->page, 0);
    EXPECT_EQ(song->GetLine(1)->row, 1);
    EXPECT_GT(r.length, 0u);
}

TEST(WriteRwMemory, ScheduleStaysWellFormedForAnyWordTimes) {
    // Times as a damaged or hand-edited song may hold them: running backwards, overlapping,
    // zero. In every row each line is drawn before it is swept, erased after its sweeps and
    // before the next line of that row is drawn.
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        QString lyrics;
        const int lineCount = 1 + static_cast<int>(random() % 14);
        for (int i = 0; i < lineCount; ++i) {
            lyrics += i % 5 == 4 ? QStringLiteral("\n") : QStringLiteral("a b c\n");
            if (random() % 7 == 0) {
                lyrics += QStringLiteral("^\n");
            }
        }
        auto song = SongFixtures::NewSong(lyrics);
        song->SetLinesPerPage(1 + static_cast<int>(random() % 6));
        song->FindPage(IMAGE_STRUCT::kTitlePage)->enabled = random() % 2 == 0;
        for (auto& line : song->lineList) {
            line->placed = random() % 8 != 0;
            for (auto& w : line->words) {
                w->startTime = random() % 6 == 0 ? 0 : static_cast<int32_t>(random() % 2000000);
                w->endTime = static_cast<int32_t>(random() % 2000000);
            }
        }
        uint32_t length = 0;
        song->WriteRwMemory(nullptr, 0, &length, MSongSettings::kFromTheStart);
        std::map<int, const MKaraokeLine*> lastInRow;
        for (const auto& line : song->lineList) {
            if (!line->placed || !line->HasWords()) {
                continue;
            }
            SCOPED_TRACE(testing::Message()
                         << "round " << round << " page " << line->page << " row " << line->row);
            EXPECT_LE(line->drawTime, line->eraseTime);
            for (const auto& w : line->words) {
                if (w->startTime != 0) {
                    const auto [start, end] = MRwStreamWriter::SweepSpan(*line, *w);
                    EXPECT_LE(line->drawTime, start);
                    EXPECT_LE(start, end);
                    EXPECT_LE(end, line->eraseTime);
                }
            }
            if (const auto it = lastInRow.find(line->row); it != lastInRow.end()) {
                EXPECT_GT(it->second->eraseTime, 0);
                EXPECT_LE(it->second->eraseTime, line->drawTime);
            }
            lastInRow[line->row] = line.get();
        }
    }
}
