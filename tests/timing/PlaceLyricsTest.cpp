// Place Lyrics: what taps, pauses and the end of a run write into the song, and the keys.

#include <QSignalSpy>
#include <algorithm>
#include <thread>

#include "TimingFixtures.h"
#include "cdg/MRwRenderer.h"
#include "modes/PlaceLyricsPanel.h"

namespace {

constexpr int32_t kSecond = 44100;

}  // namespace

class PlaceLyricsTest : public TimingTest {};

TEST_F(PlaceLyricsTest, TapsPausesAndTheEndOfARun) {
    MakeSong(QStringLiteral("one"), 3);
    MRwRenderer renderer;
    PlaceLyricsModel one(*document_, &renderer);
    one.Open();
    one.Start();
    QSignalSpy lines(document_.get(), &MSongDocument::linesChanged);
    EXPECT_EQ(one.Place(50000), PlaceLyricsModel::Redraw::WordSwept);
    EXPECT_EQ(lines.count(), 1) << "a tap is announced";
    EXPECT_TRUE(document_->IsModified());
    EXPECT_TRUE(one.AtEnd());
    // A tap after the last word changes no word.
    EXPECT_EQ(one.Place(70000), PlaceLyricsModel::Redraw::None);
    one.Finish();
    EXPECT_EQ(Word(0)->startTime, 50000);
    EXPECT_EQ(Word(0)->endTime, 50000 + kSecond);
    EXPECT_TRUE(song_->modified);

    MakeSong(QStringLiteral("twinkle twinkle little star"), 3);
    PlaceLyricsModel m(*document_, &renderer);
    m.Open();
    m.Start();
    // Pause with no open word changes nothing.
    EXPECT_FALSE(m.Pause(1000));
    m.Place(10000);
    m.Place(20000);
    EXPECT_EQ(Word(0)->startTime, 10000);
    EXPECT_EQ(Word(0)->endTime, 20000);
    EXPECT_EQ(Word(1)->endTime, 0) << "the second word stays open until the next tap";
    EXPECT_TRUE(m.Pause(25000));
    EXPECT_EQ(Word(1)->endTime, 25000);
    m.Place(30000);
    EXPECT_EQ(Word(1)->endTime, 25000) << "a tap after a pause leaves a gap";
    m.Finish();
    EXPECT_EQ(Word(2)->endTime, 30000 + kSecond);
    EXPECT_EQ(Word(3)->startTime, 0) << "a word the run did not reach keeps its time";
    EXPECT_EQ(m.WordText(2), QStringLiteral("little"));
}

// The marked word changes its own letters only, not those of the word next to it.
TEST_F(PlaceLyricsTest, MarkedWordLeavesItsNeighbours) {
    MakeSong(QStringLiteral("Twinkle twinkle little star"), 3);
    MRwRenderer page;
    song_->RenderPage(&page, 0);
    MRwRenderer marked;
    PlaceLyricsModel m(*document_, &marked);
    m.Open();
    const auto count = [](const MRwRenderer& r, int index) {
        const std::vector<uint8_t> s = r.ScreenIndices();
        return std::count(s.begin(), s.end(), index);
    };
    EXPECT_EQ(count(marked, 12), count(page, 12));
    m.Start();
    m.Place(1000);
    EXPECT_EQ(count(marked, 12) + count(marked, song_->header.sweepColour), count(page, 12));
}

