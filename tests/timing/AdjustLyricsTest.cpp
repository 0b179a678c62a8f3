// Adjust Lyrics: the nudges and their limits, the stretch Adjust Play covers, selection, the
// singer buttons and the Adjust Play Area Controls dialog.

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>

#include "TimingFixtures.h"
#include "cdg/MRwRenderer.h"
#include "modes/AdjustAreaDialog.h"
#include "modes/AdjustLyricsPanel.h"
#include "modes/ModePreview.h"
#include "widgets/MRwViewerWindow.h"

using N = AdjustLyricsModel;

class AdjustLyricsTest : public TimingTest {};

TEST_F(AdjustLyricsTest, StepsAreSinglePrecisionFrames) {
    EXPECT_EQ(N::StepFrames(200), 8820);
    EXPECT_EQ(N::StepFrames(50), 2205);
    // 0.35 in single precision is just below 0.35: 15,434.99... frames, truncated.
    EXPECT_EQ(N::StepFrames(350), 15434);
    EXPECT_EQ(N::StepFrames(0), 0);
    EXPECT_EQ(N::StepFrames(1000), 44100);
}

TEST_F(AdjustLyricsTest, EveryNudgeAndItsLimits) {
    MakeSong(QStringLiteral("a b c"), 3);
    MRwRenderer renderer;
    N m(*document_, &renderer);
    m.Open();
    auto set = [&](int32_t a0, int32_t a1, int32_t b0, int32_t b1, int32_t c0, int32_t c1) {
        Word(0)->startTime = a0, Word(0)->endTime = a1;
        Word(1)->startTime = b0, Word(1)->endTime = b1;
        Word(2)->startTime = c0, Word(2)->endTime = c1;
    };
    // Start earlier: the first word stops at 0.
    set(5000, 20000, 20000, 40000, 40000, 60000);
    m.Select(0);
    m.Apply(N::kStartEarlier);
    EXPECT_EQ(Word(0)->startTime, 0);
    // ... another word at its previous word's start, cutting that word's end.
    m.Select(1);
    m.Apply(N::kStartEarlier);
    EXPECT_EQ(Word(1)->startTime, 11180);
    EXPECT_EQ(Word(0)->endTime, 11180);
    m.Apply(N::kStartEarlier);
    m.Apply(N::kStartEarlier);
    EXPECT_EQ(Word(1)->startTime, 0);
    EXPECT_EQ(Word(0)->endTime, 0);

    // Start later: never past its own end; a joined previous word follows, a gap stays.
    set(0, 20000, 20000, 30000, 40000, 60000);
    m.Select(1);
    m.Apply(N::kStartLater);
    EXPECT_EQ(Word(1)->startTime, 28820);
    EXPECT_EQ(Word(0)->endTime, 28820);
    m.Apply(N::kStartLater);
    EXPECT_EQ(Word(1)->startTime, 30000) << "a word may become zero length";
    set(0, 15000, 20000, 30000, 40000, 60000);
    m.Apply(N::kStartLater);
    EXPECT_EQ(Word(0)->endTime, 15000);

    // End earlier stops at the word's start.
    set(0, 20000, 20000, 25000, 40000, 60000);
    m.Apply(N::kEndEarlier);
    EXPECT_EQ(Word(1)->endTime, 20000);
    // End later stops at the next word's end and pushes its start.
    set(0, 20000, 20000, 36000, 40000, 50000);
    m.Apply(N::kEndLater);
    EXPECT_EQ(Word(1)->endTime, 44820);
    EXPECT_EQ(Word(2)->startTime, 44820);
    m.Apply(N::kEndLater);
    EXPECT_EQ(Word(1)->endTime, 50000);
    // The last word is unbounded.
    m.Select(2);
    m.Apply(N::kEndLater);
    EXPECT_EQ(Word(2)->endTime, 58820);
    song_->header.adjustStepMs = 50;
    m.Apply(N::kEndLater);
    EXPECT_EQ(Word(2)->endTime, 61025);
    // No selection: nothing happens.
    song_->SetModified(false);
    m.Select(-1);
    EXPECT_FALSE(m.Apply(N::kEndLater));
    EXPECT_FALSE(song_->modified);
    // A nudge is a change of the project that the window hears of.
    QSignalSpy lines(document_.get(), &MSongDocument::linesChanged);
    m.Select(1);
    EXPECT_TRUE(m.Apply(N::kEndEarlier));
    EXPECT_EQ(lines.count(), 1);
    EXPECT_TRUE(document_->IsModified());
}

