// The WAV readers on files made by ffmpeg and on hand-made and damaged headers.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>
#include <random>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/MWaveReader.h"
#include "audio/WavInFile.h"

namespace {

QByteArray ReadAllSamples(WavInFile& in, int blockElems) {
    QByteArray out;
    std::vector<int16_t> block(static_cast<size_t>(blockElems));
    for (;;) {
        const int n = in.Read(block.data(), blockElems);
        if (n <= 0) {
            break;
        }
        for (int i = 0; i < n; ++i) {
            uint8_t le[2];
            qToLittleEndian(block[static_cast<size_t>(i)], le);
            out.append(reinterpret_cast<const char*>(le), 2);
        }
    }
    return out;
}

QByteArray ReadAllBytes(MWaveReader& reader, int blockBytes) {
    QByteArray out;
    std::vector<uint8_t> block(static_cast<size_t>(blockBytes));
    for (;;) {
        const int64_t n = reader.Read(block.data(), blockBytes);
        if (n <= 0) {
            break;
        }
        out.append(reinterpret_cast<const char*>(block.data()), n);
    }
    return out;
}

struct RealWav {
    const char* name;
    const char* source;
    QStringList args;
    uint32_t rate;
    uint16_t bits;
    uint16_t channels;
    uint16_t tag;
};

}  // namespace

TEST(WavReaders, RealFilesReadAsFfmpegDecodesThem) {
    AudioFixtures fx;
    const std::vector<RealWav> files = {
        {"u8_mono_22k.wav",
         "sine=frequency=300:duration=1.3:sample_rate=22050",
         {"-c:a", "pcm_u8"},
         22050,
         8,
         1,
         1},
        {"s16_stereo_44k.wav",
         "sine=frequency=440:duration=1.1",
         {"-ac", "2", "-c:a", "pcm_s16le"},
         44100,
         16,
         2,
         1},
        {"s16_mono_48k.wav",
         "sine=frequency=1000:duration=0.7:sample_rate=48000",
         {"-c:a", "pcm_s16le"},
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
         {"-ac", "2", "-c:a", "pcm_s16le", "-metadata", "title=Hello", "-metadata",
          "artist=Someone Else"},
         44100,
         16,
         2,
         1},
        // A 40-byte WAVEFORMATEXTENSIBLE block without a fact chunk.
        {"s16_extensible.wav",
         "sine=frequency=600:duration=0.6",
         {"-af", "aformat=channel_layouts=FL", "-c:a", "pcm_s16le"},
         44100,
         16,
         1,
         0xFFFE},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = fx.Make(f.name, f.source, f.args);
        ASSERT_FALSE(path.isEmpty());
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
        // An odd block size makes reads end mid-frame.
        EXPECT_EQ(ReadAllSamples(in, 1001), expected);

        const QByteArray stored = fx.RawCopy(path, f.bits == 8 ? "u8" : "s16le");
        MWaveReader reader;
        ASSERT_TRUE(reader.Open(path).IsOk());
        EXPECT_EQ(reader.Format().formatTag, f.tag);
        EXPECT_EQ(reader.Format().extra.size(), f.tag == 1 ? 0 : 22);
        EXPECT_EQ(reader.DataBytes(), stored.size());
        EXPECT_EQ(ReadAllBytes(reader, 4097), stored);
    }
}

