// The LAME binding, the availability check and MP3 encoding, checked with ffprobe and ffmpeg.

#include <gtest/gtest.h>

#include <QDir>
#include <QMap>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/CheckMp3Support.h"
#include "audio/EncodeMp3.h"
#include "audio/EncodingProbes.h"
#include "audio/MLameLibrary.h"
#include "base/MMemorySettings.h"
#include "base/MMessageReporter.h"

using EncodingProbes::Recorder;

namespace {

using MapSettings = MMemorySettings;

class ScriptedReporter : public MMessageReporter {
public:
    bool Report(const MStatus& message, const QString& checkBox) override {
        messages.push_back(message);
        checkBoxes.push_back(checkBox);
        return tick;
    }
    std::vector<MStatus> messages;
    QStringList checkBoxes;
    bool tick = false;
};

MLameLibrary& Lame() {
    MLameLibrary& lame = MLameLibrary::Shared();
    if (!lame.IsComplete()) {
        lame.Load();
        lame.Bind();
    }
    return lame;
}

}  // namespace

TEST(Mp3Support, InstalledMissingAndIncompleteLibraries) {
    {
        MapSettings settings;
        ScriptedReporter reporter;
        MLameLibrary lame;
        EXPECT_TRUE(CheckMp3Support(lame, &reporter, &settings, false));
        EXPECT_TRUE(lame.IsComplete());
        EXPECT_TRUE(CheckMp3Support(lame, &reporter, &settings, true));
        EXPECT_TRUE(reporter.messages.empty());
    }
    {
        MapSettings settings;
        ScriptedReporter reporter;
        MLameLibrary missing("libmp3lame-not-installed.so.0");
        EXPECT_FALSE(CheckMp3Support(missing, &reporter, &settings, false));
        ASSERT_EQ(reporter.messages.size(), 1u);
        EXPECT_EQ(reporter.messages[0].Title(), "MP3 Encoder Not Found");
        EXPECT_EQ(reporter.messages[0].GetIcon(), MStatus::Icon::Information);
        EXPECT_TRUE(reporter.messages[0].Text().contains("libmp3lame0"));
        EXPECT_EQ(reporter.checkBoxes[0], "&Don't show me this again.");
        EXPECT_EQ(settings.values.value("Default/HideMP3Message", -1), 0);
        reporter.tick = true;
        EXPECT_FALSE(CheckMp3Support(missing, &reporter, &settings, false));
        EXPECT_EQ(settings.values.value("Default/HideMP3Message"), 1);
        EXPECT_FALSE(CheckMp3Support(missing, &reporter, &settings, false));
        EXPECT_EQ(reporter.messages.size(), 2u);  // hidden from now on
        EXPECT_EQ(missing.Bind().Text(), "Error: MP3 Support not initialized.");
        EXPECT_EQ(missing.Bind().GetIcon(), MStatus::Icon::Error);
    }
    {
        // A real library without the encoder's functions counts as too old.
        MapSettings settings;
        ScriptedReporter reporter;
        MLameLibrary old("libz.so.1");
        EXPECT_FALSE(CheckMp3Support(old, &reporter, &settings, false));
        EXPECT_FALSE(CheckMp3Support(old, &reporter, &settings, false));
        ASSERT_EQ(reporter.messages.size(), 2u);  // at every start until hidden
        EXPECT_EQ(reporter.messages[0].Title(), "MP3 Support Not Found");
        EXPECT_EQ(reporter.messages[0].GetIcon(), MStatus::Icon::Warning);
        EXPECT_EQ(reporter.checkBoxes[0], "&Don't show this message again.");
        reporter.tick = true;
        EXPECT_FALSE(CheckMp3Support(old, &reporter, &settings, false));
        EXPECT_EQ(settings.values.value("Default/HideMP3VersionMessage"), 1);
        EXPECT_FALSE(CheckMp3Support(old, &reporter, &settings, false));
        EXPECT_EQ(reporter.messages.size(), 3u);
        EXPECT_TRUE(settings.values.value("Default/HideMP3Message", 0) == 0);
    }
}