TEST_F(AdjustLyricsTest, StretchOfAdjustPlay) {
    MakeSong(QStringLiteral("a b c d e f g h"), 3);
    TimeWords(1000, 1000);
    MRwRenderer renderer;
    N m(*document_, &renderer);
    m.Open();
    // Three words of context on the second word start at the first word.
    m.Select(1);
    N::Stretch s = m.PlayStretch(true);
    EXPECT_EQ(s.start, 1000);
    EXPECT_EQ(s.end, 6000) << "three words after b end with e";
    EXPECT_FALSE(s.toTheEnd);
    m.Select(7);
    EXPECT_EQ(m.PlayStretch(true).end, 9000) << "the last word's end past the song's words";
    EXPECT_EQ(m.PlayStretch(true).start, 5000);
    // Context off: from the word to the end.
    EXPECT_TRUE(m.PlayStretch(false).toTheEnd);
    EXPECT_EQ(m.PlayStretch(false).start, 8000);
    // Seconds of context.
    song_->header.loopBeforeIsSeconds = 1;
    song_->header.loopAfterIsSeconds = 1;
    song_->header.loopBefore = 100;
    song_->header.loopAfter = 500;
    s = m.PlayStretch(true);
    EXPECT_EQ(s.start, 8000 - 4410);
    EXPECT_EQ(s.end, 9000 + 22050);

    // A word split with "*" counts once either way.
    MakeSong(QStringLiteral("a b*c d e f*g h"), 3);
    TimeWords(1000, 1000);
    N split(*document_, &renderer);
    split.Open();
    ASSERT_EQ(song_->WordCount(), 8);
    song_->header.loopBefore = song_->header.loopAfter = 2000;
    split.Select(3);  // d
    s = split.PlayStretch(true);
    EXPECT_EQ(s.start, Word(0)->startTime) << "c and b* are one word: a is the second";
    EXPECT_EQ(s.end, Word(5)->endTime) << "e, then f*";
    split.Select(6);  // *g
    EXPECT_EQ(split.PlayStretch(true).end, Word(7)->endTime);
}

TEST_F(AdjustLyricsTest, SelectionPagesAndTheOpenedSong) {
    MakeSong(QStringLiteral("aa bb\ncc dd\nee ff\ngg hh\nii jj"), 3);
    TimeWords(1000, 10000);
    song_->SetModified(false);
    song_->header.loopPlay = 0;
    AdjustLyricsPanel panel(host_, *document_);
    panel.resize(800, 600);
    panel.show();
    EXPECT_FALSE(song_->modified) << "opening the mode alone";
    EXPECT_EQ(song_->header.loopPlay, 1);
    N& m = panel.Model();
    EXPECT_EQ(m.Anchor(), 0);
    EXPECT_EQ(panel.PageLabel()->text(), QStringLiteral("1 of 2"));
    EXPECT_FALSE(panel.SingerGroup()->isVisible()) << "solo song";
    EXPECT_TRUE(panel.Preview()->Viewer()->accessibleDescription().contains(QStringLiteral("aa")));

    QWidget* focus = panel.AuditionButton();
    Key(focus, QEvent::KeyPress, Qt::Key_Right);
    EXPECT_EQ(m.Anchor(), 1);
    Key(focus, QEvent::KeyPress, Qt::Key_Left);
    Key(focus, QEvent::KeyPress, Qt::Key_Left);
    EXPECT_EQ(m.Anchor(), 0);
    Key(focus, QEvent::KeyPress, Qt::Key_PageDown);
    Key(focus, QEvent::KeyRelease, Qt::Key_PageDown);
    EXPECT_EQ(m.Page(), 1);
    EXPECT_EQ(m.Anchor(), 8);
    EXPECT_FALSE(panel.NextPageButton()->isEnabled());

    // A click maps the viewer onto the screen: a word's box centre selects it.
    const MKaraokeWord* target = Word(9);
    ASSERT_GT(target->box[2], target->box[0]);
    MRwViewerWindow* viewer = panel.Preview()->Viewer();
    const int cx = (target->box[0] + target->box[2]) / 2 + 6;
    const int cy = (target->box[1] + target->box[3]) / 2 + 12;
    panel.ClickPreview(QPoint(cx * viewer->width() / 300 + 1, cy * viewer->height() / 216 + 1),
                       false);
    EXPECT_EQ(m.Anchor(), 9);
    EXPECT_TRUE(Word(9)->IsSelected());
    panel.ClickPreview(QPoint(1, 1), true);
    EXPECT_EQ(m.Anchor(), 9) << "shift-click on nothing keeps the selection";
    panel.ClickPreview(QPoint(1, 1), false);
    EXPECT_EQ(m.Anchor(), -1);
    EXPECT_FALSE(panel.AdjustButton()->isEnabled());

    // Audition stop in a gap keeps the selection and page.
    m.Select(9);
    Word(9)->startTime = 200000;
    Word(9)->endTime = 210000;
    EXPECT_FALSE(m.SelectWordAt(150000));
    EXPECT_EQ(m.Anchor(), 9);
    EXPECT_TRUE(m.SelectWordAt(1500));
    EXPECT_EQ(m.Anchor(), 0);
    EXPECT_EQ(m.Page(), 0);
}

