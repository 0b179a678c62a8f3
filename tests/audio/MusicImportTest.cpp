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
    EXPECT_EQ(import.OwnedWorkWavPath(), "");
}

TEST(MusicImport, RefusedFilesAndTheirMessages) {
    AudioFixtures fx;
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    MMusicImport import(fx.Path("tmp"));
    ASSERT_TRUE(import.LoadMusic(fx.Make("good.wav", "sine=duration=0.2", {"-ac", "2"}), nullptr));

    const QString junk = fx.Path("junk.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(junk, "RIFF but not really"));
    const QString many = fx.Path("many.wav");
    ASSERT_TRUE(AudioFixtures::WriteAll(
        many, WavImage().Fmt(1, 12, 44100, 16).Data(QByteArray(24 * 4410, '\0')).Bytes()));
    const QString words = fx.Path("words.mp3");
    ASSERT_TRUE(AudioFixtures::WriteAll(words, QByteArray("la la la\n").repeated(200)));
    const struct {
        QString path;
        QString error;
    } cases[] = {
        // What was found is named.
        {many, "Music must be Stereo or Mono (the file has 12 channels)\n"},
        {junk,
         "Sample Rate must be 44,100 (the file has 0)\nBits per Sample must be 8 or 16 (the file "
         "has 0)\nMusic must be Stereo or Mono (the file has 0 channels)\n"},
        {fx.Path("missing.mp3"), "File not found\n"},
        {fx.Dir(), "File not found\n"},
        {words, "Error opening Audio File\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const MStatus loaded = import.LoadMusic(c.path, nullptr);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(loaded.Text(), c.error);
        EXPECT_EQ(import.ErrorText(), c.error);
        EXPECT_EQ(import.WorkWavPath(), "");
        EXPECT_EQ(import.MusicFolder(), "");
        EXPECT_EQ(QDir(import.WorkFolderPath()).entryList({"*.wav"}, QDir::Files), QStringList());
    }
}

TEST(MusicImport, CompressedMusicBecomesAPrivateWorkWavOfItsOwn) {
    AudioFixtures fx;
    // A user's own file of the old fixed name is never touched.
    const QString users = fx.Path("tmp/quilm_music.wav");
    ASSERT_TRUE(QDir().mkpath(fx.Path("tmp")));
    ASSERT_TRUE(AudioFixtures::WriteAll(users, "mine"));
    const QString mp3 = fx.Make("song.mp3", "sine=frequency=392:duration=2.5", {"-ac", "2"});
    QString first;
    {
        MMusicImport import(fx.Path("tmp"));
        MMusicImport other(fx.Path("tmp"));
        Recorder progress;
        ASSERT_TRUE(import.LoadMusic(mp3, &progress)) << import.ErrorText().toStdString();
        ASSERT_TRUE(other.LoadMusic(mp3, nullptr));
        EXPECT_EQ(progress.title, "Decompressing Audio...");
        EXPECT_FALSE(progress.canCancel);
        EXPECT_TRUE(progress.ended);
        EXPECT_GE(progress.percents.back(), 97);
        first = import.WorkWavPath();
        EXPECT_NE(first, other.WorkWavPath());
        EXPECT_TRUE(QFileInfo(first).fileName().startsWith("song-"));
        EXPECT_EQ(QFileInfo(first).absolutePath(), import.WorkFolderPath());
        EXPECT_EQ(import.MusicFilePath(), mp3);
        EXPECT_EQ(import.MusicFolder(), fx.Dir() + "/");
        EXPECT_TRUE(AudioFixtures::ReadAll(first) ==
                    WavImage().Fmt(1, 2, 44100, 16).Data(fx.DecodeS16(mp3)).Bytes());
        // Other music replaces the file.
        ASSERT_TRUE(import.LoadMusic(fx.Make("b.ogg", "sine=duration=0.5", {"-ac", "2"}), nullptr));
        EXPECT_FALSE(QFileInfo::exists(first));
        first = import.WorkWavPath();
    }
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_EQ(QDir(fx.Path("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"quilm_music.wav"});
    EXPECT_EQ(AudioFixtures::ReadAll(users), "mine");
}