TEST(Mp3Encoding, StereoWithSilenceTagsAndProgress) {
    AudioFixtures fx;
    const QString wav = fx.Make("tone.wav", "sine=frequency=440:duration=2", {"-ac", "2"});
    const QString mp3 = fx.Path("tone.mp3");
    Mp3EncodeOptions options;
    options.bitRateKbps = 192;
    options.title = "Caf\u00e9 Song";
    options.artist = "The Artist";
    options.leadingFrames = 22050;
    options.trailingFrames = 44100;
    Recorder progress;
    ASSERT_TRUE(EncodeMp3(Lame(), wav, mp3, options, &progress).IsOk());

    const auto probe = AudioFixtures::Probe(mp3);
    EXPECT_EQ(probe["stream.codec_name"], "mp3");
    EXPECT_EQ(probe["stream.sample_rate"], "44100");
    EXPECT_EQ(probe["stream.channels"], "2");
    EXPECT_EQ(probe["stream.bit_rate"], "192000");
    // The tags are ID3 version 1, whose texts are ISO 8859-1.
    const QByteArray bytes = AudioFixtures::ReadAll(mp3);
    const QByteArray id3 = bytes.right(128);
    EXPECT_EQ(id3.left(3), "TAG");
    EXPECT_EQ(id3.mid(3, 30), QByteArray("Caf\xe9 Song").leftJustified(30, '\0'));
    EXPECT_EQ(id3.mid(33, 30), QByteArray("The Artist").leftJustified(30, '\0'));
    EXPECT_EQ(probe["format.tag.artist"], "The Artist");
    EXPECT_NEAR(probe["format.duration"].toDouble(), 3.5, 0.1);
    // Besides, an ID3v2 tag carries the texts in Unicode, which every player reads.
    EXPECT_TRUE(bytes.startsWith("ID3"));
    EXPECT_EQ(probe["format.tag.title"], "Caf\u00e9 Song");
    options.title = QString::fromUtf8("\xe5\xb0\x8f\xe6\x98\x9f\xe6\x98\x9f");  // CJK
    options.artist = QString::fromUtf8("Bj\xc3\xb6rk Gu\xc3\xb0mundsd\xc3\xb3ttir");
    const QString unicode = fx.Path("unicode.mp3");
    ASSERT_TRUE(EncodeMp3(Lame(), wav, unicode, options, nullptr).IsOk());
    const auto tags = AudioFixtures::Probe(unicode);
    EXPECT_EQ(tags["format.tag.title"], options.title);
    EXPECT_EQ(tags["format.tag.artist"], options.artist);

    // Half a second of silence, then the tone, then silence.
    const auto s = EncodingProbes::Samples(fx.DecodeS16(mp3));
    EXPECT_NEAR(s.size() / 2 / 44100.0, 3.5, 0.1);
    EXPECT_LT(EncodingProbes::Peak(s, 2, 0, 21000), 100);
    EXPECT_GT(EncodingProbes::Peak(s, 2, 26000, 100000), 2000);  // the tone peaks near 2900
    EXPECT_NEAR(EncodingProbes::CrossingsPerSecond(s, 2, 44100, 30000, 100000), 880, 20);
    EXPECT_LT(EncodingProbes::Peak(s, 2, 44100 * 2 + 26000, 44100 * 3 + 20000), 100);

    // The leading silence (one block) does not move the progress; the rest runs up to 100.
    EXPECT_EQ(progress.pollsBeforeFirstPercent, 2);
    ASSERT_FALSE(progress.percents.empty());
    EXPECT_GT(progress.percents.front(), 0);
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
}