TEST(WavReaders, SampleConversionAndReadBoundaries) {
    AudioFixtures fx;
    // 8-bit samples are unsigned around 128.
    const QString eight = fx.Path("eight.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(
        eight, WavImage().Fmt(1, 1, 44100, 8).Data(QByteArray("\x80\x00\xff\x7f", 4)).Bytes()));
    WavInFile in8(eight);
    int16_t s[8] = {};
    ASSERT_EQ(in8.Read(s, 8), 4);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[1], -32768);
    EXPECT_EQ(s[2], 32512);
    EXPECT_EQ(s[3], -256);
    EXPECT_EQ(in8.Read(s, 8), 0);

    // A 16-bit read asking for more than remains gets the rest, then nothing.
    QByteArray data;
    for (int16_t v : {1, -2, 300, -32768, 32767}) {
        uint8_t le[2];
        qToLittleEndian(v, le);
        data.append(reinterpret_cast<const char*>(le), 2);
    }
    const QString sixteen = fx.Path("sixteen.wav");
    ASSERT_TRUE(
        AudioFixtures::WriteAll(sixteen, WavImage().Fmt(1, 1, 44100, 16).Data(data).Bytes()));
    WavInFile in16(sixteen);
    EXPECT_EQ(in16.Read(s, 3), 3);
    EXPECT_EQ(in16.Read(s, 8), 2);
    EXPECT_EQ(s[0], -32768);
    EXPECT_EQ(s[1], 32767);
    EXPECT_EQ(in16.Read(s, 8), 0);

    // 22 frames last 0.4989 ms and round down; 44,100 frames last exactly a second.
    const QString shortFile = fx.Path("short.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(
        shortFile, WavImage().Fmt(1, 1, 44100, 16).Data(QByteArray(44, '\0')).Bytes()));
    EXPECT_EQ(WavInFile(shortFile).LengthMs(), 0u);
    const QString second = fx.Path("second.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(
        second, WavImage().Fmt(1, 2, 44100, 16).Data(QByteArray(176400, '\0')).Bytes()));
    EXPECT_EQ(WavInFile(second).LengthMs(), 1000u);

    // A chunk of odd length is followed by a pad byte.
    const QString padded = fx.Path("padded.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(padded, WavImage()
                                                    .Fmt(1, 1, 44100, 8)
                                                    .Chunk("note", QByteArray("abc") + '\0', 3)
                                                    .Data(QByteArray(10, '\x80'))
                                                    .Bytes()));
    WavInFile inPadded(padded);
    EXPECT_TRUE(inPadded.HeadersOk());
    EXPECT_EQ(inPadded.DataSizeBytes(), 10u);
    MWaveReader readerPadded;
    EXPECT_TRUE(readerPadded.Open(padded).IsOk());
    EXPECT_EQ(readerPadded.DataBytes(), 10);
}

