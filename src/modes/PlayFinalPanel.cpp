#include "modes/PlayFinalPanel.h"

#include <QFrame>
#include <QKeyEvent>

#include "audio/MCdgPlayer.h"
#include "cdg/MRwRenderer.h"
#include "modes/UserAction.h"
#include "song/MSongSettings.h"
#include "widgets/MRwViewerWindow.h"

namespace {

constexpr int kInset = 2;
// The colour the preview is cleared to when the song has ended.
constexpr int kClearColour = 15;

}  // namespace

PlayFinalPanel::PlayFinalPanel(ModeHost& host, MSongSettings& song, QWidget* parent)
    : ModePanel(host, song, ModeHost::kPlayFinal, parent), renderer_(new MRwRenderer) {
    setAccessibleName(tr("Play Final"));
    previewFrame_ = new QFrame(this);
    previewFrame_->setAccessibleName(tr("CD+G preview"));
    viewer_ = new MRwViewerWindow(previewFrame_);
    viewer_->setAccessibleName(tr("CD+G preview"));
    viewer_->Create(previewFrame_, QString(), true, kInset, kInset, 100, 75);
    renderer_->AttachWindow(viewer_);
    viewer_->SetRenderer(renderer_.get());
    playButton_ = MakeButton(tr("Play (SB)"), kMargin, 95);
    connect(playButton_, &CColorButton::clicked, this, &PlayFinalPanel::TogglePlayback);

    player_ = MCdgPlayer::CurrentPlayer();
    if (player_ != nullptr) {
        player_->SetRenderer(renderer_.get());
    } else {
        player_ = MCdgPlayer::CreatePlayer(host.PlayerContext(), renderer_.get());
    }
    player_->PrepareGraphics();

    song.GenerateKaraokeLineList(true, true);
    if (const IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage)) {
        const auto colours = lyrics->Colors();
        renderer_->LoadColors(0, 16, colours.data());
        renderer_->SetBorderColor(lyrics->borderColorIndex);
        renderer_->ClearScreen(lyrics->backgroundColorIndex);
    }
    Render();
    UpdateModeButtons();
    StartTimer();
}

PlayFinalPanel::~PlayFinalPanel() {
    StopTimer();
    MCdgPlayer::DestroyPlayer();
    renderer_->DetachAllWindows();
    viewer_->SetRenderer(nullptr);
}

void PlayFinalPanel::Render() {
    MSongSettings& song = Song();
    const QString wav = Host().WorkWavPath();
    if (song.rwBuffer.empty() || wav.isEmpty()) {
        // Nothing to play: Play starts nothing and can be stopped again.
        player_->SetSource(QString(), nullptr, 0);
        endFrame_ = 0;
        return;
    }
    uint32_t length = 0;
    leadInFrames_ = song.WriteRwMemory(song.rwBuffer.data(), song.rwBuffer.size(), &length,
                                       MSongSettings::kFromTheStart);
    length = std::min<uint32_t>(length, static_cast<uint32_t>(song.rwBuffer.size()));
    player_->SetLeadingSilenceFrames(leadInFrames_);
    player_->SetSource(wav, song.rwBuffer.data(), length);
    endOfPlay_.Reset();
    player_->SetStopEvent(&endOfPlay_);
    endFrame_ = static_cast<uint32_t>(leadInFrames_) +
                song.audioBytes / std::max<uint16_t>(1, song.workWavBlockAlign);
    player_->PrepareGraphics();
}

void PlayFinalPanel::TogglePlayback() {
    if (!playing_) {
        playing_ = true;
        playButton_->SetCaption(tr("Stop (SB)"));
        LogUserAction(MLogEvents::kActionPlayback, MLogEvents::kStartPlayback);
        endOfPlay_.Reset();
        if (endFrame_ == 0 ||
            !player_->Play(MCdgPlayer::kFlagAudio | MCdgPlayer::kFlagGraphics, 0, endFrame_)) {
            // Nothing started: the user stops again, as after a song that ended at once.
            endOfPlay_.Set();
        }
    } else {
        LogUserAction(MLogEvents::kActionPlayback, MLogEvents::kStopPlayback);
        player_->Stop();
        player_->Close();
        player_->PrepareGraphics();
        playButton_->SetCaption(tr("Play (SB)"));
        playing_ = false;
    }
    UpdateModeButtons();
    Host().PanelStateChanged();
}

bool PlayFinalPanel::ModeButtonAllowed(Button which) const {
    return !playing_ || which == kPlayButton;
}

bool PlayFinalPanel::KeyHook(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        return false;
    }
    // Holding Space down acts once: its auto-repeated presses change nothing.
    if (event->type() == QEvent::KeyPress && !event->isAutoRepeat()) {
        playButton_->setFocus();
        TogglePlayback();
    }
    return true;
}

void PlayFinalPanel::OnTimer() {
    if (playing_ && endOfPlay_.IsSet()) {
        TogglePlayback();
        renderer_->ClearScreen(kClearColour);
    }
}

void PlayFinalPanel::resizeEvent(QResizeEvent*) {
    const QRect frame = LayoutPreviewAbove({playButton_});
    previewFrame_->setGeometry(frame);
    viewer_->setGeometry(kInset, kInset, std::max(0, frame.width() - 2 * kInset),
                         std::max(0, frame.height() - 2 * kInset));
}
