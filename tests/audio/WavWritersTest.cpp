// WavOutFile, the work-WAV header and padding, checked byte for byte and through ffmpeg.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <vector>

#include "audio/AudioFixtures.h"
#include "audio/WavInFile.h"
#include "audio/WavOutFile.h"
#include "audio/WorkWav.h"

namespace {

uint32_t U32At(const QByteArray& b, int offset) {
    return qFromLittleEndian<uint32_t>(reinterpret_cast<const uchar*>(b.constData()) + offset);
}

QByteArray S16Bytes(const std::vector<int16_t>& samples) {
    QByteArray out(static_cast<int>(samples.size() * 2), '\0');
    for (size_t i = 0; i < samples.size(); ++i) {
        qToLittleEndian(samples[i], reinterpret_cast<uchar*>(out.data()) + 2 * i);
    }
    return out;
}

QByteArray Md5(const QString& path) {
    return QCryptographicHash::hash(AudioFixtures::ReadAll(path), QCryptographicHash::Md5);
}

}  // namespace

TEST(WavWriters, HeaderLayoutAndSampleWidths) {
    AudioFixtures fx;
    {
        WavOutFile empty(fx.Path("empty.wav"), 44100, 16, 2);
        ASSERT_TRUE(empty.IsOpen());
    }
    const QByteArray e = AudioFixtures::ReadAll(fx.Path("empty.wav"));
    ASSERT_EQ(e.size(), 56);
    EXPECT_EQ(e.left(4), "RIFF");
    EXPECT_EQ(U32At(e, 4), 48u);
    EXPECT_EQ(e.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32At(e, 16), 16u);
    EXPECT_EQ(U32At(e, 24), 44100u);
    EXPECT_EQ(U32At(e, 28), 176400u);
    EXPECT_EQ(e.mid(36, 4), "fact");
    EXPECT_EQ(U32At(e, 40), 4u);
    EXPECT_EQ(U32At(e, 44), 0u);
    EXPECT_EQ(e.mid(48, 4), "data");
    EXPECT_EQ(U32At(e, 52), 0u);

    // 8 bits: the sample divided by 256 toward zero, plus 128.
    const std::vector<int16_t> in = {-32768, -257, -256, -255, -1, 0, 1, 255, 256, 32767};
    {
        WavOutFile eight(fx.Path("eight.wav"), 22050, 8, 1);
        eight.Write(in.data(), static_cast<int>(in.size()));
        eight.Write(in.data(), 0);
        EXPECT_TRUE(eight.Close().IsOk());
    }
    const QByteArray b8 = AudioFixtures::ReadAll(fx.Path("eight.wav"));
    EXPECT_EQ(b8.mid(56), QByteArray("\x00\x7f\x7f\x80\x80\x80\x80\x80\x81\xff", 10));
    EXPECT_EQ(U32At(b8, 4), 58u);
    EXPECT_EQ(U32At(b8, 44), 10u);

    // A 16-bit stereo file decodes in ffmpeg to exactly what was written.
    std::vector<int16_t> stereo(44100 * 2);
    for (size_t i = 0; i < stereo.size(); ++i) {
        stereo[i] = static_cast<int16_t>(i * 7919);
    }
    {
        WavOutFile sixteen(fx.Path("sixteen.wav"), 44100, 16, 2);
        sixteen.Write(stereo.data(), 1000);
        sixteen.Write(stereo.data() + 1000, static_cast<int>(stereo.size()) - 1000);
    }
    EXPECT_EQ(fx.DecodeS16(fx.Path("sixteen.wav")), S16Bytes(stereo));
    WavInFile back(fx.Path("sixteen.wav"));
    EXPECT_EQ(back.SampleFrames(), 44100u);
    EXPECT_EQ(back.LengthMs(), 1000u);

    WavOutFile nowhere("/nonexistent/folder/out.wav", 44100, 16, 2);
    EXPECT_FALSE(nowhere.IsOpen());
    nowhere.Write(stereo.data(), 4);
    EXPECT_FALSE(nowhere.Close().IsOk());
}