TEST(Mp3Encoding, MonoEightBitRawAndMemorySources) {
    AudioFixtures fx;
    // 8-bit mono: given to the encoder as one channel, the tone keeps its pitch and length.
    const QString mono = fx.Make("mono8.wav", "sine=frequency=330:duration=2", {"-c:a", "pcm_u8"});
    ASSERT_TRUE(EncodeMp3(Lame(), mono, fx.Path("mono.mp3"), {}, nullptr).IsOk());
    EXPECT_EQ(AudioFixtures::Probe(fx.Path("mono.mp3"))["stream.channels"], "1");
    auto s = EncodingProbes::Samples(fx.DecodeS16(fx.Path("mono.mp3")));
    EXPECT_NEAR(s.size() / 44100.0, 2.0, 0.1);
    EXPECT_NEAR(EncodingProbes::CrossingsPerSecond(s, 1, 44100, 4410, 80000), 660, 15);
    // Silence around 8-bit music is the level 128, not 0 (which would be full-scale negative);
    // the info frame gives readers the exact length (the encoder's delay shows as start time).
    Mp3EncodeOptions silent;
    silent.leadingFrames = 22050;
    silent.trailingFrames = 22050;
    ASSERT_TRUE(EncodeMp3(Lame(), mono, fx.Path("silent.mp3"), silent, nullptr).IsOk());
    const auto probe = AudioFixtures::Probe(fx.Path("silent.mp3"));
    EXPECT_NEAR(probe["format.duration"].toDouble() - probe["stream.start_time"].toDouble(), 3.0,
                0.03);
    s = EncodingProbes::Samples(fx.DecodeS16(fx.Path("silent.mp3")));
    EXPECT_LT(EncodingProbes::Peak(s, 1, 0, 20000), 100);
    EXPECT_LT(EncodingProbes::Peak(s, 1, 44100 * 2 + 26000, 44100 * 3), 100);

    // A WAV image in memory encodes like the file.
    const QByteArray image = AudioFixtures::ReadAll(mono);
    ASSERT_TRUE(EncodeMp3(Lame(), image, fx.Path("image.mp3"), {}, nullptr).IsOk());
    EXPECT_EQ(AudioFixtures::ReadAll(fx.Path("image.mp3")),
              AudioFixtures::ReadAll(fx.Path("mono.mp3")));

    // Bytes that do not start with "RIFF" are 44,100 Hz 16-bit stereo.
    const QByteArray raw =
        AudioFixtures::Run("ffmpeg", {"-f", "lavfi", "-i", "sine=frequency=550:duration=1", "-ac",
                                      "2", "-f", "s16le", "pipe:1"});
    ASSERT_EQ(raw.size(), 176400);
    ASSERT_TRUE(EncodeMp3(Lame(), raw, fx.Path("raw.mp3"), {}, nullptr).IsOk());
    EXPECT_EQ(AudioFixtures::Probe(fx.Path("raw.mp3"))["stream.channels"], "2");
    s = EncodingProbes::Samples(fx.DecodeS16(fx.Path("raw.mp3")));
    EXPECT_NEAR(s.size() / 2 / 44100.0, 1.0, 0.1);
    EXPECT_NEAR(EncodingProbes::CrossingsPerSecond(s, 2, 44100, 4410, 40000), 1100, 20);

    // A file that claims far more data than it holds is encoded as far as it goes.
    const QByteArray cut =
        WavImage().Fmt(1, 2, 44100, 16).Data(QByteArray(88200, '\1'), 0x7FFFFFF0).Bytes();
    ASSERT_TRUE(EncodeMp3(Lame(), cut, fx.Path("cut.mp3"), {}, nullptr).IsOk());
    EXPECT_NEAR(AudioFixtures::Probe(fx.Path("cut.mp3"))["format.duration"].toDouble(), 0.5, 0.1);
}

TEST(Mp3Encoding, FailuresLeaveNoOutput) {
    AudioFixtures fx;
    const QString wav = fx.Make("tone.wav", "sine=duration=3", {"-ac", "2"});
    const QString out = fx.Path("out.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(out, "an earlier export"));

    MLameLibrary missing("libmp3lame-not-installed.so.0");
    EXPECT_FALSE(EncodeMp3(missing, wav, out, {}, nullptr).IsOk());
    EXPECT_FALSE(EncodeMp3(Lame(), fx.Path("missing.wav"), out, {}, nullptr).IsOk());
    EXPECT_FALSE(EncodeMp3(Lame(), wav, fx.Path("no/folder/out.mp3"), {}, nullptr).IsOk());
    for (const QByteArray& source :
         {QByteArray(), WavImage().Fmt(1, 2, 44100, 24).Data(QByteArray(600, '\0')).Bytes(),
          WavImage().Fmt(1, 2, 44100, 16).Data({}).Bytes(),
          WavImage().Fmt(1, 2, 3, 16).Data(QByteArray(4000, '\0')).Bytes()}) {
        EXPECT_FALSE(EncodeMp3(Lame(), source, out, {}, nullptr).IsOk());
    }
    Recorder cancel;
    cancel.cancelAfterPolls = 5;
    EXPECT_FALSE(EncodeMp3(Lame(), wav, out, {}, &cancel).IsOk());
    EXPECT_EQ(AudioFixtures::ReadAll(out), "an earlier export");
    EXPECT_EQ(QDir(fx.Dir()).entryList({"*.mp3*"}, QDir::Files | QDir::Hidden),
              QStringList({"out.mp3"}));
}
