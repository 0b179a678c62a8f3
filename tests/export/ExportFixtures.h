#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "audio/AudioFixtures.h"
#include "base/MProgress.h"
#include "song/MSongSettings.h"
#include "support/TestSongHost.h"

// What the export tests share: a private folder (also the temporary folder, so that work WAVs
// and zip parts of parallel runs never meet), music made by ffmpeg, and timed songs on it.
class ExportTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& name) const { return fx_.Path(name); }
    QString TempFolder() const { return fx_.Path(QStringLiteral("tmp")); }
    // A sine tone WAV at 44,100 Hz; sampleFormat as ffmpeg names it ("s16", "u8").
    QString MakeWav(const QString& name, double seconds, int channels,
                    const QString& sampleFormat = QStringLiteral("s16"));
    // A song of six timed lines (first word at firstSeconds) on the music, with the title and
    // credits pages as asked.
    std::unique_ptr<MSongSettings> MakeSong(const QString& wav, double firstSeconds, bool titlePage,
                                            bool creditsPage);
    // Gives the song new lyrics and times their words anew: stepFrames apart from firstFrames,
    // each lengthFrames long.
    static void Retime(MSongSettings& song, const QString& lyrics, int32_t firstFrames,
                       int32_t stepFrames, int32_t lengthFrames);
    // Every file under the folder, hidden ones too, relative to it.
    static QStringList FilesIn(const QString& folder);

    AudioFixtures fx_;
    TestSongHost host_;

private:
    QByteArray oldTmpDir_;
};

// Cancels at the given poll and records what the export showed.
class ScriptedProgress : public MProgress {
public:
    void Begin(const QString& title, bool canCancel) override { titles << title; }
    void SetTitle(const QString& title) override { titles << title; }
    void SetPercent(int percent) override { percents.push_back(percent); }
    bool IsCancelled() override { return ++polls >= cancelAtPoll; }

    QStringList titles;
    std::vector<int> percents;
    int polls = 0;
    int cancelAtPoll = 1 << 30;
};

// Limits the size of files this process writes (writes beyond it fail, as on a full disk).
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();

private:
    unsigned long old_ = 0;
};
