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

QByteArray Le32(uint32_t v) {
    const uint32_t le = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

QByteArray Md5(const QString& path) {
    return QCryptographicHash::hash(AudioFixtures::ReadAll(path), QCryptographicHash::Md5);
}

}  // namespace

TEST(WavWriters, WavOutFileHeaderAndSampleWidths) {
    AudioFixtures fx;
    { WavOutFile empty(fx.Path("empty.wav"), 44100, 16, 2); }
    EXPECT_EQ(AudioFixtures::ReadAll(fx.Path("empty.wav")),
              WavImage().Fmt(1, 2, 44100, 16).Chunk("fact", Le32(0)).Data({}).Bytes());

    // 8 bits: the sample divided by 256 toward zero, plus 128.
    const std::vector<int16_t> in = {-32768, -257, -256, -255, -1, 0, 1, 255, 256, 32767};
    WavOutFile eight(fx.Path("eight.wav"), 22050, 8, 1);
    eight.Write(in.data(), 4);
    eight.Write(in.data(), 0);
    eight.Write(in.data() + 4, 6);
    ASSERT_TRUE(eight.Close().IsOk());
    EXPECT_EQ(AudioFixtures::ReadAll(fx.Path("eight.wav")),
              WavImage()
                  .Fmt(1, 1, 22050, 8)
                  .Chunk("fact", Le32(10))
                  .Data(QByteArray("\x00\x7f\x7f\x80\x80\x80\x80\x80\x81\xff", 10))
                  .Bytes());

    // 16-bit stereo decodes in ffmpeg to exactly what was written.
    std::vector<int16_t> stereo(44100 * 2);
    for (size_t i = 0; i < stereo.size(); ++i) {
        stereo[i] = static_cast<int16_t>(i * 7919);
    }
    {
        WavOutFile sixteen(fx.Path("sixteen.wav"), 44100, 16, 2);
        sixteen.Write(stereo.data(), static_cast<int>(stereo.size()));
    }
    EXPECT_EQ(fx.DecodeS16(fx.Path("sixteen.wav")),
              QByteArray(reinterpret_cast<const char*>(stereo.data()), stereo.size() * 2));
    EXPECT_EQ(WavInFile(fx.Path("sixteen.wav")).LengthMs(), 1000u);

    WavOutFile nowhere("/nonexistent/folder/out.wav", 44100, 16, 2);
    nowhere.Write(stereo.data(), 4);
    EXPECT_FALSE(nowhere.Close().IsOk());
}

TEST(WavWriters, WorkWavHeaderAroundDecodedData) {
    AudioFixtures fx;
    const QString path = fx.Path("work.wav");
    const QByteArray pcm = QByteArray("\x10\x20\x30\x40", 4).repeated(1500);
    ASSERT_TRUE(AudioFixtures::WriteAll(path, QByteArray(44, '\0') + pcm));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(WriteWorkWavHeader(file, 44100, 16, 2).IsOk());
    file.flush();
    // Until finished, the header claims 30 seconds.
    EXPECT_EQ(AudioFixtures::ReadAll(path).mid(40, 4), Le32(30 * 176400));
    ASSERT_TRUE(FinishWorkWavHeader(file, file.size() - 44).IsOk());
    file.close();
    EXPECT_EQ(AudioFixtures::ReadAll(path), WavImage().Fmt(1, 2, 44100, 16).Data(pcm).Bytes());
}

TEST(WavWriters, PaddingWritesOnlyThePrivateWorkWav) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("private")));
    const QString privatePath = fx.Path("private/quilm_music.wav");
    const QString user = fx.Make("user song.wav", "sine=frequency=440:duration=0.5",
                                 {"-ac", "2", "-metadata", "title=Mine"});
    const QByteArray userMd5 = Md5(user);
    const QByteArray userPcm = fx.DecodeS16(user);
    ASSERT_EQ(userPcm.size(), 88200);

    // Longer: the user's file stays as it was; the private copy gets the samples and silence.
    QString result;
    ASSERT_TRUE(PadWorkWav(user, 100001, privatePath, &result).IsOk());
    EXPECT_EQ(result, privatePath);
    EXPECT_EQ(Md5(user), userMd5);
    EXPECT_EQ(WavInFile(privatePath).DataSizeBytes(), 100000u);
    EXPECT_EQ(fx.DecodeS16(privatePath), userPcm + QByteArray(100000 - 88200, '\0'));
    EXPECT_FALSE(QFileInfo::exists(privatePath + ".part"));

    // Shorter, in place on the private file.
    ASSERT_TRUE(PadWorkWav(privatePath, 40000, privatePath, &result).IsOk());
    EXPECT_EQ(fx.DecodeS16(privatePath), userPcm.left(40000));

    // The user's file already as long as needed stays the work WAV.
    QFile::remove(privatePath);
    ASSERT_TRUE(PadWorkWav(user, 88200, privatePath, &result).IsOk());
    EXPECT_EQ(result, user);
    EXPECT_FALSE(QFileInfo::exists(privatePath));

    // 8-bit silence is the byte 128.
    const QString eight = fx.Make("eight.wav", "sine=duration=0.01", {"-c:a", "pcm_u8"});
    const QByteArray eightData = fx.RawCopy(eight, "u8");
    ASSERT_TRUE(PadWorkWav(eight, eightData.size() + 5, privatePath, &result).IsOk());
    EXPECT_EQ(fx.RawCopy(privatePath, "u8"), eightData + QByteArray(5, '\x80'));

    // A work WAV that cannot be read is an error that writes nothing.
    QFile::remove(privatePath);
    const QString junk = fx.Path("junk.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(junk, "not a wave file at all"));
    EXPECT_FALSE(PadWorkWav(junk, 1000, privatePath, &result).IsOk());
    EXPECT_EQ(result, junk);
    EXPECT_FALSE(QFileInfo::exists(privatePath));
}