TEST(WavWriters, WorkWavHeaderAroundDecodedData) {
    AudioFixtures fx;
    const QString path = fx.Path("work.wav");
    std::vector<int16_t> pcm(3000);
    for (size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = static_cast<int16_t>(i * 31 - 20000);
    }
    ASSERT_TRUE(AudioFixtures::WriteAll(path, QByteArray(44, '\0') + S16Bytes(pcm)));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(WriteWorkWavHeader(file, 44100, 16, 2).IsOk());
    file.flush();
    const QByteArray provisional = AudioFixtures::ReadAll(path);
    EXPECT_EQ(U32At(provisional, 40), 2u * 16u * 30u * 44100u / 8u);
    EXPECT_EQ(U32At(provisional, 4), 2u * 16u * 30u * 44100u / 8u + 36u);
    ASSERT_TRUE(FinishWorkWavHeader(file, file.size() - 44).IsOk());
    file.close();

    const QByteArray h = AudioFixtures::ReadAll(path);
    EXPECT_EQ(h.left(4), "RIFF");
    EXPECT_EQ(h.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32At(h, 4), 6000u + 36u);
    EXPECT_EQ(U32At(h, 28), 176400u);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(h.constData() + 32), 4);
    EXPECT_EQ(h.mid(36, 4), "data");
    EXPECT_EQ(U32At(h, 40), 6000u);
    EXPECT_EQ(fx.DecodeS16(path), S16Bytes(pcm));
}

TEST(WavWriters, PaddingChangesOnlyThePrivateWorkWav) {
    AudioFixtures fx;
    const QString privatePath = fx.Path("private/quilm_music.wav");
    ASSERT_TRUE(QDir().mkpath(fx.Path("private")));
    const QString user = fx.Make("user song.wav", "sine=frequency=440:duration=0.5",
                                 {"-ac", "2", "-c:a", "pcm_s16le", "-metadata", "title=Mine"});
    ASSERT_FALSE(user.isEmpty());
    const QByteArray userMd5 = Md5(user);
    const QByteArray userPcm = fx.DecodeS16(user);
    ASSERT_EQ(userPcm.size(), 88200);

    // Longer: the user's file stays as it was; the private copy gets the samples and silence.
    QString result;
    ASSERT_TRUE(PadWorkWav(user, 100001, privatePath, &result).IsOk());
    EXPECT_EQ(result, privatePath);
    EXPECT_EQ(Md5(user), userMd5);
    {
        WavInFile padded(privatePath);
        EXPECT_EQ(padded.DataSizeBytes(), 100000u);
        EXPECT_EQ(padded.SampleRate(), 44100u);
        EXPECT_EQ(padded.Channels(), 2);
    }
    EXPECT_EQ(fx.DecodeS16(privatePath), userPcm + QByteArray(100000 - 88200, '\0'));
    EXPECT_FALSE(QFileInfo::exists(privatePath + ".part"));

    // Shorter, in place on the private file.
    ASSERT_TRUE(PadWorkWav(privatePath, 40000, privatePath, &result).IsOk());
    EXPECT_EQ(result, privatePath);
    EXPECT_EQ(fx.DecodeS16(privatePath), userPcm.left(40000));

    // The user's file already as long as needed is used as it is.
    QFile::remove(privatePath);
    ASSERT_TRUE(PadWorkWav(user, 88200, privatePath, &result).IsOk());
    EXPECT_EQ(result, user);
    EXPECT_FALSE(QFileInfo::exists(privatePath));
    EXPECT_EQ(Md5(user), userMd5);

    // 8-bit silence is the byte 128.
    const QString eight =
        fx.Make("eight.wav", "sine=frequency=200:duration=0.01", {"-c:a", "pcm_u8"});
    const QByteArray eightData = fx.RawCopy(eight, "u8");
    ASSERT_TRUE(PadWorkWav(eight, eightData.size() + 5, privatePath, &result).IsOk());
    EXPECT_EQ(fx.RawCopy(privatePath, "u8"), eightData + QByteArray(5, '\x80'));

    // A work WAV that cannot be read is an error that writes nothing.
    QFile::remove(privatePath);
    const QString junk = fx.Path("junk.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(junk, QByteArray("not a wave file at all")));
    EXPECT_FALSE(PadWorkWav(junk, 1000, privatePath, &result).IsOk());
    EXPECT_EQ(result, junk);
    EXPECT_FALSE(QFileInfo::exists(privatePath));
    EXPECT_EQ(AudioFixtures::ReadAll(junk), "not a wave file at all");
}
