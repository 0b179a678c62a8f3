// The WAV readers on files made by ffmpeg and on hand-made and damaged headers.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>
#include <memory>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/EncodeMp3.h"
#include "audio/MLameLibrary.h"
#include "audio/MWaveReader.h"
#include "audio/WavInFile.h"

namespace {

std::unique_ptr<QBuffer> Memory(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// Every sample, as little-endian 16-bit bytes, read in blocks of the given size.
QByteArray ReadAll(WavInFile& in, int blockElems) {
    QByteArray out;
    std::vector<int16_t> block(static_cast<size_t>(blockElems));
    for (int n; (n = in.Read(block.data(), blockElems)) > 0;) {
        for (int i = 0; i < n; ++i) {
            const int16_t le = qToLittleEndian(block[static_cast<size_t>(i)]);
            out.append(reinterpret_cast<const char*>(&le), 2);
        }
    }
    return out;
}

QByteArray ReadAll(MWaveReader& reader, int blockBytes) {
    QByteArray out;
    std::vector<uint8_t> block(static_cast<size_t>(blockBytes));
    for (int64_t n; (n = reader.Read(block.data(), blockBytes)) > 0;) {
        out.append(reinterpret_cast<const char*>(block.data()), n);
    }
    return out;
}

}  // namespace

TEST(WavReaders, RealFilesReadAsFfmpegDecodesThem) {
    AudioFixtures fx;
    const struct {
        const char* name;
        const char* source;
        QStringList args;
        uint32_t rate;
        uint16_t bits, channels, tag;
    } files[] = {
        {"u8_mono_22k.wav",
         "sine=frequency=300:duration=1.3:sample_rate=22050",
         {"-c:a", "pcm_u8"},
         22050,
         8,
         1,
         1},
        {"s16_stereo_44k.wav", "sine=frequency=440:duration=1.1", {"-ac", "2"}, 44100, 16, 2, 1},
        {"s16_mono_48k.wav",
         "sine=frequency=1000:duration=0.7:sample_rate=48000",
         {},
         48000,
         16,
         1,
         1},
        {"u8_stereo_44k.wav",
         "anoisesrc=duration=0.5:seed=3:sample_rate=44100",
         {"-ac", "2", "-c:a", "pcm_u8"},
         44100,
         8,
         2,
         1},
        // A LIST/INFO chunk between "fmt " and "data".
        {"s16_list.wav",
         "sine=frequency=500:duration=0.4",
         {"-ac", "2", "-metadata", "title=Hello", "-metadata", "artist=Someone Else"},
         44100,
         16,
         2,
         1},
        // A 40-byte WAVEFORMATEXTENSIBLE block and no fact chunk.
        {"s16_extensible.wav",
         "sine=frequency=600:duration=0.6",
         {"-af", "aformat=channel_layouts=FL"},
         44100,
         16,
         1,
         0xFFFE},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = fx.Make(f.name, f.source, f.args);
        const QByteArray expected = fx.DecodeS16(path);
        ASSERT_FALSE(expected.isEmpty());

        WavInFile in(path);
        ASSERT_TRUE(in.HeadersOk());
        EXPECT_EQ(in.SampleRate(), f.rate);
        EXPECT_EQ(in.BitsPerSample(), f.bits);
        EXPECT_EQ(in.Channels(), f.channels);
        EXPECT_EQ(in.FormatTag(), f.tag);
        const uint32_t frames = static_cast<uint32_t>(expected.size() / 2 / f.channels);
        EXPECT_EQ(in.SampleFrames(), frames);
        EXPECT_EQ(in.LengthMs(), static_cast<uint32_t>(frames * 1000.0 / f.rate + 0.5));
        EXPECT_EQ(ReadAll(in, 1001), expected);  // blocks end mid-frame

        MWaveReader reader;
        ASSERT_TRUE(reader.Open(path).IsOk());
        EXPECT_EQ(reader.Format().extra.size(), f.tag == 1 ? 0 : 22);
        EXPECT_EQ(ReadAll(reader, 4097), fx.RawCopy(path, f.bits == 8 ? "u8" : "s16le"));
    }
}

TEST(WavReaders, SampleValuesBoundariesAndLeadingSilence) {
    auto eight =
        Memory(WavImage().Fmt(1, 1, 44100, 8).Data(QByteArray("\x80\x00\xff\x7f", 4)).Bytes());
    WavInFile in8(eight.get());
    int16_t s[8] = {};
    ASSERT_EQ(in8.Read(s, 8), 4);
    EXPECT_EQ(std::vector<int16_t>(s, s + 4), (std::vector<int16_t>{0, -32768, 32512, -256}));
    EXPECT_EQ(in8.Read(s, 8), 0);

    // The silence comes first, in blocks that straddle its end.
    const QByteArray data("\1\2\3\4\5\6\7\x08", 8);
    auto stereo = Memory(WavImage().Fmt(1, 2, 44100, 16).Data(data).Bytes());
    MWaveReader reader;
    reader.SetLeadingSilenceFrames(3);
    ASSERT_TRUE(reader.Open(stereo.get()).IsOk());
    EXPECT_EQ(ReadAll(reader, 5), QByteArray(12, '\0') + data);

    // A chunk of odd length is followed by a pad byte.
    auto padded = Memory(WavImage()
                             .Fmt(1, 1, 44100, 8)
                             .Chunk("note", QByteArray("abc\0", 4), 3)
                             .Data(QByteArray(10, '\x80'))
                             .Bytes());
    EXPECT_EQ(WavInFile(padded.get()).DataSizeBytes(), 10u);
    ASSERT_TRUE(reader.Open(padded.get()).IsOk());
    EXPECT_EQ(reader.DataBytes(), 10);
}

TEST(WavReaders, DamagedHeadersYieldNoSamples) {
    const WavImage fmt = WavImage().Fmt(1, 2, 44100, 16);
    for (const QByteArray& bytes : {QByteArray(), "RIFX\0\0\0\0WAVE" + fmt.Bytes().mid(12)}) {
        auto memory = Memory(bytes);
        WavInFile in(memory.get());
        EXPECT_FALSE(in.HeadersOk());
        int16_t s[16];
        EXPECT_EQ(in.Read(s, 16), 0);
        MWaveReader reader;
        EXPECT_FALSE(reader.Open(memory.get()).IsOk());
    }
    // A rate of 1 Hz with a fact group claiming 4 G frames: a length far beyond what fits,
    // saturated rather than wrapped or undefined.
    auto slow = Memory(
        WavImage().Fmt(2, 1, 1, 8).Chunk("fact", QByteArray(4, '\xFF')).Data("xxxx").Bytes());
    EXPECT_EQ(WavInFile(slow.get()).LengthMs(), UINT32_MAX);
    WavInFile missing(QStringLiteral("/nonexistent/folder/missing.wav"));
    EXPECT_FALSE(missing.IsOpen());
}

TEST(WavReaders, TruncatedFilesDeliverWhatIsThere) {
    // Extensible format with a fact group; the data claims 2 GB in the last variant.
    const QByteArray whole =
        WavImage()
            .Fmt(0xFFFE, 2, 44100, 16, QByteArray("\x16\0", 2) + QByteArray(22, 'e'))
            .Chunk("LIST", QByteArray(26, 'i'))
            .Chunk("fact", QByteArray("\x05\0\0\0", 4))
            .Data(QByteArray(20, 's'))
            .Bytes();
    const int dataStart = static_cast<int>(whole.size()) - 20;
    for (int cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        const int dataThere = std::max(0, cut - dataStart);
        auto memory = Memory(whole.left(cut));
        WavInFile in(memory.get());
        EXPECT_EQ(ReadAll(in, 7).size(), dataThere / 2 * 2);
        MWaveReader reader;
        reader.SetLeadingSilenceFrames(2);
        if (reader.Open(memory.get()).IsOk()) {
            EXPECT_EQ(ReadAll(reader, 9).size(), 8 + dataThere);
        }
    }
    auto huge =
        Memory(WavImage().Fmt(1, 2, 44100, 16).Data(QByteArray(10, 'a'), 0x7FFFFFF0).Bytes());
    WavInFile in(huge.get());
    EXPECT_EQ(in.DataSizeBytes(), 10u);
    EXPECT_EQ(in.SampleFrames(), 2u);
    MWaveReader reader;
    ASSERT_TRUE(reader.Open(huge.get()).IsOk());
    EXPECT_EQ(ReadAll(reader, 64), QByteArray(10, 'a'));
}

// The player and the exports (MWaveReader), the music import (WavInFile) and the MP3 encoder
// take or refuse a file together, and read the same data from it.
TEST(WavReaders, AllReadersJudgeAFileAlike) {
    MLameLibrary& lame = MLameLibrary::Shared();
    if (!lame.IsComplete()) {
        lame.Load();
        lame.Bind();
    }
    ASSERT_TRUE(lame.IsComplete());
    AudioFixtures fx;
    const WavImage fmt = WavImage().Fmt(1, 2, 44100, 16);
    const QByteArray samples(4400, '\1');
    const struct {
        const char* what;
        QByteArray bytes;
        bool ok;
    } cases[] = {
        {"an odd chunk with its pad byte",
         WavImage(fmt).Chunk("note", QByteArray("abc\0", 4), 3).Data(samples).Bytes(), true},
        {"an odd chunk without its pad byte",
         WavImage(fmt).Chunk("note", "abc").Data(samples).Bytes(), false},
        {"data declared beyond the file", WavImage(fmt).Data(samples, 0x7FFFFFF0).Bytes(), true},
        {"an extensible format with a fact group",
         WavImage()
             .Fmt(0xFFFE, 2, 44100, 16, QByteArray("\x16\0", 2) + QByteArray(22, 'e'))
             .Chunk("fact", QByteArray("\x4c\x04\0\0", 4))
             .Data(samples)
             .Bytes(),
         true},
        {"no data chunk", WavImage(fmt).Chunk("LIST", "abcd").Bytes(), false},
        {"data before fmt", WavImage().Data(samples).Fmt(1, 2, 44100, 16).Bytes(), false},
        {"a short fmt chunk", WavImage().Chunk("fmt ", "abcdefgh").Data(samples).Bytes(), false},
        {"zero channels", WavImage().Fmt(1, 0, 44100, 16).Data(samples).Bytes(), false},
        {"zero bits", WavImage().Fmt(1, 2, 44100, 0).Data(samples).Bytes(), false},
        {"a label byte above 'z'", WavImage(fmt).Chunk("LIS~", "abcd").Data(samples).Bytes(),
         false},
        {"a label byte of 128 or more",
         WavImage(fmt).Chunk("LI\xC3\xA9", "abcd").Data(samples).Bytes(), false},
        {"a chunk claiming 4 GB", WavImage(fmt).Chunk("LIST", "ab", 0xFFFFFFF0).Bytes(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto memory = Memory(c.bytes);
        auto memory2 = Memory(c.bytes);
        WavInFile in(memory.get());
        MWaveReader reader;
        const bool readerOk = reader.Open(memory2.get()).IsOk();
        EXPECT_EQ(in.HeadersOk(), c.ok);
        EXPECT_EQ(readerOk, c.ok);
        EXPECT_EQ(EncodeMp3(lame, c.bytes, fx.Path("out.mp3"), {}, nullptr).IsOk(), c.ok);
        if (c.ok) {
            EXPECT_EQ(ReadAll(reader, 1000), samples);
            EXPECT_EQ(ReadAll(in, 333).size(), samples.size());
        }
    }
}