TEST(WavReaders, LeadingSilenceComesBeforeTheData) {
    AudioFixtures fx;
    const QString path = fx.Path("lead.wav");
    const QByteArray data("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    ASSERT_TRUE(AudioFixtures::WriteAll(path, WavImage().Fmt(1, 2, 44100, 16).Data(data).Bytes()));
    MWaveReader reader;
    reader.SetLeadingSilenceFrames(3);
    ASSERT_TRUE(reader.Open(path).IsOk());
    EXPECT_EQ(reader.LeadingSilenceBytes(), 12);
    // Blocks that straddle the end of the silence.
    EXPECT_EQ(ReadAllBytes(reader, 5), QByteArray(12, '\0') + data);
    EXPECT_EQ(reader.Read(reinterpret_cast<uint8_t*>(const_cast<char*>(data.data())), 8), 0);
}

TEST(WavReaders, DamagedHeadersYieldNoSamples) {
    AudioFixtures fx;
    const QByteArray fmt16 = WavImage().Fmt(1, 2, 44100, 16).Bytes().mid(12);
    struct Case {
        const char* what;
        QByteArray bytes;
        bool inFileOk;
        bool readerOk;
    };
    const std::vector<Case> cases = {
        {"empty", QByteArray(), false, false},
        {"not RIFF", QByteArray("RIFX\0\0\0\0WAVE", 12) + fmt16, false, false},
        {"a label byte above 'z'",
         WavImage().Fmt(1, 2, 44100, 16).Chunk("LIS~", "abcd").Data("xxxx").Bytes(), false, true},
        {"a label byte of 128 or more",
         WavImage().Fmt(1, 2, 44100, 16).Chunk("LI\xC3\xA9", "abcd").Data("xxxx").Bytes(), false,
         true},
        {"no fmt chunk", WavImage().Data("xxxx").Bytes(), false, false},
        {"data before fmt", WavImage().Data("xxxx").Fmt(1, 2, 44100, 16).Bytes(), false, true},
        {"a chunk claiming 4 GB",
         WavImage().Fmt(1, 2, 44100, 16).Chunk("LIST", "ab", 0xFFFFFFF0).Bytes(), false, false},
        {"a short fmt chunk", WavImage().Chunk("fmt ", "abcdefgh").Data("xxxx").Bytes(), true,
         false},
        {"a cut length field", QByteArray("RIFF\0\0\0\0WAVEfmt \x10\0", 18), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = fx.Path("damaged.wav");
        ASSERT_TRUE(AudioFixtures::WriteAll(path, c.bytes));
        WavInFile in(path);
        EXPECT_EQ(in.HeadersOk(), c.inFileOk);
        int16_t s[16];
        if (!c.inFileOk) {
            EXPECT_EQ(in.Read(s, 16), 0);
        }
        MWaveReader reader;
        EXPECT_EQ(reader.Open(path).IsOk(), c.readerOk);
    }

    // A data length beyond the end of the file is cut to what is there.
    QBuffer buffer;
    buffer.setData(WavImage().Fmt(1, 2, 44100, 16).Data(QByteArray(10, 'a'), 0x7FFFFFF0).Bytes());
    buffer.open(QIODevice::ReadOnly);
    WavInFile in(&buffer);
    EXPECT_TRUE(in.HeadersOk());
    EXPECT_EQ(in.DataSizeBytes(), 10u);
    EXPECT_EQ(in.SampleFrames(), 2u);
    MWaveReader reader;
    ASSERT_TRUE(reader.Open(&buffer).IsOk());
    EXPECT_EQ(reader.DataBytes(), 10);
    EXPECT_EQ(ReadAllBytes(reader, 64), QByteArray(10, 'a'));
}

TEST(WavReaders, EveryTruncationAndRandomBytesAreSafe) {
    const QByteArray whole =
        WavImage()
            .Fmt(0xFFFE, 2, 44100, 16, QByteArray("\x16\0", 2) + QByteArray(22, 'e'))
            .Chunk("LIST", QByteArray(26, 'i'))
            .Chunk("fact", QByteArray("\x05\0\0\0", 4))
            .Data(QByteArray(20, 's'))
            .Bytes();
    const int dataStart = static_cast<int>(whole.size()) - 20;
    for (int cut = 0; cut <= whole.size(); ++cut) {
        const int dataThere = std::max(0, cut - dataStart);
        QBuffer buffer;
        buffer.setData(whole.left(cut));
        buffer.open(QIODevice::ReadOnly);
        WavInFile in(&buffer);
        int16_t s[64];
        int total = 0;
        for (int n; (n = in.Read(s, 7)) > 0;) {
            total += n;
        }
        EXPECT_EQ(total, dataThere / 2);
        MWaveReader reader;
        reader.SetLeadingSilenceFrames(2);
        if (reader.Open(&buffer).IsOk()) {
            EXPECT_EQ(ReadAllBytes(reader, 9).size(), 8 + dataThere);
        }
    }
    WavInFile missing(QStringLiteral("/nonexistent/folder/missing.wav"));
    EXPECT_FALSE(missing.IsOpen());
    int16_t none[4];
    EXPECT_EQ(missing.Read(none, 4), 0);

    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = whole;
        for (int i = 0; i < 6; ++i) {
            bytes[static_cast<int>(rng() % bytes.size())] = static_cast<char>(rng());
        }
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        WavInFile in(&buffer);
        int16_t s[64];
        while (in.Read(s, 64) > 0) {
        }
        MWaveReader reader;
        if (reader.Open(&buffer).IsOk()) {
            ReadAllBytes(reader, 64);
        }
    }
}
