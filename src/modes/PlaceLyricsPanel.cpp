#include "modes/PlaceLyricsPanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <chrono>

#include "audio/MCdgPlayer.h"
#include "modes/ModePreview.h"
#include "song/MSongDocument.h"
#include "widgets/MRwViewerWindow.h"

namespace {

constexpr int kButtonWidth = 95;
// A key event older than this was not stamped by our clock (or not at the press).
constexpr uint64_t kLongestKeyWaitMs = 1000;

}  // namespace

PlaceLyricsPanel::PlaceLyricsPanel(ModeHost& host, MSongDocument& document, QWidget* parent)
    : ModePanel(host, document.Song(), ModeHost::kPlaceLyrics, parent),
      document_(document),
      preview_(new ModePreview(document.Song(), this)),
      model_(document, preview_->Renderer()) {
    setAccessibleName(tr("Place Lyrics"));
    startButton_ = MakeButton(tr("Start (Home)"), 0, kButtonWidth);
    placeButton_ = MakeButton(tr("Place Word (SB)"), 0, kButtonWidth);
    pauseButton_ = MakeButton(tr("Pause (Ctrl)"), 0, kButtonWidth);
    stopButton_ = MakeButton(tr("Stop (End)"), 0, kButtonWidth);
    rowEnd_ =
        LayOutButtonRow({startButton_, placeButton_, pauseButton_, stopButton_}, kButtonWidth);
    connect(startButton_, &QPushButton::clicked, this, &PlaceLyricsPanel::StartPlacement);
    connect(placeButton_, &QPushButton::clicked, this, [this] { PlaceWord(); });
    connect(pauseButton_, &QPushButton::clicked, this, [this] { PauseSweep(); });
    connect(stopButton_, &QPushButton::clicked, this, &PlaceLyricsPanel::FinishPlacement);

    // The tempo stays at 100 %: its controls are kept hidden.
    tempoLabel_ = new QLabel(tr("Tempo:"), this);
    tempoField_ = new QLineEdit(this);
    tempoField_->setReadOnly(true);
    tempoField_->setAccessibleName(tr("Tempo"));
    tempoField_->setStyleSheet(QStringLiteral("QLineEdit { background: white; }"));
    tempoSpinner_ = new QSpinBox(this);
    tempoSpinner_->setAccessibleName(tr("Tempo"));
    tempoSpinner_->setRange(10, 20);
    tempoSpinner_->setValue(20);
    connect(tempoSpinner_, &QSpinBox::valueChanged, this, [this](int v) { ChangeTempo(v); });
    for (QWidget* w : {static_cast<QWidget*>(tempoLabel_), static_cast<QWidget*>(tempoField_),
                       static_cast<QWidget*>(tempoSpinner_)}) {
        w->hide();
    }

    model_.Open();
    player_ = MCdgPlayer::CurrentPlayer();
    if (player_ == nullptr) {
        player_ = MCdgPlayer::CreatePlayer(host.PlayerContext(), preview_->Renderer());
    }
    endOfPlay_.Reset();
    UpdatePlacingControls();
    DescribeCursor();
}

PlaceLyricsPanel::~PlaceLyricsPanel() {
    StopTimer();
    player_->Stop();
    player_->Close();
    player_->SetStopEvent(nullptr);
    player_->SetRenderer(nullptr);
    player_->SetTempoChange(0);
}

void PlaceLyricsPanel::UpdatePlacingControls() {
    const bool placing = state_ == State::Placing;
    startButton_->setEnabled(!placing);
    placeButton_->setEnabled(placing);
    pauseButton_->setEnabled(placing);
    stopButton_->setEnabled(placing);
    for (QWidget* w : {static_cast<QWidget*>(tempoLabel_), static_cast<QWidget*>(tempoField_),
                       static_cast<QWidget*>(tempoSpinner_)}) {
        w->setEnabled(state_ == State::Finished);
    }
    UpdateModeButtons();
}

bool PlaceLyricsPanel::ModeButtonAllowed(Button which) const {
    return state_ != State::Placing;
}

void PlaceLyricsPanel::DescribeCursor() {
    const QString text = model_.AtEnd() ? tr("Every word is placed")
                                        : tr("Next word: %1").arg(model_.WordText(model_.Cursor()));
    preview_->Viewer()->setAccessibleDescription(text);
    preview_->setAccessibleDescription(text);
}

