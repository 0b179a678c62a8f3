// The FFmpeg media layer: decoding matches the ffmpeg program sample for sample, tags and
// duration come through under their Windows Media names, and WMA files come out as asked.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/AudioStatus.h"
#include "audio/MMediaReader.h"
#include "audio/MWmaWriter.h"

namespace {

QByteArray DecodeAll(MMediaReader& reader, WaveFormat* format, int* status) {
    *status = reader.SelectAudio(format);
    std::vector<uint8_t> pcm;
    if (*status < 0) {
        return {};
    }
    for (;;) {
        const int64_t n = reader.ReadPcm(&pcm);
        if (n <= 0) {
            *status = static_cast<int>(n);
            break;
        }
    }
    return QByteArray(reinterpret_cast<const char*>(pcm.data()),
                      static_cast<qsizetype>(pcm.size()));
}

}  // namespace

TEST(MediaInterface, DecodesLikeTheFfmpegProgram) {
    AudioFixtures fx;
    struct Media {
        const char* name;
        const char* source;
        QStringList args;
        uint32_t rate;
        uint16_t channels;
    };
    const std::vector<Media> media = {
        {"stereo.mp3",
         "sine=frequency=440:duration=3",
         {"-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k"},
         44100,
         2},
        {"mono22.mp3",
         "sine=frequency=300:duration=2:sample_rate=22050",
         {"-c:a", "libmp3lame"},
         22050,
         1},
        {"stereo.wma",
         "sine=frequency=660:duration=2.5",
         {"-ac", "2", "-c:a", "wmav2", "-b:a", "128k"},
         44100,
         2},
        {"stereo48.ogg",
         "sine=frequency=500:duration=1.5:sample_rate=48000",
         {"-ac", "2", "-c:a", "libvorbis"},
         48000,
         2},
        {"mono.flac", "anoisesrc=duration=1:sample_rate=44100:seed=9", {"-c:a", "flac"}, 44100, 1},
    };
    for (const auto& m : media) {
        SCOPED_TRACE(m.name);
        const QString path = fx.Make(m.name, m.source, m.args);
        ASSERT_FALSE(path.isEmpty());
        MMediaReader reader;
        ASSERT_EQ(reader.Open(path), 0);
        WaveFormat format;
        int status = 0;
        const QByteArray pcm = DecodeAll(reader, &format, &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.sampleRate, m.rate);
        EXPECT_EQ(format.channels, m.channels);
        EXPECT_EQ(format.bitsPerSample, 16);
        EXPECT_EQ(format.blockAlign, 2 * m.channels);
        const QByteArray expected = fx.DecodeS16(path);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(pcm.size(), expected.size());
        EXPECT_TRUE(pcm == expected);
        const double probed = AudioFixtures::Probe(path)["format.duration"].toDouble();
        EXPECT_NEAR(reader.DurationHns() / 1e7, probed, 0.001);
    }
}

TEST(MediaInterface, TagsUnderTheirWindowsMediaNames) {
    AudioFixtures fx;
    const QStringList tags = {"-metadata",         "title=Blue Moon",     "-metadata",
                              "artist=The Singer", "-metadata",           "album_artist=Various",
                              "-metadata",         "publisher=Label Ltd", "-metadata",
                              "album=Best Of",     "-metadata",           "track=7"};
    for (const char* name : {"tags.wma", "tags.mp3"}) {
        SCOPED_TRACE(name);
        const QString path = fx.Make(name, "sine=duration=0.5", QStringList{"-ac", "2"} + tags);
        MMediaReader reader;
        ASSERT_EQ(reader.Open(path), 0);
        EXPECT_EQ(reader.Attribute("Title"), "Blue Moon");
        EXPECT_EQ(reader.Attribute("Author"), "The Singer");
        EXPECT_EQ(reader.Attribute("WM/AlbumArtist"), "Various");
        EXPECT_EQ(reader.Attribute("WM/AlbumTitle"), "Best Of");
        EXPECT_EQ(reader.Attribute("WM/Track"), "7");
        EXPECT_EQ(reader.Attribute("WM/TrackNumber"), "7");
        EXPECT_EQ(reader.Attribute("WM/Publisher"), "Label Ltd");
        EXPECT_EQ(reader.Attribute("Copyright"), "");
    }
}

TEST(MediaInterface, BadFilesFailCleanly) {
    AudioFixtures fx;
    const QString mp3 = fx.Make("whole.mp3", "sine=frequency=440:duration=4", {"-ac", "2"});
    const QByteArray whole = AudioFixtures::ReadAll(mp3);

    // A file cut in the middle decodes as far as it goes, like the ffmpeg program does.
    const QString cut = fx.Path("cut.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(cut, whole.left(whole.size() / 2 + 77)));
    MMediaReader cutReader;
    ASSERT_EQ(cutReader.Open(cut), 0);
    WaveFormat format;
    int status = 0;
    const QByteArray cutPcm = DecodeAll(cutReader, &format, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cutPcm, fx.DecodeS16(cut));

    const QString empty = fx.Path("empty.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(empty, QByteArray()));
    const QString text = fx.Path("text.wma");
    ASSERT_TRUE(AudioFixtures::WriteAll(
        text, QByteArray("these are the words of the song\n").repeated(50)));
    const QString noise = fx.Path("noise.mp3");
    QByteArray random(200000, '\0');
    uint32_t x = 12345;
    for (auto& b : random) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 24);
    }
    ASSERT_TRUE(AudioFixtures::WriteAll(noise, random));
    const QString picture =
        fx.Make("picture.mkv", "color=c=red:size=32x32:duration=0.2", {"-c:v", "ffv1"});
    for (const QString& path : {empty, text, noise, picture, fx.Path("missing.mp3")}) {
        SCOPED_TRACE(path.toStdString());
        MMediaReader reader;
        if (reader.Open(path) < 0) {
            continue;
        }
        DecodeAll(reader, &format, &status);
        if (path == picture) {
            EXPECT_EQ(status, AudioStatus::kNoAudioStream);
        }
    }
    MMediaReader missing;
    EXPECT_LT(missing.Open(fx.Path("missing.mp3")), 0);
    EXPECT_EQ(missing.Attribute("Title"), "");
    EXPECT_EQ(missing.DurationHns(), 0u);
}

