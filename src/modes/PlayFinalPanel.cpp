#include "modes/PlayFinalPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QProgressBar>
#include <QThread>

#include "audio/MCdgPlayer.h"
#include "cdg/MRwRenderer.h"
#include "modes/UserAction.h"
#include "song/MSongDocument.h"
#include "song/MSongSettings.h"
#include "widgets/MRwViewerWindow.h"

namespace {

constexpr int kInset = 2;
// The colour the preview is cleared to when the song has ended.
constexpr int kClearColour = 15;

}  // namespace

PlayFinalPanel::PlayFinalPanel(ModeHost& host, MSongDocument& document, QWidget* parent)
    : ModePanel(host, document.Song(), ModeHost::kPlayFinal, parent),
      document_(document),
      renderer_(new MRwRenderer) {
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
    renderProgress_ = new QProgressBar(this);
    renderProgress_->setAccessibleName(tr("Rendering the song"));
    renderProgress_->setGeometry(kMargin + 95 + kGap, kMargin, 160, kButtonHeight);
    renderProgress_->setRange(0, 0);
    renderProgress_->setFormat(tr("Rendering..."));
    renderProgress_->hide();

    player_ = MCdgPlayer::CurrentPlayer();
    if (player_ != nullptr) {
        player_->SetRenderer(renderer_.get());
    } else {
        player_ = MCdgPlayer::CreatePlayer(host.PlayerContext(), renderer_.get());
    }
    player_->PrepareGraphics();

    if (const IMAGE_STRUCT* lyrics = document.Song().FindPage(IMAGE_STRUCT::kLyricsPage)) {
        const auto colours = lyrics->Colors();
        renderer_->LoadColors(0, 16, colours.data());
        renderer_->SetBorderColor(lyrics->borderColorIndex);
        renderer_->ClearScreen(lyrics->backgroundColorIndex);
    }
    UpdateModeButtons();
    Render();
    StartTimer();
}

PlayFinalPanel::~PlayFinalPanel() {
    StopTimer();
    if (renderThread_ != nullptr) {
        // The render works on the song: it ends before the panel lets the song go.
        renderThread_->wait();
        delete renderThread_;
    }
    MCdgPlayer::DestroyPlayer();
    renderer_->DetachAllWindows();
    viewer_->SetRenderer(nullptr);
}

void PlayFinalPanel::Render() {
    if (renderThread_ != nullptr) {
        return;
    }
    player_->SetSource(QString(), nullptr, 0);
    endFrame_ = 0;
    playButton_->setEnabled(false);
    // Settings would change the song under the render.
    ModeButton(kSettingsButton)->setEnabled(false);
    renderProgress_->show();
    renderThread_ = QThread::create([this] { stream_ = document_.RenderWholeStream(); });
    connect(renderThread_, &QThread::finished, this, &PlayFinalPanel::RenderDone);
    renderThread_->start();
}

bool PlayFinalPanel::WaitForRender(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (IsRendering()) {
        if (waited.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void PlayFinalPanel::RenderDone() {
    if (renderThread_ == nullptr) {
        return;
    }
    renderThread_->wait();
    delete renderThread_;
    renderThread_ = nullptr;
    renderProgress_->hide();
    playButton_->setEnabled(true);

    const MSongSettings& song = document_.Song();
    const QString wav = Host().WorkWavPath();
    if (!stream_.status && !stream_.status.Text().isEmpty()) {
        document_.Host().Report(stream_.status);
    }
    if (stream_.bytes != nullptr && stream_.lengthBytes > 0 && !wav.isEmpty()) {
        leadInFrames_ = stream_.leadInFrames;
        player_->SetLeadingSilenceFrames(leadInFrames_);
        player_->SetSource(wav, stream_.bytes, stream_.lengthBytes);
        endOfPlay_.Reset();
        player_->SetStopEvent(&endOfPlay_);
        endFrame_ = static_cast<uint32_t>(leadInFrames_) +
                    song.audioBytes / std::max<uint16_t>(1, song.workWavBlockAlign);
        player_->PrepareGraphics();
    }
    // Without a stream Play starts nothing and can be stopped again.
    UpdateModeButtons();
    Host().PanelStateChanged();
}

void PlayFinalPanel::TogglePlayback() {
    if (IsRendering()) {
        return;
    }
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
