// The audio and CD+G player on a real sound output: where runs start and end, the position with
// a tempo change, the graphics, and what happens without a device or a file.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <atomic>
#include <cstring>
#include <thread>

#include "PlayerFixtures.h"
#include "audio/MAudioOutput.h"
#include "audio/MCdgPlayer.h"
#include "cdg/CdgPacket.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "platform/MQtAudioOutput.h"
#include "platform/MQtAudioOutputFactory.h"

namespace {

constexpr int kBoth = MCdgPlayer::kFlagAudio | MCdgPlayer::kFlagGraphics;

// A stream of silence with a tile of colour 5 at (row 1, column 1 + k) drawn by packet index
// packets[k].
std::vector<uint8_t> TileStream(uint32_t packetCount, const std::vector<uint32_t>& packets) {
    std::vector<uint8_t> stream(static_cast<size_t>(packetCount) * 24, 0);
    for (size_t k = 0; k < packets.size(); ++k) {
        CdgPacket p = CdgPacket::Graphics(CdgPacket::kTileBlock);
        p.data[1] = 5;
        p.data[2] = 1;
        p.data[3] = static_cast<uint8_t>(1 + k);
        std::memset(p.data + 4, 0x3F, 12);
        std::memcpy(stream.data() + static_cast<size_t>(packets[k]) * 24, &p, 24);
    }
    return stream;
}

bool TileDrawn(const MRwRenderer& r, int k) {
    return r.PixelAt(6 * (1 + k), 12) == 5;
}

class CdgPlayerTest : public ::testing::Test {
protected:
    QString Wav(const QString& name, double seconds, int bits = 16, int channels = 2) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(PlayerFixtures::WriteToneWav(path, static_cast<int64_t>(seconds * 44100), bits,
                                                 channels));
        return path;
    }
    MPlayerContext Context() { return MPlayerContext{&outputs_, nullptr, &log_}; }
    // A player on this program's test sink.
    std::unique_ptr<MCdgPlayer> Player(MRwRenderer* renderer) {
        auto player = std::make_unique<MCdgPlayer>(Context(), renderer);
        player->SetOutputDeviceNumber(PulseSink::TestDeviceNumber(outputs_));
        return player;
    }

    QTemporaryDir dir_;
    MQtAudioOutputFactory outputs_;
    MessageLog log_;
    MRwRenderer renderer_;
};

// Counts the finished callbacks of runs.
struct Finished {
    std::atomic<int> calls{0};
    std::atomic<int> badArguments{0};
    MCdgPlayer::FinishedCallback Callback() {
        return [this](int code, void* user) {
            if (code != 0 || user != this) {
                ++badArguments;
            }
            ++calls;
        };
    }
};

}  // namespace

// Starting at frame 441,000 drops 57 blocks of 30,576 bytes (1,742,832 bytes), so the run starts
// at frame 435,708; the graphics before that are not decoded, those after it are.
TEST_F(CdgPlayerTest, StartingLaterDropsWholeBlocksAndSkipsTheGraphicsBefore) {
    const QString wav = Wav(QStringLiteral("long.wav"), 12);
    const auto stream = TileStream(3600, {100, 2990, 3060});
    const auto player = Player(&renderer_);
    player->SetSource(wav, stream.data(), static_cast<uint32_t>(stream.size()));
    ASSERT_TRUE(player->Play(kBoth, 441000, MCdgPlayer::kToTheEnd));
    EXPECT_EQ(player->BlockBytes(), 30576u);
    ASSERT_TRUE(PlayerFixtures::WaitFor([&] { return player->Position() != 0; }, 2000));
    EXPECT_EQ(player->PrerollBytes(), 1742832);
    const MCdgPlayer::Progress first = player->CurrentProgress();
    EXPECT_EQ(first.position, 435708u + first.playedBytes / 4);
    ASSERT_TRUE(PlayerFixtures::WaitFor(
        [&] { return player->GraphicsPlayer()->LastDecodedPosition() > 3061 * 147; }, 3000));
    EXPECT_FALSE(TileDrawn(renderer_, 0)) << "a packet long before the start was decoded";
    EXPECT_TRUE(TileDrawn(renderer_, 1));
    EXPECT_TRUE(TileDrawn(renderer_, 2));
    player->Stop();
}

