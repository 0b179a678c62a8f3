// Music import: which files become the work WAV, where, and what the user is told otherwise.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include "audio/AudioFixtures.h"
#include "audio/AudioStatus.h"
#include "audio/MMusicImport.h"
#include "audio/MProgress.h"
#include "audio/WavInFile.h"

namespace {

class LoggingProgress : public MProgress {
public:
    void Begin(const QString& t, bool cancel) override {
        title = t;
        canCancel = cancel;
    }
    void SetPercent(int percent) override { last = percent; }
    void End() override { ended = true; }

    QString title;
    bool canCancel = true;
    int last = -1;
    bool ended = false;
};

QByteArray Md5(const QString& path) {
    return QCryptographicHash::hash(AudioFixtures::ReadAll(path), QCryptographicHash::Md5);
}

}  // namespace

TEST(MusicImport, QualifyingWavsAreUsedInPlace) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    MMusicImport import(fx.Path("tmp"));
    const QString mono8 = fx.Make("mono8.wav", "sine=duration=0.3", {"-c:a", "pcm_u8"});
    const QString upper =
        fx.Make("LOUD.WAV", "sine=duration=0.3", {"-ac", "2", "-c:a", "pcm_s16le"});
    for (const QString& path : {mono8, upper}) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray before = Md5(path);
        LoggingProgress progress;
        ASSERT_TRUE(import.LoadMusic(path, &progress));
        EXPECT_EQ(import.WorkWavPath(), path);
        EXPECT_EQ(import.MusicFilePath(), path);
        EXPECT_EQ(import.MusicFolder(), fx.Dir() + "/");
        EXPECT_EQ(import.ErrorText(), "");
        EXPECT_EQ(import.SampleRate(), 44100u);
        EXPECT_TRUE(progress.title.isEmpty());  // nothing to decode
        EXPECT_EQ(Md5(path), before);
    }
    EXPECT_EQ(import.BitsPerSample(), 16);
    EXPECT_EQ(import.Channels(), 2);
    EXPECT_FALSE(QFileInfo::exists(import.TemporaryWorkWavPath()));
}

TEST(MusicImport, RefusedFilesAndTheirMessages) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    MMusicImport import(fx.Path("tmp"));
    const QString good = fx.Make("good.wav", "sine=duration=0.2", {"-ac", "2"});
    ASSERT_TRUE(import.LoadMusic(good, nullptr));

    const QString junk = fx.Path("junk.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(junk, QByteArray("RIFF but not really")));
    const QString noDecode = fx.Path("words.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(noDecode, QByteArray("la la la\n").repeated(200)));
    const struct {
        QString path;
        QString error;
    } cases[] = {
        {fx.Make("48k.wav", "sine=duration=0.2:sample_rate=48000", {"-ac", "2"}),
         "Sample Rate must be 44,100\n"},
        {fx.Make("24bit.wav", "sine=duration=0.2", {"-ac", "2", "-c:a", "pcm_s24le"}),
         "Bits per Sample must be 8 or 16\n"},
        {fx.Make("surround.wav", "sine=duration=0.2", {"-ac", "3"}),
         "Music must be Stereo or Mono\n"},
        {junk,
         "Sample Rate must be 44,100\nBits per Sample must be 8 or 16\nMusic must be Stereo or "
         "Mono\n"},
        {fx.Path("missing.mp3"), "File not found\n"},
        {fx.Dir(), "File not found\n"},
        {noDecode, "Error opening Audio File\n"},
        {fx.Make("low.mp3", "sine=duration=0.5:sample_rate=22050", {"-ac", "2"}),
         "Sample Rate must be 44,100\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_FALSE(import.LoadMusic(c.path, nullptr));
        EXPECT_EQ(import.ErrorText(), c.error);
        EXPECT_EQ(import.WorkWavPath(), "");
        EXPECT_FALSE(QFileInfo::exists(import.TemporaryWorkWavPath()));
    }
    EXPECT_EQ(import.SampleRate(), 22050u);  // the low-rate MP3 was decoded before it was refused
    EXPECT_EQ(import.MusicFilePath(), "");
    EXPECT_EQ(import.MusicFolder(), "");

    // The decoder's own reason, with its status.
    const QString mono = fx.Make("mono.wma", "sine=duration=0.5", {"-ac", "1"});
    EXPECT_FALSE(import.LoadMusic(mono, nullptr));
    EXPECT_TRUE(import.ErrorText().startsWith("Input music file is not stereo (2 channel) (hr=0x"))
        << import.ErrorText().toStdString();
    EXPECT_EQ(import.ErrorText(), "Input music file is not stereo (2 channel)" +
                                      AudioStatus::HrSuffix(AudioStatus::kUnsupportedFormat));
}

TEST(MusicImport, CompressedMusicBecomesThePrivateWorkWav) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    MMusicImport import(fx.Path("tmp"));
    const QString work = fx.Path("tmp/quilm_music.wav");
    ASSERT_EQ(import.TemporaryWorkWavPath(), work);
    ASSERT_TRUE(AudioFixtures::WriteAll(work, QByteArray("left over from before")));

    const QString mp3 = fx.Make("song.mp3", "sine=frequency=392:duration=2.5", {"-ac", "2"});
    LoggingProgress progress;
    ASSERT_TRUE(import.LoadMusic(mp3, &progress)) << import.ErrorText().toStdString();
    EXPECT_EQ(progress.title, "Decompressing Audio...");
    EXPECT_FALSE(progress.canCancel);
    EXPECT_TRUE(progress.ended);
    EXPECT_GE(progress.last, 97);
    EXPECT_EQ(import.WorkWavPath(), work);
    EXPECT_EQ(import.MusicFilePath(), mp3);
    EXPECT_EQ(import.MusicFolder(), fx.Dir() + "/");

    const QByteArray pcm = fx.DecodeS16(mp3);
    const QByteArray bytes = AudioFixtures::ReadAll(work);
    ASSERT_EQ(bytes.size(), 44 + pcm.size());
    const auto* h = reinterpret_cast<const uchar*>(bytes.constData());
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(qFromLittleEndian<uint32_t>(h + 4), static_cast<uint32_t>(pcm.size() + 36));
    EXPECT_EQ(qFromLittleEndian<uint32_t>(h + 40), static_cast<uint32_t>(pcm.size()));
    EXPECT_TRUE(bytes.mid(44) == pcm);
    WavInFile in(work);
    EXPECT_EQ(in.SampleRate(), 44100u);
    EXPECT_EQ(in.BitsPerSample(), 16);
    EXPECT_EQ(in.Channels(), 2);
    EXPECT_EQ(in.DataSizeBytes(), static_cast<uint32_t>(pcm.size()));
}