TEST(MediaInterface, WritesWmaAtTheProfileBitRate) {
    AudioFixtures fx;
    // Two seconds of a 16-bit stereo tone.
    std::vector<int16_t> tone(2 * 88200);
    for (size_t i = 0; i < tone.size(); i += 2) {
        tone[i] = tone[i + 1] = static_cast<int16_t>(10000 * std::sin(i * 0.0313));
    }
    const struct {
        int profile;
        int kbps;
    } profiles[] = {{23, 96}, {24, 128}, {25, 160}, {26, 192}};
    for (const auto& p : profiles) {
        SCOPED_TRACE(p.profile);
        const QString path = fx.Path(QString("p%1.wma").arg(p.profile));
        MWmaWriter writer;
        ASSERT_EQ(writer.Open(path, p.profile, WaveFormat::Pcm(44100, 16, 2),
                              {{"Title", MediaAttribute::kText, "Song Title"},
                               {"Author", MediaAttribute::kText, "Song Artist"},
                               {"WM/TrackNumber", MediaAttribute::kNumber, " 12"}}),
                  0);
        EXPECT_FALSE(QFileInfo::exists(path));  // nothing under the name until finished
        const auto* bytes = reinterpret_cast<const uint8_t*>(tone.data());
        ASSERT_EQ(writer.Write(bytes, 1000 * 4), 0);
        ASSERT_EQ(writer.Write(bytes + 4000, static_cast<int64_t>(tone.size()) * 2 - 4000), 0);
        ASSERT_EQ(writer.Finish(), 0);
        const auto probe = AudioFixtures::Probe(path);
        EXPECT_EQ(probe["stream.codec_name"], "wmav2");
        EXPECT_EQ(probe["stream.sample_rate"], "44100");
        EXPECT_EQ(probe["stream.channels"], "2");
        EXPECT_EQ(probe["stream.bit_rate"], QString::number(p.kbps * 1000));
        EXPECT_EQ(probe["format.tag.title"], "Song Title");
        EXPECT_EQ(probe["format.tag.artist"], "Song Artist");
        EXPECT_EQ(probe["format.tag.track"], "12");
        const QByteArray decoded = fx.DecodeS16(path);
        EXPECT_NEAR(decoded.size() / 4 / 44100.0, 2.0, 0.06);
    }

    // Mono 8-bit input at another rate still gives 44,100 Hz stereo.
    const QString mono = fx.Path("mono.wma");
    MWmaWriter writer;
    ASSERT_EQ(writer.Open(mono, 23, WaveFormat::Pcm(22050, 8, 1), {}), 0);
    std::vector<uint8_t> eight(22050, 128);
    ASSERT_EQ(writer.Write(eight.data(), static_cast<int64_t>(eight.size())), 0);
    ASSERT_EQ(writer.Finish(), 0);
    EXPECT_EQ(AudioFixtures::Probe(mono)["stream.sample_rate"], "44100");
    EXPECT_EQ(AudioFixtures::Probe(mono)["stream.channels"], "2");
    EXPECT_NEAR(fx.DecodeS16(mono).size() / 4 / 44100.0, 1.0, 0.06);

    // Refusals and abandoned files leave nothing behind.
    MWmaWriter refused;
    EXPECT_EQ(refused.Open(fx.Path("x.wma"), 22, WaveFormat::Pcm(44100, 16, 2), {}),
              AudioStatus::kUnknownProfile);
    EXPECT_EQ(refused.Open(fx.Path("x.wma"), 24, WaveFormat::Pcm(44100, 24, 2), {}),
              AudioStatus::kUnsupportedFormat);
    EXPECT_LT(refused.Open(fx.Path("no/such/folder/x.wma"), 24, WaveFormat::Pcm(44100, 16, 2), {}),
              0);
    {
        MWmaWriter abandoned;
        ASSERT_EQ(abandoned.Open(fx.Path("abandoned.wma"), 24, WaveFormat::Pcm(44100, 16, 2), {}),
                  0);
        ASSERT_EQ(abandoned.Write(reinterpret_cast<const uint8_t*>(tone.data()), 40000), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(fx.Path("x.wma")));
    EXPECT_FALSE(QFileInfo::exists(fx.Path("abandoned.wma")));
    EXPECT_EQ(QDir(fx.Dir()).entryList({"*.wma.*"}, QDir::Files | QDir::Hidden), QStringList());
}
