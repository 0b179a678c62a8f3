#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <memory>

#include "audio/MCdgPlayer.h"
#include "modes/ModeHost.h"
#include "platform/MQtAudioOutputFactory.h"
#include "platform/PlayerFixtures.h"
#include "song/MSongDocument.h"

// The window around a panel, as the timing tests need it.
class FakeModeHost : public ModeHost {
public:
    void SwitchMode(int mode) override { switches.push_back(mode); }
    void OpenSettings() override {}
    bool IsIdle() const override;
    void PanelStateChanged() override { ++stateChanges; }
    bool AddMusic() override { return false; }
    QString WorkWavPath() const override { return workWav; }
    QString MusicFilePath() const override { return workWav; }
    MPlayerContext PlayerContext() override { return context; }
    double EditLyricsSplit() override { return 0.5; }
    void SetEditLyricsSplit(double) override {}
    bool FindLyrics(LrcDocument&) override { return false; }

    QString workWav;
    MPlayerContext context;
    std::vector<int> switches;
    int stateChanges = 0;
};

// A song on a tone WAV, the one player on the tests' own null sink, and a host.
class TimingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A song of the given lines on seconds of music; words are not timed.
    void MakeSong(const QString& lyrics, double seconds, bool duet = false);
    // Times every word: starts every stepFrames from firstFrame, each ending at the next start.
    void TimeWords(int32_t firstFrame, int32_t stepFrames);
    MKaraokeWord* Word(int i) const { return song_->GetWord(i); }

    static void Key(QWidget* to, QEvent::Type type, int key, bool autoRepeat = false,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Runs the event loop until done() holds or timeoutMs pass.
    template <typename Done>
    static bool Until(Done done, int timeoutMs) {
        return PlayerFixtures::RunEventsUntil(done, timeoutMs);
    }

    QTemporaryDir dir_;
    MQtAudioOutputFactory outputs_;
    MessageLog messages_;
    FakeModeHost host_;
    std::unique_ptr<MSongDocument> document_;
    MSongSettings* song_ = nullptr;
    MCdgPlayer* player_ = nullptr;
};
