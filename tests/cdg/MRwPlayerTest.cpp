// The decoding loop that follows a moving position.

#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "cdg/CdgPacket.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"

namespace {

// A stream whose packet i paints tile (1 + i % 16, 1 + i / 16 % 48) in colour 1 + i % 15.
std::vector<uint8_t> NumberedStream(int packets) {
    std::vector<uint8_t> stream(static_cast<size_t>(packets) * 24, 0);
    for (int i = 0; i < packets; ++i) {
        CdgPacket p = CdgPacket::Graphics(CdgPacket::kTileBlock);
        p.data[0] = static_cast<uint8_t>(1 + i % 15);
        p.data[1] = static_cast<uint8_t>(1 + i % 15);
        p.data[2] = static_cast<uint8_t>(1 + i % 16);
        p.data[3] = static_cast<uint8_t>(1 + i / 16 % 48);
        std::memcpy(stream.data() + static_cast<size_t>(i) * 24, &p, 24);
    }
    return stream;
}

int TileColour(const MRwRenderer& r, int i) {
    return r.PixelAt(6 * (1 + i / 16 % 48), 12 * (1 + i % 16));
}

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

}  // namespace

TEST(Player, ThreadedLoopDecodesUpToThePosition) {
    const auto stream = NumberedStream(600);
    MRwRenderer r;
    MRwPlayer player(&r);
    std::atomic<uint32_t> position{0};
    player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
    player.SetPositionSource([&position] { return position.load(); });
    player.Start(true);
    EXPECT_TRUE(player.IsPlaying());
    position = 147 * 100 + 5;  // packets 0-99 are due
    ASSERT_TRUE(WaitFor([&] { return player.LastDecodedPosition() == 147 * 100 + 5; }));
    EXPECT_EQ(TileColour(r, 99), 1 + 99 % 15);
    EXPECT_EQ(TileColour(r, 100), 0) << "packet 100 is not due yet";
    position = 147 * 400;
    ASSERT_TRUE(WaitFor([&] { return player.LastDecodedPosition() == 147 * 400; }));
    EXPECT_EQ(TileColour(r, 399), 1 + 399 % 15);
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.LastDecodedPosition(), 0u);
}

TEST(Player, PositionsThatGoBackAreNotDecodedAgain) {
    const auto stream = NumberedStream(300);
    MRwRenderer r;
    MRwPlayer player(&r);
    std::atomic<uint32_t> position{147 * 50};
    player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
    player.SetPositionSource([&position] { return position.load(); });
    player.Start(true);
    ASSERT_TRUE(WaitFor([&] { return player.LastDecodedPosition() == 147 * 50; }));
    // Repaint tile 10 behind the player's back; a re-decode would restore it.
    const uint8_t rows[12] = {};
    r.DrawTile(1 + 10 % 16, 1 + 10 / 16 % 48, 0, 0, rows);
    position = 147 * 20;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(TileColour(r, 10), 0);
    EXPECT_EQ(player.HighestPosition(), 147u * 50);
    position = 147 * 60;
    ASSERT_TRUE(WaitFor([&] { return player.LastDecodedPosition() == 147 * 60; }));
    EXPECT_EQ(TileColour(r, 10), 0);
    EXPECT_EQ(TileColour(r, 55), 1 + 55 % 15);
    player.Stop();
}

TEST(Player, TheLastPacketOfTheStreamIsNeverDue) {
    const auto stream = NumberedStream(32);
    MRwRenderer r;
    MRwPlayer player(&r);
    player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
    player.SetPositionSource([] { return 147u * 10000; });
    player.Start(true);
    ASSERT_TRUE(WaitFor([&] { return player.LastDecodedPosition() == 147u * 10000; }));
    player.Stop();
    EXPECT_EQ(TileColour(r, 30), 1 + 30 % 15);
    EXPECT_EQ(TileColour(r, 31), 0);
}

TEST(Player, InlineLoopRunsUntilStoppedFromTheSource) {
    const auto stream = NumberedStream(100);
    MRwRenderer r;
    MRwPlayer player(&r);
    uint32_t calls = 0;
    player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
    player.SetPositionSource([&] {
        ++calls;
        if (calls == 5) {
            player.Stop();
        }
        return calls * 147 * 10;
    });
    player.Start(false);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(TileColour(r, 39), 1 + 39 % 15);
}

TEST(Player, StartWhilePlayingAndStopWhenIdleAreHarmless) {
    const auto stream = NumberedStream(10);
    MRwRenderer r;
    for (int cycle = 0; cycle < 50; ++cycle) {
        MRwPlayer player(&r);
        player.SetStream(stream.data(), static_cast<uint32_t>(stream.size()));
        player.SetPositionSource([] { return 147u * 5; });
        player.Stop();
        player.Start(true);
        player.Start(true);
        if (cycle % 2 == 0) {
            player.Stop();
        }
        // the destructor stops the rest
    }
    SUCCEED();
}

TEST(Player, WindowsPrioritiesMapToThreadPriorities) {
    EXPECT_EQ(MRwPlayer::QtPriority(1), QThread::HighPriority);
    EXPECT_EQ(MRwPlayer::QtPriority(0), QThread::NormalPriority);
    EXPECT_EQ(MRwPlayer::QtPriority(-2), QThread::LowestPriority);
    EXPECT_EQ(MRwPlayer::QtPriority(15), QThread::TimeCriticalPriority);
    EXPECT_EQ(MRwPlayer::QtPriority(-15), QThread::IdlePriority);
}
