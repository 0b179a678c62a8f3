// CAudioPlay decoding media files into work-WAV data, and the duration query.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/AudioStatus.h"
#include "audio/CAudioPlay.h"
#include "audio/MProgress.h"

namespace {

class RecordingProgress : public MProgress {
public:
    void SetPercent(int percent) override { percents.push_back(percent); }
    bool IsCancelled() override { return ++polls > cancelAfterPolls; }

    std::vector<int> percents;
    int polls = 0;
    int cancelAfterPolls = 1 << 30;
};

}  // namespace

TEST(MediaDecoder, DecodesIntoAPlaceholderAndThePcm) {
    AudioFixtures fx;
    for (const char* name : {"song.wma", "song.mp3"}) {
        SCOPED_TRACE(name);
        const QString media = fx.Make(name, "sine=frequency=523:duration=4", {"-ac", "2"});
        const QString out = fx.Path("decoded.wav");
        CAudioPlay play;
        ASSERT_EQ(play.Init(), 0);
        RecordingProgress progress;
        ASSERT_EQ(play.Open(media, out, &progress, 0, 0, false), 0)
            << play.ErrorText().toStdString();
        EXPECT_EQ(play.SampleRate(), 44100u);
        EXPECT_EQ(play.BitsPerSample(), 16);
        EXPECT_EQ(play.Channels(), 2);
        const QByteArray expected = fx.DecodeS16(media);
        EXPECT_TRUE(AudioFixtures::ReadAll(out) == QByteArray(44, '\0') + expected);
        EXPECT_EQ(play.BytesWritten(), static_cast<uint64_t>(expected.size()));
        ASSERT_FALSE(progress.percents.empty());
        EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
        EXPECT_EQ(std::adjacent_find(progress.percents.begin(), progress.percents.end()),
                  progress.percents.end());
        EXPECT_GE(progress.percents.back(), 97);
        EXPECT_LE(progress.percents.back(), 100);
    }
}

TEST(MediaDecoder, FormatChecksAndTheirMessages) {
    AudioFixtures fx;
    const QString out = fx.Path("decoded.wav");
    const QString low = fx.Make("low.mp3", "sine=duration=1:sample_rate=22050", {"-ac", "2"});
    {
        CAudioPlay play;
        play.Init();
        const int status = play.Open(low, out, nullptr, 0, 0, false);
        EXPECT_EQ(status, AudioStatus::kUnsupportedFormat);
        EXPECT_EQ(play.ErrorText(),
                  "Input stream is not 44,100 samples per second" + AudioStatus::HrSuffix(status));
        EXPECT_EQ(play.SampleRate(), 22050u);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    {
        CAudioPlay play;
        play.Init();
        play.SetAcceptAnyRate(true);
        EXPECT_EQ(play.Open(low, out, nullptr, 0, 0, false), 0);
        EXPECT_EQ(AudioFixtures::ReadAll(out).mid(44), fx.DecodeS16(low));
    }
    const QString mono = fx.Make("mono.wma", "sine=duration=1", {"-ac", "1"});
    {
        CAudioPlay play;
        play.Init();
        const int status = play.Open(mono, out, nullptr, 0, 0, false);
        EXPECT_EQ(play.ErrorText(),
                  "Input music file is not stereo (2 channel)" + AudioStatus::HrSuffix(status));
        EXPECT_EQ(play.Channels(), 1);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    const QString picture =
        fx.Make("picture.mkv", "color=c=blue:size=16x16:duration=0.2", {"-c:v", "ffv1"});
    const QString text = fx.Path("words.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(text, QByteArray("la la la\n").repeated(100)));
    {
        CAudioPlay play;
        play.Init();
        const int status = play.Open(picture, out, nullptr, 0, 0, false);
        EXPECT_EQ(play.ErrorText(), "Could not get audio stream in the specified file" +
                                        AudioStatus::HrSuffix(status));
        EXPECT_LT(play.Open(text, out, nullptr, 0, 0, false), 0);
        EXPECT_EQ(play.SampleRate(), 0u);
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_LT(play.Open(low, fx.Path("no/folder/out.wav"), nullptr, 0, 0, false), 0);
    }
}

TEST(MediaDecoder, StartPointsCancellingAndUnknownDurations) {
    AudioFixtures fx;
    const QString media = fx.Make("song.wma", "sine=frequency=700:duration=3", {"-ac", "2"});
    const QByteArray all = fx.DecodeS16(media);
    const QString out = fx.Path("decoded.wav");
    {
        CAudioPlay play;
        play.Init();
        // 75 units are one second.
        ASSERT_EQ(play.Open(media, out, nullptr, 0, 75, false), 0);
        EXPECT_TRUE(AudioFixtures::ReadAll(out).mid(44) == all.mid(176400));
    }
    {
        CAudioPlay play;
        play.Init();
        RecordingProgress progress;
        progress.cancelAfterPolls = 3;
        EXPECT_EQ(play.Open(media, out, &progress, 0, 0, false), AudioStatus::kCancelled);
        EXPECT_FALSE(QFileInfo::exists(out));
    }

    // Matroska written to a pipe declares no duration: no progress, but all of the audio.
    const QByteArray live =
        AudioFixtures::Run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                      "sine=duration=1.5", "-ac", "2", "-f", "matroska", "pipe:1"});
    const QString livePath = fx.Path("live.mka");
    ASSERT_TRUE(AudioFixtures::WriteAll(livePath, live));
    {
        CAudioPlay play;
        play.Init();
        ASSERT_EQ(play.ReadTags(livePath, nullptr, nullptr, nullptr, nullptr, nullptr, 64), 0);
        EXPECT_EQ(play.Duration(), 0u);
        RecordingProgress progress;
        ASSERT_EQ(play.Open(livePath, out, &progress, 0, 0, false), 0);
        EXPECT_TRUE(progress.percents.empty());
        EXPECT_TRUE(AudioFixtures::ReadAll(out).mid(44) == fx.DecodeS16(livePath));
    }
    EXPECT_NEAR(MediaDurationMs(livePath), 1500, 30);
    EXPECT_NEAR(MediaDurationMs(media), 3000, 60);
    EXPECT_EQ(MediaDurationMs(fx.Path("missing.wma")), 0u);
}

TEST(MediaDecoder, TagsWithFallbacks) {
    AudioFixtures fx;
    const QString media =
        fx.Make("tags.wma", "sine=duration=0.5",
                {"-ac", "2", "-metadata", "title=A Rather Long Title For A Song", "-metadata",
                 "album_artist=The Band", "-metadata", "album=Hits", "-metadata", "track=4"});
    CAudioPlay play;
    play.Init();
    QString title, author, publisher, album, track;
    ASSERT_EQ(play.ReadTags(media, &title, &author, &publisher, &album, &track, 8), 0);
    EXPECT_EQ(title, "A Rather");
    EXPECT_EQ(author, "The Band");
    EXPECT_EQ(publisher, "");
    EXPECT_EQ(album, "Hits");
    EXPECT_EQ(track, "4");
    EXPECT_NEAR(play.Duration(), 500, 60);
}