// With a tempo change of -20, each frame heard stands for 0.8 frames of the song: one second of
// audio played (176,400 bytes) advances the position by 35,280 frames. SoundTouch really
// stretches the audio: 2 s of file play as 2.5 s.
TEST_F(CdgPlayerTest, SlowerTempoCountsFramesOfTheUnchangedSong) {
    // Outlive the player, whose threads use them until it is destroyed.
    MEvent stopped;
    Finished finished;
    const QString wav = Wav(QStringLiteral("two.wav"), 2);
    const auto player = Player(nullptr);
    player->SetSource(wav, nullptr, 0);
    player->SetTempoChange(-20);
    player->SetStopEvent(&stopped);
    const int64_t started = PlayerFixtures::NowUsecs();
    ASSERT_TRUE(player->Play(MCdgPlayer::kFlagAudio, 0, MCdgPlayer::kToTheEnd, finished.Callback(),
                             &finished));
    bool sawOneSecond = false;
    while (player->IsPlaying()) {
        const MCdgPlayer::Progress p = player->CurrentProgress();
        if (p.position != player->TotalFrames()) {
            EXPECT_EQ(p.position, p.playedBytes / 4 * 80 / 100);
        }
        if (p.playedBytes >= 176400 && !sawOneSecond) {
            sawOneSecond = true;
            EXPECT_GE(p.position, 35280u);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    ASSERT_TRUE(stopped.Wait(5000));
    const double seconds = (PlayerFixtures::NowUsecs() - started) / 1e6;
    EXPECT_TRUE(sawOneSecond);
    EXPECT_TRUE(PlayerFixtures::WaitFor([&] { return finished.calls.load() == 1; }, 2000));
    EXPECT_EQ(finished.badArguments.load(), 0);
    const double heard = player->CurrentProgress().playedBytes / 176400.0;
    EXPECT_NEAR(heard, 2.5, 0.08) << "seconds of audio heard";
    EXPECT_GE(seconds, 2.45);
    EXPECT_EQ(player->RemainingTimeText(), QStringLiteral("00:00"));
}

// To the end of the file: the last of the audio is heard before the run ends by itself, the
// stop event is set, the callback comes once, the position is the total and the time "00:00".
TEST_F(CdgPlayerTest, PlayingToTheEndHearsTheLastBlockAndEndsOnce) {
    // Outlive the player, whose threads use them until it is destroyed.
    MEvent stopped;
    Finished finished;
    const QString wav = Wav(QStringLiteral("short.wav"), 1.5);
    const auto player = Player(&renderer_);
    const auto stream = TileStream(450, {10});
    player->SetSource(wav, stream.data(), static_cast<uint32_t>(stream.size()));
    player->SetLeadingSilenceFrames(22050);
    player->SetStopEvent(&stopped);
    const int64_t started = PlayerFixtures::NowUsecs();
    ASSERT_TRUE(player->Play(kBoth, 0, MCdgPlayer::kToTheEnd, finished.Callback(), &finished));
    // The leading silence belongs to the song: 2 s in all.
    EXPECT_EQ(player->TotalFrames(), 88200u);
    EXPECT_EQ(player->RemainingTimeText(), QStringLiteral("00:02"));
    ASSERT_TRUE(stopped.Wait(6000));
    ASSERT_TRUE(PlayerFixtures::WaitFor([&] { return finished.calls.load() == 1; }, 2000));
    const double seconds = (PlayerFixtures::NowUsecs() - started) / 1e6;
    EXPECT_GE(seconds, 2.0) << "the run ended before its last audio was heard";
    EXPECT_LT(seconds, 3.5);
    EXPECT_EQ(player->CurrentProgress().playedBytes, 88200 * 4);
    EXPECT_EQ(player->Position(), 88200u);
    EXPECT_EQ(player->RemainingTimeText(), QStringLiteral("00:00"));
    EXPECT_FALSE(player->IsPlaying());
    player->Stop();  // stopping a stopped player does nothing
    EXPECT_EQ(finished.calls.load(), 1);
}

// An end frame stops the run there.
TEST_F(CdgPlayerTest, EndFrameStopsTheRun) {
    // Outlive the player, whose threads use them until it is destroyed.
    Finished finished;
    const QString wav = Wav(QStringLiteral("five.wav"), 5);
    const auto player = Player(nullptr);
    player->SetSource(wav, nullptr, 0);
    const int64_t started = PlayerFixtures::NowUsecs();
    ASSERT_TRUE(player->Play(MCdgPlayer::kFlagAudio, 0, 44100, finished.Callback(), &finished));
    ASSERT_TRUE(PlayerFixtures::WaitFor([&] { return finished.calls.load() == 1; }, 4000));
    const double seconds = (PlayerFixtures::NowUsecs() - started) / 1e6;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 2.0);
    EXPECT_GE(player->Position(), 44100u);
    EXPECT_LT(player->Position(), 44100u + 1000u);
    EXPECT_EQ(player->RemainingTimeText(), QStringLiteral("00:03"));
}

// Mono and 8-bit work WAVs run at their own speed: the position counts their frames.
TEST_F(CdgPlayerTest, MonoEightBitFilesPlayInTime) {
    const QString wav = Wav(QStringLiteral("mono8.wav"), 1.5, 8, 1);
    const auto player = Player(nullptr);
    player->SetSource(wav, nullptr, 0);
    const int64_t started = PlayerFixtures::NowUsecs();
    ASSERT_TRUE(player->Play(MCdgPlayer::kFlagAudio, 22050, MCdgPlayer::kToTheEnd));
    EXPECT_EQ(player->BlockBytes(), 30576u);
    while (player->IsPlaying()) {
        const MCdgPlayer::Progress p = player->CurrentProgress();
        if (p.position != player->TotalFrames() && p.playedBytes > 0) {
            EXPECT_EQ(p.position, static_cast<uint32_t>(p.playedBytes));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double seconds = (PlayerFixtures::NowUsecs() - started) / 1e6;
    // No whole block lies before frame 22,050: all 1.5 s play.
    EXPECT_NEAR(seconds, 1.5, 0.35);
    EXPECT_EQ(player->CurrentProgress().playedBytes, 66150);
}

// No sound device: the user is warned, Play fails and nothing runs.
TEST_F(CdgPlayerTest, WithoutASoundDevicePlayWarnsAndFails) {
    // Outlive the player, whose threads use them until it is destroyed.
    Finished finished;
    const QString wav = Wav(QStringLiteral("one.wav"), 1);
    const auto player =
        std::make_unique<MCdgPlayer>(MPlayerContext{nullptr, nullptr, &log_}, &renderer_);
    player->SetSource(wav, nullptr, 0);
    EXPECT_FALSE(player->Play(kBoth, 0, MCdgPlayer::kToTheEnd, finished.Callback(), &finished));
    EXPECT_FALSE(player->IsPlaying());
    player->Stop();
    EXPECT_EQ(finished.calls.load(), 0);
    const auto messages = log_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Title(), QStringLiteral("Sound Device Not Detected"));
    EXPECT_EQ(messages[0].Text(),
              QStringLiteral("An audio sound card is not installed in this computer.\nYou will "
                             "not be able to hear the audio when you play Karaoke CDG or Audio CD "
                             "files."));
    EXPECT_EQ(messages[0].GetIcon(), MStatus::Icon::Warning);
}

// Without sound (no device, graphics only) the run plays on the clock: the graphics follow.
TEST_F(CdgPlayerTest, GraphicsAloneFollowTheClockWithoutADevice) {
    const QString wav = Wav(QStringLiteral("one.wav"), 1);
    const auto stream = TileStream(300, {30, 200});
    const auto player =
        std::make_unique<MCdgPlayer>(MPlayerContext{nullptr, nullptr, &log_}, &renderer_);
    player->SetSource(wav, stream.data(), static_cast<uint32_t>(stream.size()));
    const int64_t started = PlayerFixtures::NowUsecs();
    ASSERT_TRUE(player->Play(MCdgPlayer::kFlagGraphics, 0, MCdgPlayer::kToTheEnd));
    ASSERT_TRUE(PlayerFixtures::WaitFor([&] { return TileDrawn(renderer_, 0); }, 1000));
    const double first = (PlayerFixtures::NowUsecs() - started) / 1e6;
    EXPECT_NEAR(first, 0.1, 0.05) << "packet 30 is due at 0.1 s";
    EXPECT_FALSE(TileDrawn(renderer_, 1));
    ASSERT_TRUE(PlayerFixtures::WaitFor([&] { return !player->IsPlaying(); }, 3000));
    EXPECT_GE((PlayerFixtures::NowUsecs() - started) / 1e6, 1.0);
    EXPECT_TRUE(TileDrawn(renderer_, 1));
    EXPECT_TRUE(log_.Messages().empty());
}

// The output device number chooses among the devices by name; a number past the list plays
// on the default device.
TEST_F(CdgPlayerTest, DeviceNumberChoosesTheSink) {
    const QString sink = QStringLiteral("quilm_choice_%1").arg(QCoreApplication::applicationPid());
    PulseSink extra(sink);
    ASSERT_TRUE(extra.Loaded());
    int number = -1;
    ASSERT_TRUE(PlayerFixtures::WaitFor(
        [&] {
            number = static_cast<int>(outputs_.DeviceNames().indexOf(extra.Description()));
            return number >= 0;
        },
        3000));
    const QString wav = Wav(QStringLiteral("one.wav"), 1);
    HeardProbe probe;
    ASSERT_TRUE(probe.Connect());
    const auto player = Player(nullptr);
    player->SetSource(wav, nullptr, 0);
    player->SetOutputDeviceNumber(number);
    ASSERT_TRUE(player->Play(MCdgPlayer::kFlagAudio, 0, MCdgPlayer::kToTheEnd));
    EXPECT_EQ(probe.SinkOf(*dynamic_cast<MQtAudioOutput*>(player->Output())), sink);
    player->Stop();
    EXPECT_EQ(outputs_.DeviceNames().value(0), QMediaDevices::defaultAudioOutput().description())
        << "the default device comes first";
    player->SetOutputDeviceNumber(1000);
    ASSERT_TRUE(player->Play(MCdgPlayer::kFlagAudio, 0, MCdgPlayer::kToTheEnd));
    EXPECT_EQ(probe.SinkOf(*dynamic_cast<MQtAudioOutput*>(player->Output())),
              PulseSink::DefaultSink());
    player->Close();
}
