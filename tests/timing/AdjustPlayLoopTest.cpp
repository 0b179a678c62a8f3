// Adjust Play: every pass is rendered from the current timings, and the loop survives nudges,
// stops, mode switches and closes at any moment of a pass.

#include <random>

#include "TimingFixtures.h"
#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "modes/AdjustLyricsPanel.h"
#include "modes/PlaceLyricsPanel.h"

namespace {

// The first packet of a stream at which a sweep-coloured pixel shows inside a word's box.
// The screen starts as the panel shows it at the stretch start, and the player decodes from
// the pass's start.
int64_t SweepPacket(MSongSettings& song, int32_t from, int32_t firstFrame,
                    const std::vector<uint8_t>& stream, const MKaraokeWord& word, int colour) {
    MRwRenderer renderer;
    song.RenderAtTime(&renderer, from);

    MRwPlayer decoder(&renderer);
    const int64_t packets = static_cast<int64_t>(stream.size()) / CdgTimeBase::kPacketBytes;
    for (int64_t p = firstFrame / 147; p < packets; ++p) {
        decoder.DecodePackets(stream.data(), static_cast<uint32_t>(p),
                              static_cast<uint32_t>(p + 1));
        for (int y = word.box[1]; y < word.box[3]; ++y) {
            for (int x = word.box[0]; x < word.box[2]; ++x) {
                if (renderer.PixelAt(x + 6, y + 12) == colour) {
                    return p;
                }
            }
        }
    }
    return -1;
}

std::vector<uint8_t> CurrentStream(const MSongSettings& song, const AdjustLyricsPanel& panel) {
    return std::vector<uint8_t>(song.rwBuffer.begin(), song.rwBuffer.begin() + panel.StreamBytes());
}

}  // namespace

class AdjustPlayLoopTest : public TimingTest {};

TEST_F(AdjustPlayLoopTest, ANudgeIsHeardOnTheNextPass) {
    MakeSong(QStringLiteral("one two three four five six seven"), 8);
    TimeWords(44100, 22050);
    song_->header.loopBefore = song_->header.loopAfter = 2000;
    AdjustLyricsPanel panel(host_, *document_);
    panel.resize(800, 600);
    panel.show();
    panel.Model().Select(3);
    Key(panel.AuditionButton(), QEvent::KeyPress, Qt::Key_N);
    Key(panel.AuditionButton(), QEvent::KeyRelease, Qt::Key_N);
    ASSERT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kAdjustPlay);
    ASSERT_TRUE(Until([&] { return panel.PassCount() >= 1; }, 2000));
    const std::vector<uint8_t> first = CurrentStream(*song_, panel);
    const int32_t firstLeadIn = panel.LeadInFrames();
    const int32_t firstStart = panel.AuditionStart();
    // Start later by one step during the pass (the comma and period keys act during Adjust Play).
    Key(panel.AuditionButton(), QEvent::KeyPress, Qt::Key_Period);
    Key(panel.AuditionButton(), QEvent::KeyRelease, Qt::Key_Period);
    EXPECT_EQ(Word(3)->startTime, 44100 + 3 * 22050 + 8820);
    ASSERT_TRUE(Until([&] { return panel.PassCount() >= 2; }, 5000)) << "the loop went on";
    const std::vector<uint8_t> second = CurrentStream(*song_, panel);
    EXPECT_EQ(panel.LeadInFrames(), firstLeadIn);
    const int colour = song_->header.sweepColour;
    const int32_t from = Word(1)->startTime;
    EXPECT_EQ(panel.AuditionStart(), firstStart);
    const int64_t before = SweepPacket(*song_, from, firstStart, first, *Word(3), colour);
    const int64_t after = SweepPacket(*song_, from, firstStart, second, *Word(3), colour);
    ASSERT_GE(before, 0);
    // 8,820 frames are 60 packets of 147 frames.
    EXPECT_EQ(after - before, 8820 / 147);
    Key(panel.AuditionButton(), QEvent::KeyPress, Qt::Key_N);
    EXPECT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kIdle);
    EXPECT_FALSE(player_->IsPlaying());
}

TEST_F(AdjustPlayLoopTest, HundredPassesWithNudgesSwitchesAndCloses) {
    MakeSong(QStringLiteral("one two three four five six seven eight"), 6);
    TimeWords(44100, 4410);
    // No context: each pass is the selected word alone, a tenth of a second.
    song_->header.loopBeforeIsSeconds = song_->header.loopAfterIsSeconds = 1;
    song_->header.loopBefore = song_->header.loopAfter = 0;
    song_->header.adjustStepMs = 50;
    std::mt19937 random(7);
    int passes = 0;
    auto panel = std::make_unique<AdjustLyricsPanel>(host_, *document_);
    while (passes < 100) {
        const int before = panel->PassCount();
        panel->Model().Select(static_cast<int>(random() % 8));
        panel->ToggleAdjustPlay();
        ASSERT_EQ(panel->AuditionMode(), AdjustLyricsPanel::kAdjustPlay);
        const int target = before + 1 + static_cast<int>(random() % 4);
        while (panel->PassCount() < target) {
            ASSERT_TRUE(Until([&] { return panel->PassCount() >= target; }, 5000))
                << "a pass did not end after " << passes << " passes: playing "
                << player_->IsPlaying() << ", position " << player_->Position();
            panel->Nudge(static_cast<AdjustLyricsModel::Nudge>(random() % 4));
        }
        passes += panel->PassCount() - before;
        // Wait a random moment, often just as the pass ends, then stop, switch or close.
        Until([] { return false; }, static_cast<int>(random() % 120));
        switch (random() % 3) {
            case 0:
                panel->ToggleAdjustPlay();
                EXPECT_EQ(panel->AuditionMode(), AdjustLyricsPanel::kIdle);
                break;
            case 1:
                // Another mode in between, as the window switches: the old panel goes first.
                panel.reset();
                std::make_unique<PlaceLyricsPanel>(host_, *document_).reset();
                panel = std::make_unique<AdjustLyricsPanel>(host_, *document_);
                break;
            default:
                panel.reset();
                panel = std::make_unique<AdjustLyricsPanel>(host_, *document_);
                break;
        }
        // A notice of the stopped run arrives and changes nothing.
        Until([] { return false; }, 20);
        EXPECT_FALSE(player_->IsPlaying());
    }
    panel.reset();
    EXPECT_FALSE(player_->IsPlaying());
}

// Without a sound device no pass can start: the loop ends at once instead of waiting for a pass
// that never ends, and the user has been told why.
TEST_F(AdjustPlayLoopTest, NoSoundDeviceEndsTheLoop) {
    MakeSong(QStringLiteral("one two three"), 3);
    TimeWords(4410, 22050);
    MCdgPlayer::DestroyPlayer();
    player_ = MCdgPlayer::CreatePlayer(MPlayerContext{nullptr, nullptr, &messages_}, nullptr);
    AdjustLyricsPanel panel(host_, *document_);
    panel.Model().Select(1);
    panel.ToggleAdjustPlay();
    EXPECT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kIdle);
    EXPECT_TRUE(panel.AuditionButton()->isEnabled());
    EXPECT_EQ(messages_.Messages().size(), 1u);
    // A second try does the same.
    panel.ToggleAdjustPlay();
    EXPECT_EQ(panel.AuditionMode(), AdjustLyricsPanel::kIdle);
}