TEST_F(PlaceLyricsTest, DuetLinesTakeTheSpanOfTheLineTheyAnswer) {
    MakeSong(QStringLiteral("a b\nc d e\n&f g h\ni j"), 3, true);
    ASSERT_TRUE(song_->GetLine(2)->duet);
    MRwRenderer renderer;
    PlaceLyricsModel m(*document_, &renderer);
    m.Open();
    m.Start();
    for (int32_t p : {1000, 2000, 3000, 4000, 5000}) {
        m.Place(p);
    }
    // The tap after line 2's last word goes to line 4.
    EXPECT_EQ(m.Cursor(), 8);
    m.Pause(6001);
    m.Place(7000);
    m.Finish();
    EXPECT_EQ(Word(8)->startTime, 7000);
    EXPECT_EQ(Word(8)->endTime, 7000 + kSecond);
    // Line 3 divides [3000, 6001] evenly; its last word ends exactly where line 2 ends.
    EXPECT_EQ(song_->GetLine(2)->drawTime, 3000);
    EXPECT_EQ(Word(5)->startTime, 3000);
    EXPECT_EQ(Word(5)->endTime, 4000);
    EXPECT_EQ(Word(6)->startTime, 4000);
    EXPECT_EQ(Word(6)->endTime, 5000);
    EXPECT_EQ(Word(7)->endTime, 6001);
    EXPECT_TRUE(song_->GetLine(2)->placed);

    // Two duet lines in a row: the second is tapped, then spread over the first's span.
    MakeSong(QStringLiteral("a b\n&c d\n&e f"), 3, true);
    PlaceLyricsModel two(*document_, &renderer);
    two.Open();
    two.Start();
    for (int32_t p : {1000, 3000, 9000, 9500}) {
        two.Place(p);
    }
    EXPECT_EQ(Word(4)->startTime, 9000);
    two.Pause(10000);
    two.Finish();
    EXPECT_EQ(Word(2)->startTime, 1000);
    EXPECT_EQ(Word(3)->endTime, 9000);
    EXPECT_EQ(Word(4)->startTime, 1000);
    EXPECT_EQ(Word(5)->endTime, 9000);

    // In a solo song a line beginning with "&" is tapped like any other.
    MakeSong(QStringLiteral("a b\n&c d"), 3, false);
    PlaceLyricsModel solo(*document_, &renderer);
    solo.Open();
    solo.Start();
    solo.Place(1000);
    solo.Place(2000);
    EXPECT_EQ(solo.Cursor(), 2);
}

TEST_F(PlaceLyricsTest, KeysOnThePanelWithTheRealPlayer) {
    MakeSong(QStringLiteral("one two three four five six"), 2.5);
    PlaceLyricsPanel panel(host_, *document_);
    panel.resize(640, 480);
    panel.show();
    QWidget* focus = panel.StartButton();
    // Space, Ctrl and End while not playing do nothing.
    for (int key : {Qt::Key_Space, Qt::Key_Control, Qt::Key_End}) {
        Key(focus, QEvent::KeyPress, key);
        Key(focus, QEvent::KeyRelease, key);
    }
    EXPECT_EQ(panel.CurrentState(), PlaceLyricsPanel::State::Ready);
    EXPECT_EQ(Word(0)->startTime, 0);
    EXPECT_FALSE(panel.PlaceButton()->isEnabled());

    Key(focus, QEvent::KeyPress, Qt::Key_Home);
    Key(focus, QEvent::KeyRelease, Qt::Key_Home);
    ASSERT_EQ(panel.CurrentState(), PlaceLyricsPanel::State::Placing);
    EXPECT_FALSE(panel.ModeButton(ModePanel::kEditButton)->isEnabled());
    ASSERT_TRUE(Until([&] { return player_->Position() > 8000; }, 3000));
    // Home while playing does not restart.
    Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Home);
    // Held Space: the repeats stamp nothing; the key must come up first.
    Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(panel.PlaceButton()->isDown());
    for (int i = 0; i < 3; ++i) {
        Key(panel.PlaceButton(), QEvent::KeyRelease, Qt::Key_Space, true);
        Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Space, true);
    }
    Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(panel.Model().Cursor(), 1);
    EXPECT_GT(Word(0)->startTime, 0);
    Key(panel.PlaceButton(), QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(panel.PlaceButton()->isDown());
    Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Space);
    Key(panel.PlaceButton(), QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(panel.Model().Cursor(), 2);
    EXPECT_EQ(Word(0)->endTime, Word(1)->startTime);
    Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Control);
    EXPECT_EQ(panel.Model().Previous(), -1);
    Key(panel.PlaceButton(), QEvent::KeyRelease, Qt::Key_Control);
    Key(panel.PlaceButton(), QEvent::KeyPress, Qt::Key_Return);

    // The music ends by itself: the run finishes as if Stop had been pressed.
    ASSERT_TRUE(
        Until([&] { return panel.CurrentState() == PlaceLyricsPanel::State::Finished; }, 6000));
    EXPECT_EQ(panel.StartButton()->text(), QStringLiteral("Restart (Home)"));
    EXPECT_TRUE(panel.ModeButton(ModePanel::kAdjustButton)->isEnabled());
    EXPECT_FALSE(panel.StopButton()->isEnabled());
    EXPECT_EQ(panel.Tempo(), 100);
    EXPECT_EQ(player_->TempoChange(), 0);
}
