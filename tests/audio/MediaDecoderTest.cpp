// CAudioPlay decoding media files into work-WAV data, and the duration query.

#include <gtest/gtest.h>

#include <QFileInfo>

#include "audio/AudioFixtures.h"
#include "audio/AudioStatus.h"
#include "audio/CAudioPlay.h"
#include "audio/EncodingProbes.h"

using EncodingProbes::Recorder;

TEST(MediaDecoder, DecodesIntoAPlaceholderAndThePcm) {
    AudioFixtures fx;
    const QString out = fx.Path("decoded.wav");
    for (const char* name : {"song.wma", "song.mp3"}) {
        SCOPED_TRACE(name);
        const QString media = fx.Make(name, "sine=frequency=523:duration=4", {"-ac", "2"});
        CAudioPlay play;
        ASSERT_EQ(play.Init(), 0);
        Recorder progress;
        ASSERT_EQ(play.Open(media, out, &progress, 0, 0, false), 0);
        EXPECT_EQ(play.SampleRate(), 44100u);
        EXPECT_EQ(play.Channels(), 2);
        EXPECT_TRUE(AudioFixtures::ReadAll(out) == QByteArray(44, '\0') + fx.DecodeS16(media));
        // Rising, each value once, up to (about) 100.
        ASSERT_FALSE(progress.percents.empty());
        EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
        EXPECT_EQ(std::adjacent_find(progress.percents.begin(), progress.percents.end()),
                  progress.percents.end());
        EXPECT_GE(progress.percents.back(), 97);
        EXPECT_LE(progress.percents.back(), 100);
    }
}

TEST(MediaDecoder, RefusalsStartPointsAndCancelling) {
    AudioFixtures fx;
    const QString out = fx.Path("decoded.wav");
    const QString low = fx.Make("low.mp3", "sine=duration=1:sample_rate=22050", {"-ac", "2"});
    CAudioPlay play;
    play.Init();
    int status = play.Open(low, out, nullptr, 0, 0, false);
    // The status goes to the trace log, never into the user's message.
    EXPECT_LT(status, 0);
    EXPECT_EQ(play.ErrorText(), "Input stream is not 44,100 samples per second");
    EXPECT_EQ(play.SampleRate(), 22050u);
    EXPECT_FALSE(QFileInfo::exists(out));
    play.SetAcceptAnyRate(true);
    EXPECT_EQ(play.Open(low, out, nullptr, 0, 0, false), 0);
    EXPECT_EQ(AudioFixtures::ReadAll(out).mid(44), fx.DecodeS16(low));

    const QString picture =
        fx.Make("picture.mkv", "color=c=blue:size=16x16:duration=0.2", {"-c:v", "ffv1"});
    status = play.Open(picture, out, nullptr, 0, 0, false);
    EXPECT_LT(status, 0);
    EXPECT_EQ(play.ErrorText(), "Could not get audio stream in the specified file");
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_LT(play.Open(low, fx.Path("no/folder/out.wav"), nullptr, 0, 0, false), 0);

    // 75 units are one second.
    const QString media = fx.Make("song.wma", "sine=frequency=700:duration=3", {"-ac", "2"});
    ASSERT_EQ(play.Open(media, out, nullptr, 0, 75, false), 0);
    EXPECT_TRUE(AudioFixtures::ReadAll(out).mid(44) == fx.DecodeS16(media).mid(176400));

    Recorder cancel;
    cancel.cancelAfterPolls = 3;
    EXPECT_EQ(play.Open(media, out, &cancel, 0, 0, false), AudioStatus::kCancelled);
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(MediaDecoder, TagsDurationsAndFilesWithoutADuration) {
    AudioFixtures fx;
    const QString media =
        fx.Make("tags.wma", "sine=duration=0.5",
                {"-ac", "2", "-metadata", "title=A Rather Long Title", "-metadata",
                 "album_artist=The Band", "-metadata", "album=Hits", "-metadata", "track=4"});
    CAudioPlay play;
    play.Init();
    QString title, author, publisher, album, track;
    ASSERT_EQ(play.ReadTags(media, &title, &author, &publisher, &album, &track, 8), 0);
    EXPECT_EQ(QStringList({title, author, publisher, album, track}),
              QStringList({"A Rather", "The Band", "", "Hits", "4"}));
    EXPECT_NEAR(play.Duration(), 500, 60);
    EXPECT_NEAR(MediaDurationMs(media), 500, 60);
    EXPECT_EQ(MediaDurationMs(fx.Path("missing.wma")), 0u);

    // Matroska written to a pipe declares no duration: no progress, but all of the audio, and
    // the duration query measures it.
    const QString live = fx.Path("live.mka");
    ASSERT_TRUE(AudioFixtures::WriteAll(
        live, AudioFixtures::Run("ffmpeg", {"-f", "lavfi", "-i", "sine=duration=1.5", "-ac", "2",
                                            "-f", "matroska", "pipe:1"})));
    ASSERT_EQ(play.ReadTags(live, nullptr, nullptr, nullptr, nullptr, nullptr, 64), 0);
    EXPECT_EQ(play.Duration(), 0u);
    Recorder progress;
    const QString out = fx.Path("decoded.wav");
    ASSERT_EQ(play.Open(live, out, &progress, 0, 0, false), 0);
    EXPECT_TRUE(progress.percents.empty());
    EXPECT_TRUE(AudioFixtures::ReadAll(out).mid(44) == fx.DecodeS16(live));
    EXPECT_NEAR(MediaDurationMs(live), 1500, 30);
}
