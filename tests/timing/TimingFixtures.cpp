#include "TimingFixtures.h"

#include <QWidget>

bool FakeModeHost::IsIdle() const {
    MCdgPlayer* player = MCdgPlayer::CurrentPlayer();
    return player == nullptr || !player->IsPlaying();
}

void TimingTest::SetUp() {
    host_.context = MPlayerContext{&outputs_, nullptr, &messages_};
    player_ = MCdgPlayer::CreatePlayer(host_.context, nullptr);
    player_->SetOutputDeviceNumber(PulseSink::TestDeviceNumber(outputs_));
}

void TimingTest::TearDown() {
    MCdgPlayer::DestroyPlayer();
    song_ = nullptr;
    document_.reset();
}

void TimingTest::MakeSong(const QString& lyrics, double seconds, bool duet) {
    const QString wav = dir_.filePath(QStringLiteral("music.wav"));
    ASSERT_TRUE(PlayerFixtures::WriteToneWav(wav, static_cast<int64_t>(seconds * 44100)));
    host_.workWav = wav;
    document_ = std::make_unique<MSongDocument>(&messages_);
    song_ = &document_->Song();
    document_->Host().SetWorkWavPath(wav);
    song_->header.performance = duet ? SongHeader::kDuet : SongHeader::kSolo;
    song_->rawLyrics = lyrics;
    song_->musicFile = wav;
    song_->GenerateKaraokeLineList(true, true);
    song_->AttachWorkWav(true);
    song_->SetModified(false);
}

void TimingTest::TimeWords(int32_t firstFrame, int32_t stepFrames) {
    int32_t t = firstFrame;
    for (MKaraokeWord* w : song_->wordList) {
        w->startTime = t;
        w->endTime = t + stepFrames;
        t += stepFrames;
        w->line->placed = true;
    }
}

void TimingTest::Key(QWidget* to, QEvent::Type type, int key, bool autoRepeat,
                     Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(to, &event);
}