TEST_F(AdjustLyricsTest, SingersInADuet) {
    MakeSong(QStringLiteral("aa bb\n&cc dd"), 4, true);
    TimeWords(10000, 10000);
    AdjustLyricsPanel panel(host_, *document_);
    panel.resize(800, 600);
    panel.show();
    ASSERT_TRUE(panel.SingerGroup()->isVisible());
    EXPECT_TRUE(panel.SingerButton(N::kSinger1)->isChecked());
    panel.SingerButton(N::kSinger2)->click();
    EXPECT_EQ(song_->GetLine(0)->singerColour, 9);
    EXPECT_TRUE(panel.SingerButton(N::kSinger2)->isChecked());
    EXPECT_FALSE(panel.SingerButton(N::kSinger1)->isChecked());
    // Disabled while anything plays.
    Key(panel.AuditionButton(), QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kAuditionPlay);
    EXPECT_FALSE(panel.SingerGroup()->isEnabled());
    EXPECT_FALSE(panel.ModeButton(ModePanel::kPlaceButton)->isEnabled());
    Key(panel.AuditionButton(), QEvent::KeyRelease, Qt::Key_Space);
    Key(panel.AuditionButton(), QEvent::KeyPress, Qt::Key_N);
    EXPECT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kAuditionPlay) << "N during Audition Play";
    Key(panel.AuditionButton(), QEvent::KeyRelease, Qt::Key_N);
    Key(panel.AuditionButton(), QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kIdle);
    EXPECT_TRUE(panel.SingerGroup()->isEnabled());
}

TEST_F(AdjustLyricsTest, AreaDialogEditsACopy) {
    MakeSong(QStringLiteral("a b"), 2);
    song_->SetModified(false);
    {
        AdjustAreaDialog dialog(*song_, 100);
        dialog.AreaSpinner()->stepBy(1);
        dialog.AmountSpinner()->stepBy(-3);
        EXPECT_EQ(dialog.Edited().loopBefore, 4000);
        EXPECT_EQ(dialog.Edited().loopAfter, 4000);
        dialog.AreaSpinner()->stepBy(5);
        EXPECT_EQ(dialog.Edited().loopBefore, 4000) << "words stay within 2 to 4";
        EXPECT_EQ(dialog.Edited().adjustStepMs, 50);
        dialog.reject();
        EXPECT_EQ(song_->header.loopBefore, 3000) << "Cancel leaves the song as it was";
        EXPECT_FALSE(song_->modified);
        dialog.ApplyTo(*document_);
        EXPECT_EQ(song_->header.adjustStepMs, 50);
        EXPECT_TRUE(song_->modified);
    }
    song_->header.loopBeforeIsSeconds = 1;
    song_->header.loopBefore = 9000;
    AdjustAreaDialog seconds(*song_, 100);
    seconds.AreaSpinner()->stepBy(2);
    EXPECT_EQ(seconds.Edited().loopBefore, 9500);
    EXPECT_EQ(seconds.AreaSpinner()->text(), QStringLiteral("9.5"));
    seconds.AmountSpinner()->stepBy(40);
    EXPECT_EQ(seconds.Edited().adjustStepMs, 1000);
}