void PlaceLyricsPanel::StartPlacement() {
    if (state_ == State::Placing) {
        return;
    }
    state_ = State::Placing;
    model_.Start();
    UpdatePlacingControls();
    placeButton_->setFocus();
    DescribeCursor();

    player_->Stop();
    player_->SetLeadingSilenceFrames(0);
    player_->SetSource(Host().WorkWavPath(), nullptr, 0);
    player_->SetTempoChange(tempo_ - 100);
    endOfPlay_.Reset();
    player_->SetStopEvent(&endOfPlay_);
    if (!player_->Play(MCdgPlayer::kFlagAudio, 0, MCdgPlayer::kToTheEnd)) {
        // Nothing plays: the run stays open until the user stops it.
        endOfPlay_.Reset();
    }
    StartTimer();
    Host().PanelStateChanged();
}

int32_t PlaceLyricsPanel::PositionAtPress(uint32_t position, const QKeyEvent* event,
                                          uint64_t nowMs) {
    int64_t frames = position;
    if (event != nullptr && event->timestamp() != 0) {
        // Key times are milliseconds of the monotonic clock, cut to 32 bits by X11.
        const uint32_t age =
            static_cast<uint32_t>(nowMs) - static_cast<uint32_t>(event->timestamp());
        if (age <= kLongestKeyWaitMs) {
            frames -= static_cast<int64_t>(age) * 44100 / 1000;
        }
    }
    return static_cast<int32_t>(std::clamp<int64_t>(frames, 0, INT32_MAX));
}

int32_t PlaceLyricsPanel::StampPosition(const QKeyEvent* event) const {
    // Key times come from the monotonic clock (X11 and Wayland stamp them so).
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return PositionAtPress(player_->HeardPosition(), event, static_cast<uint64_t>(now.count()));
}

void PlaceLyricsPanel::PlaceWord(const QKeyEvent* event) {
    if (state_ != State::Placing) {
        return;
    }
    model_.Place(StampPosition(event));
    DescribeCursor();
}

void PlaceLyricsPanel::PauseSweep(const QKeyEvent* event) {
    if (state_ != State::Placing) {
        return;
    }
    model_.Pause(StampPosition(event));
}

void PlaceLyricsPanel::FinishPlacement() {
    if (state_ != State::Placing) {
        return;
    }
    StopTimer();
    player_->Stop();
    player_->Close();
    state_ = State::Finished;
    model_.Finish();
    startButton_->setText(tr("Restart (Home)"));
    startButton_->setAccessibleName(tr("Restart (Home)"));
    UpdatePlacingControls();
    startButton_->setFocus();
    Host().PanelStateChanged();
}

void PlaceLyricsPanel::ChangeTempo(int step) {
    tempo_ = 5 * step;
    player_->SetTempoChange(tempo_ - 100);
    tempoField_->setText(QString::number(tempo_));
}

bool PlaceLyricsPanel::KeyHook(QKeyEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    const int key = event->key();
    if (press && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)) {
        return true;
    }
    if (key != Qt::Key_Control && key != Qt::Key_Space && key != Qt::Key_End &&
        key != Qt::Key_Home) {
        return false;
    }
    // X11 repeats a held key as releases and presses marked as repeats: the key is still down.
    if (event->isAutoRepeat()) {
        return true;
    }
    const bool playing = player_->IsPlaying();
    if (key == Qt::Key_Control || key == Qt::Key_Space) {
        const bool place = key == Qt::Key_Space;
        bool& held = place ? placeHeld_ : pauseHeld_;
        QPushButton* button = place ? placeButton_ : pauseButton_;
        if (!press) {
            held = false;
            button->setDown(false);
        } else if (playing && !held) {
            held = true;
            button->setDown(true);
            place ? PlaceWord(event) : PauseSweep(event);
        }
    } else if (key == Qt::Key_End) {
        if (!press) {
            stopButton_->setDown(false);
        } else if (playing) {
            stopButton_->setDown(true);
            FinishPlacement();
        }
    } else if (press && !playing) {
        StartPlacement();
    }
    return true;
}

void PlaceLyricsPanel::OnTimer() {
    if (state_ == State::Placing && endOfPlay_.IsSet()) {
        FinishPlacement();
    }
}

void PlaceLyricsPanel::resizeEvent(QResizeEvent*) {
    preview_->Place(LayoutPreviewAbove({startButton_, placeButton_, pauseButton_, stopButton_}));
    const int y = startButton_->y();
    tempoLabel_->move(rowEnd_, y);
}
