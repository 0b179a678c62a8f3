// Music import: which files become the work WAV, where, and what the user is told otherwise.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include "audio/AudioFixtures.h"
#include "audio/AudioStatus.h"
#include "audio/EncodingProbes.h"
#include "audio/MMusicImport.h"

using EncodingProbes::Recorder;

TEST(MusicImport, QualifyingWavsAreUsedInPlace) {
    AudioFixtures fx;
    MMusicImport import(fx.Path("tmp"));
    const QString mono8 = fx.Make("mono8.wav", "sine=duration=0.3", {"-c:a", "pcm_u8"});
    const QString upper = fx.Make("LOUD.WAV", "sine=duration=0.3", {"-ac", "2"});
    for (const QString& path : {mono8, upper}) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray before = AudioFixtures::ReadAll(path);
        Recorder progress;
        ASSERT_TRUE(import.LoadMusic(path, &progress));
        EXPECT_EQ(import.WorkWavPath(), path);
        EXPECT_EQ(import.MusicFilePath(), path);
        EXPECT_EQ(import.MusicFolder(), fx.Dir() + "/");
        EXPECT_EQ(import.ErrorText(), "");
        EXPECT_TRUE(progress.title.isEmpty());  // nothing to decode
        EXPECT_EQ(AudioFixtures::ReadAll(path), before);
    }
    EXPECT_FALSE(QFileInfo::exists(import.TemporaryWorkWavPath()));
}

TEST(MusicImport, RefusedFilesAndTheirMessages) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    MMusicImport import(fx.Path("tmp"));
    ASSERT_TRUE(import.LoadMusic(fx.Make("good.wav", "sine=duration=0.2", {"-ac", "2"}), nullptr));

    const QString junk = fx.Path("junk.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(junk, "RIFF but not really"));
    const QString words = fx.Path("words.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(words, QByteArray("la la la\n").repeated(200)));
    const struct {
        QString path;
        QString error;
    } cases[] = {
        {fx.Make("48k.wav", "sine=duration=0.2:sample_rate=48000", {}),
         "Sample Rate must be 44,100\n"},
        {fx.Make("24bit.wav", "sine=duration=0.2", {"-c:a", "pcm_s24le"}),
         "Bits per Sample must be 8 or 16\n"},
        {fx.Make("surround.wav", "sine=duration=0.2", {"-ac", "3"}),
         "Music must be Stereo or Mono\n"},
        {junk,
         "Sample Rate must be 44,100\nBits per Sample must be 8 or 16\nMusic must be Stereo or "
         "Mono\n"},
        {fx.Path("missing.mp3"), "File not found\n"},
        {fx.Dir(), "File not found\n"},
        {words, "Error opening Audio File\n"},
        // Decoded completely, then refused.
        {fx.Make("low.mp3", "sine=duration=0.5:sample_rate=22050", {"-ac", "2"}),
         "Sample Rate must be 44,100\n"},
        // The decoder's own reason, with its status.
        {fx.Make("mono.wma", "sine=duration=0.5", {"-ac", "1"}),
         "Input music file is not stereo (2 channel)" +
             AudioStatus::StatusSuffix(AudioStatus::kUnsupportedFormat)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_FALSE(import.LoadMusic(c.path, nullptr));
        EXPECT_EQ(import.ErrorText(), c.error);
        EXPECT_EQ(import.WorkWavPath(), "");
        EXPECT_EQ(import.MusicFolder(), "");
        EXPECT_FALSE(QFileInfo::exists(import.TemporaryWorkWavPath()));
    }
}

TEST(MusicImport, CompressedMusicBecomesThePrivateWorkWav) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    MMusicImport import(fx.Path("tmp"));
    const QString work = fx.Path("tmp/quilm_music.wav");
    ASSERT_EQ(import.TemporaryWorkWavPath(), work);
    ASSERT_TRUE(AudioFixtures::WriteAll(work, "left over from before"));

    const QString mp3 = fx.Make("song.mp3", "sine=frequency=392:duration=2.5", {"-ac", "2"});
    Recorder progress;
    ASSERT_TRUE(import.LoadMusic(mp3, &progress)) << import.ErrorText().toStdString();
    EXPECT_EQ(progress.title, "Decompressing Audio...");
    EXPECT_FALSE(progress.canCancel);
    EXPECT_TRUE(progress.ended);
    EXPECT_GE(progress.percents.back(), 97);
    EXPECT_EQ(import.WorkWavPath(), work);
    EXPECT_EQ(import.MusicFilePath(), mp3);
    EXPECT_EQ(import.MusicFolder(), fx.Dir() + "/");
    EXPECT_TRUE(AudioFixtures::ReadAll(work) ==
                WavImage().Fmt(1, 2, 44100, 16).Data(fx.DecodeS16(mp3)).Bytes());
}
