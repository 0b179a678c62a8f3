// Many short runs of the one player, stopped in every way it can be stopped: no hang, no crash,
// no thread left behind, and one finished callback per run. Also run under AddressSanitizer.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <deque>
#include <random>
#include <thread>

#include "PlayerFixtures.h"
#include "audio/MCdgPlayer.h"
#include "cdg/CdgPacket.h"
#include "cdg/MRwRenderer.h"
#include "platform/MQtAudioOutputFactory.h"

namespace {

// One run: how often its finished callback came, and what it should do from there.
struct PlayRun {
    std::atomic<int> finished{0};
    std::atomic<bool> stopFromCallback{false};
    std::atomic<bool> closeFromCallback{false};
    // The run that the callback starts, if any.
    std::atomic<PlayRun*> next{nullptr};
};

int ThreadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

}  // namespace

TEST(PlayerRobustness, TwoHundredRunsStoppedEveryWay) {
    QTemporaryDir dir;
    const QString shortWav = dir.filePath(QStringLiteral("short.wav"));
    const QString tinyWav = dir.filePath(QStringLiteral("tiny.wav"));
    const QString longWav = dir.filePath(QStringLiteral("long.wav"));
    const QString missing = dir.filePath(QStringLiteral("missing.wav"));
    ASSERT_TRUE(PlayerFixtures::WriteToneWav(shortWav, 44100));
    ASSERT_TRUE(PlayerFixtures::WriteToneWav(tinyWav, 2205));
    ASSERT_TRUE(PlayerFixtures::WriteToneWav(longWav, 44100 * 40));
    std::vector<uint8_t> stream(300 * 24 * 2, 0);
    for (size_t i = 0; i < stream.size(); i += 24 * 7) {
        CdgPacket p = CdgPacket::Graphics(CdgPacket::kTileBlock);
        p.data[1] = static_cast<uint8_t>(i % 16);
        p.data[2] = static_cast<uint8_t>(1 + i % 16);
        p.data[3] = static_cast<uint8_t>(1 + i % 48);
        std::memcpy(stream.data() + i, &p, 24);
    }

    MQtAudioOutputFactory outputs;
    MessageLog log;
    MRwRenderer renderer;
    const MPlayerContext withSound{&outputs, nullptr, &log};
    const MPlayerContext withoutSound{nullptr, nullptr, &log};
    const int device = PulseSink::TestDeviceNumber(outputs);
    auto create = [&](const MPlayerContext& context) {
        MCdgPlayer* p = MCdgPlayer::CreatePlayer(context, &renderer);
        p->SetOutputDeviceNumber(device);
        return p;
    };
    MCdgPlayer* player = create(withSound);
    EXPECT_EQ(MCdgPlayer::CurrentPlayer(), player);

    std::deque<PlayRun> runs;
    std::mt19937 random(20240611);
    auto pause = [&](int maxMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % (maxMs + 1)));
    };
    // The callback of every run: counts, and does what the run asks of it.
    const MCdgPlayer::FinishedCallback callback = [&](int, void* user) {
        PlayRun& run = *static_cast<PlayRun*>(user);
        ++run.finished;
        MCdgPlayer* p = MCdgPlayer::CurrentPlayer();
        if (p == nullptr) {
            return;  // the player is being destroyed
        }
        if (run.stopFromCallback) {
            p->Stop();
        }
        if (PlayRun* next = run.next.exchange(nullptr)) {
            // The next stretch of a loop, started from the player's own thread.
            p->Play(MCdgPlayer::kFlagAudio, 0, MCdgPlayer::kToTheEnd, callback, next);
        }
        if (run.closeFromCallback) {
            p->Close();
        }
    };
    // The runs' records and the callback outlive the player, whatever way the test ends.
    struct Destroy {
        ~Destroy() { MCdgPlayer::DestroyPlayer(); }
    } destroyFirst;
    auto play = [&](const QString& wav, int flags, int32_t start, uint32_t end) -> PlayRun* {
        runs.emplace_back();
        player->SetSource(wav, stream.data(), static_cast<uint32_t>(stream.size()));
        if (!player->Play(flags, start, end, callback, &runs.back())) {
            runs.pop_back();
            return nullptr;
        }
        return &runs.back();
    };

    const int threadsBefore = ThreadCount();
    constexpr int kBoth = MCdgPlayer::kFlagAudio | MCdgPlayer::kFlagGraphics;
    int noDevice = 0;
    for (int cycle = 0; cycle < 200; ++cycle) {
        SCOPED_TRACE(cycle);
        player->SetTempoChange(cycle % 5 == 0 ? -20 : (cycle % 7 == 0 ? 25 : 0));
        switch (cycle % 8) {
            case 0: {  // stopped by the owner at some moment
                ASSERT_NE(play(shortWav, kBoth, 0, MCdgPlayer::kToTheEnd), nullptr);
                pause(40);
                player->Stop();
                break;
            }
            case 1: {  // stopped during the pre-roll
                ASSERT_NE(play(longWav, kBoth, 44100 * 38, MCdgPlayer::kToTheEnd), nullptr);
                player->Stop();
                break;
            }
            case 2: {  // ends at its end frame and stops (and closes) again from the callback
                PlayRun* run = play(shortWav, kBoth, 0, 2000);
                ASSERT_NE(run, nullptr);
                run->stopFromCallback = true;
                run->closeFromCallback = cycle % 16 == 2;
                ASSERT_TRUE(
                    PlayerFixtures::WaitFor([&] { return run->finished.load() == 1; }, 5000));
                break;
            }
            case 3: {  // no sound device, with a player of its own
                player = create(withoutSound);
                player->SetSource(shortWav, nullptr, 0);
                EXPECT_FALSE(player->Play(kBoth, 0, MCdgPlayer::kToTheEnd, callback, nullptr));
                ++noDevice;
                MCdgPlayer::DestroyPlayer();
                EXPECT_EQ(MCdgPlayer::CurrentPlayer(), nullptr);
                player = create(withSound);
                break;
            }
            case 4: {  // a file that cannot be opened: the owner stops the run
                ASSERT_NE(play(missing, kBoth, 0, MCdgPlayer::kToTheEnd), nullptr);
                pause(20);
                EXPECT_TRUE(player->IsPlaying());
                player->Stop();
                break;
            }
            case 5: {  // a file shorter than the sound server's pre-buffer: heard, and done
                PlayRun* run = play(tinyWav, MCdgPlayer::kFlagAudio, 0, MCdgPlayer::kToTheEnd);
                ASSERT_NE(run, nullptr);
                ASSERT_TRUE(
                    PlayerFixtures::WaitFor([&] { return run->finished.load() == 1; }, 1000));
                // 2,205 frames, or as many as the tempo change makes of them (+25 %: 1,764).
                EXPECT_GE(player->CurrentProgress().playedBytes, 1764 * 4);
                break;
            }
            case 6: {  // a loop: the callback of one run starts the next
                PlayRun* first = play(shortWav, MCdgPlayer::kFlagAudio, 0, 1500);
                ASSERT_NE(first, nullptr);
                runs.emplace_back();  // the run the callback starts
                first->next = &runs.back();
                ASSERT_TRUE(
                    PlayerFixtures::WaitFor([&] { return first->finished.load() == 1; }, 5000));
                ASSERT_TRUE(PlayerFixtures::WaitFor([&] { return player->IsPlaying(); }, 1000));
                pause(30);
                player->Stop();
                break;
            }
            case 7: {  // Play again while playing, then the player is destroyed while playing
                ASSERT_NE(play(shortWav, kBoth, 0, MCdgPlayer::kToTheEnd), nullptr);
                pause(15);
                ASSERT_NE(play(shortWav, kBoth, 1000, MCdgPlayer::kToTheEnd), nullptr);
                pause(15);
                if (cycle % 16 == 7) {
                    MCdgPlayer::DestroyPlayer();
                    player = create(withSound);
                } else {
                    player->Stop();
                    player->Close();
                }
                break;
            }
        }
        EXPECT_FALSE(player->IsPlaying());
    }
    MCdgPlayer::DestroyPlayer();

    EXPECT_EQ(noDevice, 25);
    EXPECT_EQ(log.Messages().size(), 25u) << "one warning per Play without a device";
    int runsChecked = 0;
    for (const PlayRun& run : runs) {
        EXPECT_EQ(run.finished.load(), 1) << "run " << runsChecked;
        ++runsChecked;
    }
    EXPECT_GE(runsChecked, 175);
    // Qt's sound server connection may add a thread or two on first use; the runs none.
    EXPECT_LE(ThreadCount(), threadsBefore + 2);
}
