// EncodeWma: the export's WMA encoding from a work WAV, checked with ffprobe and ffmpeg.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "audio/AudioFixtures.h"
#include "audio/EncodeWma.h"
#include "audio/EncodingProbes.h"

using EncodingProbes::Recorder;

TEST(WmaEncoding, SilenceAroundTheMusicWithAttributes) {
    AudioFixtures fx;
    const QString wav = fx.Make("tone.wav", "sine=frequency=440:duration=2", {"-ac", "2"});
    const QString wma = fx.Path("tone.wma");
    Recorder progress;
    const MStatus status = EncodeWma(wma, wav, 25, &progress, 22050, 44100,
                                     {{"Title", MediaAttribute::kText, "Wma Title"},
                                      {"Author", MediaAttribute::kText, "Wma Artist"},
                                      {"WM/TrackNumber", MediaAttribute::kNumber, " 12"}});
    ASSERT_TRUE(status.IsOk()) << status.Text().toStdString();

    const auto probe = AudioFixtures::Probe(wma);
    EXPECT_EQ(probe["stream.codec_name"], "wmav2");
    EXPECT_EQ(probe["stream.sample_rate"], "44100");
    EXPECT_EQ(probe["stream.channels"], "2");
    EXPECT_EQ(probe["format.tag.title"], "Wma Title");
    EXPECT_EQ(probe["format.tag.artist"], "Wma Artist");
    EXPECT_EQ(probe["format.tag.track"], "12");
    EXPECT_NEAR(probe["format.duration"].toDouble(), 3.5, 0.1);

    // Half a second of silence, the tone, a second of silence.
    const auto s = EncodingProbes::Samples(fx.DecodeS16(wma));
    EXPECT_NEAR(s.size() / 2 / 44100.0, 3.5, 0.1);
    EXPECT_LT(EncodingProbes::Peak(s, 2, 0, 20000), 100);
    EXPECT_GT(EncodingProbes::Peak(s, 2, 26000, 100000), 2000);
    EXPECT_NEAR(EncodingProbes::CrossingsPerSecond(s, 2, 44100, 30000, 100000), 880, 20);
    EXPECT_LT(EncodingProbes::Peak(s, 2, 44100 * 2 + 28000, 44100 * 3 + 20000), 100);

    std::vector<int> expected;
    for (int p = 2; p <= 100; p += 2) {
        expected.push_back(p);
    }
    EXPECT_EQ(progress.percents, expected);
}

TEST(WmaEncoding, ProfilesMonoSourcesAndFailures) {
    AudioFixtures fx;
    // Every profile number has its bit rate; 8-bit mono becomes 44,100 Hz stereo.
    const QString mono = fx.Make("mono8.wav", "sine=frequency=330:duration=1", {"-c:a", "pcm_u8"});
    for (const auto& [profile, bitRate] : std::vector<std::pair<int, QString>>{
             {23, "96000"}, {24, "128000"}, {25, "160000"}, {26, "192000"}}) {
        SCOPED_TRACE(profile);
        const QString wma = fx.Path(QString("p%1.wma").arg(profile));
        ASSERT_TRUE(EncodeWma(wma, mono, profile, nullptr, 0, 0, {}).IsOk());
        EXPECT_EQ(AudioFixtures::Probe(wma)["stream.bit_rate"], bitRate);
    }
    const auto s = EncodingProbes::Samples(fx.DecodeS16(fx.Path("p23.wma")));
    EXPECT_NEAR(s.size() / 2 / 44100.0, 1.0, 0.1);
    EXPECT_NEAR(EncodingProbes::CrossingsPerSecond(s, 2, 44100, 4410, 40000), 660, 15);
    // Silence around 8-bit music is the level 128, not 0 (which would be full-scale negative).
    ASSERT_TRUE(EncodeWma(fx.Path("silent.wma"), mono, 24, nullptr, 22050, 22050, {}).IsOk());
    const auto silent = EncodingProbes::Samples(fx.DecodeS16(fx.Path("silent.wma")));
    EXPECT_LT(EncodingProbes::Peak(silent, 2, 0, 18000), 100);
    EXPECT_LT(EncodingProbes::Peak(silent, 2, 44100 + 26000, 44100 * 2), 100);

    const QString out = fx.Path("out.wma");
    const QString junk = fx.Path("junk.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(junk, "no wave here"));
    const QString deep =
        fx.Make("deep.wav", "sine=duration=0.2", {"-ac", "2", "-c:a", "pcm_s24le"});
    for (const QString& source : {fx.Path("missing.wav"), junk, deep}) {
        SCOPED_TRACE(source.toStdString());
        EXPECT_EQ(EncodeWma(out, source, 24, nullptr, 0, 0, {}).Text(),
                  "Error Failed to open AVI File.");
    }
    const QString wav = fx.Make("tone.wav", "sine=duration=3", {"-ac", "2"});
    EXPECT_FALSE(EncodeWma(out, wav, 7, nullptr, 0, 0, {}).IsOk());
    EXPECT_FALSE(EncodeWma(fx.Path("no/folder/out.wma"), wav, 24, nullptr, 0, 0, {}).IsOk());
    Recorder cancel;
    cancel.cancelAfterPolls = 2;
    EXPECT_FALSE(EncodeWma(out, wav, 24, &cancel, 0, 0, {}).IsOk());
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_EQ(QDir(fx.Dir()).entryList({"*.wma.*"}, QDir::Files | QDir::Hidden), QStringList());
}
