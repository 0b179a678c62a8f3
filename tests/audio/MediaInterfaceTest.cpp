// The FFmpeg media layer: decoding matches the ffmpeg program sample for sample, tags and
// duration come through under their Windows Media names.

#include <gtest/gtest.h>

#include <QFile>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/AudioStatus.h"
#include "audio/MMediaReader.h"

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

    // No audio, or no media at all.
    const QString picture =
        fx.Make("picture.mkv", "color=c=red:size=32x32:duration=0.2", {"-c:v", "ffv1"});
    MMediaReader pictureReader;
    ASSERT_EQ(pictureReader.Open(picture), 0);
    EXPECT_EQ(pictureReader.SelectAudio(&format), AudioStatus::kNoAudioStream);
    const QString text = fx.Path("text.wma");
    ASSERT_TRUE(AudioFixtures::WriteAll(text, QByteArray("the words of the song\n").repeated(50)));
    MMediaReader textReader;
    EXPECT_LT(textReader.Open(text), 0);
    MMediaReader missing;
    EXPECT_LT(missing.Open(fx.Path("missing.mp3")), 0);
    EXPECT_EQ(missing.Attribute("Title"), "");
    EXPECT_EQ(missing.DurationHns(), 0u);
}
