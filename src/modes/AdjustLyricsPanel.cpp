#include "modes/AdjustLyricsPanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include "audio/MCdgPlayer.h"
#include "cdg/MRwRenderer.h"
#include "modes/AdjustAreaDialog.h"
#include "modes/ModePreview.h"
#include "modes/PlayButtonImages.h"
#include "song/MSongDocument.h"
#include "widgets/CColorRadio.h"
#include "widgets/MRwViewerWindow.h"

namespace {

constexpr int kGreenFace = 0x00FF00;
constexpr int kAreaFace = 0xFFFF00;
constexpr int kRowHeight = 74;

QGroupBox* MakeGroup(const QString& title, QWidget* parent, int x, int width) {
    auto* group = new QGroupBox(title, parent);
    group->setAccessibleName(title);
    group->setGeometry(x, ModePanel::kMargin, width, kRowHeight);
    new QHBoxLayout(group);
    return group;
}

QPushButton* MakeImageButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAccessibleName(caption);
    button->setToolTip(caption);
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(48, 42);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

AdjustLyricsPanel::AdjustLyricsPanel(ModeHost& host, MSongDocument& document, QWidget* parent)
    : ModePanel(host, document.Song(), ModeHost::kAdjustLyrics, parent),
      document_(document),
      preview_(new ModePreview(document.Song(), this)),
      model_(document, preview_->Renderer()) {
    setAccessibleName(tr("Adjust Lyrics"));
    BuildControls();
    preview_->Viewer()->SetMessageHook(
        [this](MRwViewerWindow*, QEvent* event, void*) {
            if (event->type() == QEvent::MouseButtonPress) {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton) {
                    ClickPreview(mouse->position().toPoint(),
                                 (mouse->modifiers() & Qt::ShiftModifier) != 0);
                }
            }
        },
        nullptr);

    player_ = MCdgPlayer::CurrentPlayer();
    if (player_ != nullptr) {
        player_->SetRenderer(preview_->Renderer());
    } else {
        player_ = MCdgPlayer::CreatePlayer(host.PlayerContext(), preview_->Renderer());
    }
    endOfPlay_.Reset();
    player_->SetStopEvent(&endOfPlay_);
    model_.Open();
    UpdateControls();
}

AdjustLyricsPanel::~AdjustLyricsPanel() {
    StopTimer();
    audition_ = kIdle;
    ++generation_;
    // Waits for a pass that is ending on the player's thread; its notice, queued to this panel,
    // is dropped with it.
    StopPlayer();
    player_->SetStopEvent(nullptr);
    player_->SetRenderer(nullptr);
    player_->SetTempoChange(0);
    for (MKaraokeWord* w : Song().wordList) {
        w->flags &= ~MKaraokeWord::kSelected;
    }
}

void AdjustLyricsPanel::BuildControls() {
    for (int i = 0; i < PlayButtonImages::kImageCount; ++i) {
        images_[i] = PlayButtonImages::Make(static_cast<PlayButtonImages::Image>(i));
    }
    int x = kMargin;
    auditionGroup_ = MakeGroup(tr("Audition Play"), this, x, 100);
    // The play buttons show their pictures; the caption is their name and tip.
    auditionButton_ = MakeImageButton(tr("Audition Play (Sb)"), auditionGroup_);
    auditionGroup_->layout()->addWidget(auditionButton_);
    connect(auditionButton_, &QPushButton::clicked, this, &AdjustLyricsPanel::ToggleAuditionPlay);
    selectHint_ = new QLabel(tr("Shift+click select more words"), this);
    selectHint_->hide();
    x += 106;

    adjustGroup_ = MakeGroup(tr("Adjust Highlighting"), this, x, 280);
    adjustButton_ = MakeImageButton(tr("Adjust Play (n)"), adjustGroup_);
    connect(adjustButton_, &QPushButton::clicked, this, &AdjustLyricsPanel::ToggleAdjustPlay);
    areaButton_ = new CColorButton(tr("&Adjust Area..."), adjustGroup_);
    areaButton_->setAccessibleName(tr("Adjust Area..."));
    areaButton_->SetColors(CColorButton::kKeep, kAreaFace);
    areaButton_->setAutoDefault(false);
    connect(areaButton_, &QPushButton::clicked, this, &AdjustLyricsPanel::OpenAreaDialog);
    legend_ = new QLabel(tr("Start:       < >\nEnd: ctrl+< >"), adjustGroup_);
    legend_->setAccessibleName(tr("Keys: comma and period move the start, with Ctrl the end"));
    for (QWidget* w : {static_cast<QWidget*>(adjustButton_), static_cast<QWidget*>(areaButton_),
                       static_cast<QWidget*>(legend_)}) {
        adjustGroup_->layout()->addWidget(w);
    }
    x += 286;

    singerGroup_ = MakeGroup(tr("Assign Singers to Lines"), this, x, 170);
    const QString captions[3] = {tr("&1"), tr("&2"), tr("&Both")};
    const QString names[3] = {tr("Singer 1"), tr("Singer 2"), tr("Both singers")};
    const int colours[3] = {MKaraokeLine::kSinger1, MKaraokeLine::kSinger2,
                            MKaraokeLine::kBothSingers};
    const IMAGE_STRUCT* lyrics = Song().FindPage(IMAGE_STRUCT::kLyricsPage);
    for (int i = 0; i < 3; ++i) {
        singerButtons_[i] = new CColorRadio(captions[i], singerGroup_);
        singerButtons_[i]->setAccessibleName(names[i]);
        if (lyrics != nullptr) {
            const MRgb c = lyrics->Colors()[colours[i]];
            singerButtons_[i]->SetColors(CColorButton::kKeep, static_cast<int>(c & 0xFFFFFF));
        }
        singerGroup_->layout()->addWidget(singerButtons_[i]);
        connect(singerButtons_[i], &QPushButton::clicked, this,
                [this, i] { AssignSinger(static_cast<AdjustLyricsModel::Singer>(i)); });
    }
    singerHint_ = new QLabel(tr("Click a word then a singer button to assign to that line."), this);
    singerHint_->hide();
    x += 176;

    pageLabel_ = new QLabel(tr("Pg #"), this);
    pageLabel_->setAccessibleName(tr("Page"));
    pageLabel_->setGeometry(x, kMargin, 70, 20);
    previousPage_ = new CColorButton(QStringLiteral("\u00e7"), this);
    nextPage_ = new CColorButton(QStringLiteral("\u00e8"), this);
    for (CColorButton* b : {previousPage_, nextPage_}) {
        b->SetButtonFont(QStringLiteral("Wingdings"));
        b->SetColors(CColorButton::kKeep, kGreenFace);
        b->setAutoDefault(false);
    }
    previousPage_->setAccessibleName(tr("Previous page"));
    nextPage_->setAccessibleName(tr("Next page"));
    previousPage_->setGeometry(x, kMargin + 30, 32, 25);
    nextPage_->setGeometry(x + 38, kMargin + 30, 32, 25);
    connect(previousPage_, &QPushButton::clicked, this, [this] { ChangePage(false); });
    connect(nextPage_, &QPushButton::clicked, this, [this] { ChangePage(true); });

    // Driven by the keyboard: they show their pressed look while their key is held.
    loopBox_ = new QCheckBox(tr("&Loop"), this);
    loopBox_->setAccessibleName(tr("Loop"));
    loopBox_->hide();
    const QString arrowNames[4] = {tr("Start earlier"), tr("Start later"), tr("End earlier"),
                                   tr("End later")};
    for (int i = 0; i < 4; ++i) {
        nudgeButtons_[i] = new QPushButton(i % 2 == 0 ? tr("&<") : tr("&>"), this);
        nudgeButtons_[i]->setAccessibleName(arrowNames[i]);
        nudgeButtons_[i]->hide();
        connect(nudgeButtons_[i], &QPushButton::clicked, this,
                [this, i] { Nudge(static_cast<AdjustLyricsModel::Nudge>(i)); });
    }
}

bool AdjustLyricsPanel::ModeButtonAllowed(Button which) const {
    return audition_ == kIdle || which == kSettingsButton;
}

void AdjustLyricsPanel::UpdateControls() {
    const bool idle = audition_ == kIdle;
    auditionButton_->setIcon(
        images_[audition_ == kIdle           ? PlayButtonImages::kAuditionIdle
                : audition_ == kAuditionPlay ? PlayButtonImages::kAuditionPlaying
                                             : PlayButtonImages::kAuditionDuringAdjust]);
    auditionGroup_->setEnabled(audition_ != kAdjustPlay);
    const bool adjustable = audition_ != kAuditionPlay && model_.HasSelection();
    adjustGroup_->setEnabled(adjustable);
    for (int i = 0; i < 2; ++i) {
        nudgeButtons_[i]->setEnabled(adjustable);
    }
    adjustButton_->setIcon(images_[audition_ == kAdjustPlay ? PlayButtonImages::kAdjustPlaying
                                   : adjustable             ? PlayButtonImages::kAdjustReady
                                                            : PlayButtonImages::kAdjustDisabled]);
    areaButton_->setEnabled(idle);

    const bool duet = Song().header.performance == SongHeader::kDuet;
    singerGroup_->setVisible(duet);
    const bool oneWord = model_.HasSelection() && model_.First() == model_.Last();
    singerGroup_->setEnabled(idle && oneWord);
    const int singer = model_.SelectedSinger();
    for (int i = 0; i < 3; ++i) {
        singerButtons_[i]->setAutoExclusive(false);
        singerButtons_[i]->SetChecked(i == singer);
        singerButtons_[i]->setAutoExclusive(true);
    }

    pageLabel_->setText(model_.PageLabel());
    previousPage_->setEnabled(idle && model_.Page() > 0);
    nextPage_->setEnabled(idle && model_.Page() < Song().LastPage());
    UpdateModeButtons();

    const QString word = model_.SelectedWordText();
    const QString description =
        word.isEmpty() ? tr("No word selected")
                       : tr("Selected word: %1, page %2").arg(word, model_.PageLabel());
    preview_->setAccessibleDescription(description);
    preview_->Viewer()->setAccessibleDescription(description);
}

void AdjustLyricsPanel::AfterSelection() {
    UpdateControls();
}

void AdjustLyricsPanel::ClickPreview(const QPoint& at, bool shift) {
    if (audition_ != kIdle) {
        return;
    }
    MRwViewerWindow* viewer = preview_->Viewer();
    model_.SelectAtPoint(at.x(), at.y(), viewer->width(), viewer->height(), shift);
    AfterSelection();
}

void AdjustLyricsPanel::ChangePage(bool next) {
    if (audition_ != kIdle) {
        return;
    }
    next ? model_.NextPage() : model_.PreviousPage();
    AfterSelection();
}

void AdjustLyricsPanel::Nudge(AdjustLyricsModel::Nudge nudge) {
    if (audition_ == kAuditionPlay) {
        return;
    }
    model_.Apply(nudge);
}

void AdjustLyricsPanel::AssignSinger(AdjustLyricsModel::Singer singer) {
    if (audition_ != kIdle) {
        return;
    }
    model_.AssignSinger(singer);
    UpdateControls();
}

void AdjustLyricsPanel::OpenAreaDialog() {
    if (audition_ != kIdle) {
        return;
    }
    AdjustAreaDialog dialog(Song(), tempo_, this);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.ApplyTo(document_);
        tempo_ = dialog.Tempo();
    }
}

void AdjustLyricsPanel::StopPlayer() {
    player_->Stop();
    player_->Close();
}

void AdjustLyricsPanel::ToggleAuditionPlay() {
    StopTimer();
    if (audition_ == kIdle) {
        audition_ = kAuditionPlay;
        ++generation_;
        UpdateControls();
        StartPlayback(false);
    } else if (audition_ == kAuditionPlay) {
        const int32_t leadIn = leadInFrames_;
        const int64_t position = player_->Position();
        ++generation_;
        StopPlayer();
        audition_ = kIdle;
        model_.SelectWordAt(static_cast<int32_t>(position - leadIn));
        UpdateControls();
    } else {
        return;
    }
    Host().PanelStateChanged();
}

void AdjustLyricsPanel::ToggleAdjustPlay() {
    StopTimer();
    if (audition_ == kIdle && model_.HasSelection()) {
        audition_ = kAdjustPlay;
        ++generation_;
        UpdateControls();
        StartPlayback(Song().header.loopPlay != 0);
    } else if (audition_ == kAdjustPlay) {
        audition_ = kIdle;
        ++generation_;
        StopPlayer();
        model_.DrawPage();
        UpdateControls();
    } else {
        return;
    }
    Host().PanelStateChanged();
}

void AdjustLyricsPanel::StartPlayback(bool context) {
    const AdjustLyricsModel::Stretch stretch = model_.PlayStretch(context);
    if (audition_ == kIdle) {
        return;
    }
    MSongSettings& song = Song();
    const QString wav = Host().WorkWavPath();
    endOfPlay_.Reset();
    if (song.rwBuffer.empty() || wav.isEmpty()) {
        // Nothing to play: Audition Play ends at its next look at the player.
        endOfPlay_.Set();
        if (audition_ == kAuditionPlay) {
            StartTimer();
        }
        return;
    }
    uint32_t length = 0;
    leadInFrames_ =
        song.WriteRwMemory(song.rwBuffer.data(), song.rwBuffer.size(), &length, stretch.start);
    streamBytes_ = std::min<uint32_t>(length, static_cast<uint32_t>(song.rwBuffer.size()));
    song.RenderAtTime(preview_->Renderer(), stretch.start);
    player_->SetLeadingSilenceFrames(leadInFrames_);
    player_->SetSource(wav, song.rwBuffer.data(), streamBytes_);
    player_->SetTotalFrames(song.audioBytes / std::max<uint16_t>(1, song.workWavBlockAlign));
    player_->SetTempoChange(tempo_ - 100);
    player_->SetStopEvent(&endOfPlay_);

    const int64_t advance = int64_t{song.header.advanceSweep} * 441 / 2;
    auditionStart_ = static_cast<int32_t>(std::max<int64_t>(
        0, std::min<int64_t>(INT32_MAX, int64_t{stretch.start} + leadInFrames_ + advance)));
    const int64_t end = int64_t{stretch.end} + leadInFrames_ + advance;
    const uint32_t endFrame = stretch.toTheEnd || end <= 0
                                  ? MCdgPlayer::kToTheEnd
                                  : static_cast<uint32_t>(std::min<int64_t>(end, UINT32_MAX - 1));
    MCdgPlayer::FinishedCallback finished;
    if (context) {
        // Called on the player's thread (or inside Stop): the loop goes on from this panel's
        // thread, and a notice for a run that was stopped meanwhile is ignored there.
        const uint64_t generation = generation_;
        finished = [this, generation](int, void*) {
            QMetaObject::invokeMethod(
                this, [this, generation] { PassEnded(generation); }, Qt::QueuedConnection);
        };
    }
    if (audition_ == kAdjustPlay) {
        ++passCount_;
    }
    if (!player_->Play(MCdgPlayer::kFlagAudio | MCdgPlayer::kFlagGraphics, auditionStart_, endFrame,
                       std::move(finished))) {
        endOfPlay_.Set();
        if (audition_ == kAdjustPlay) {
            // No sound to loop over (the player has told the user why): no pass will end, so
            // the loop stops here rather than waiting for one.
            audition_ = kIdle;
            ++generation_;
            model_.DrawPage();
            UpdateControls();
            Host().PanelStateChanged();
            return;
        }
    }
    if (audition_ == kAuditionPlay) {
        StartTimer();
    } else {
        emit PassStarted(passCount_);
    }
}

void AdjustLyricsPanel::PassEnded(uint64_t generation) {
    if (generation != generation_ || audition_ != kAdjustPlay) {
        return;
    }
    StopPlayer();
    const uint32_t songFrames = Song().audioBytes / std::max<uint16_t>(1, Song().workWavBlockAlign);
    if (static_cast<uint32_t>(auditionStart_) < songFrames) {
        ++generation_;
        StartPlayback(Song().header.loopPlay != 0);
    }
}

void AdjustLyricsPanel::OnTimer() {
    if (audition_ == kAuditionPlay && endOfPlay_.IsSet()) {
        ToggleAuditionPlay();
    }
}

bool AdjustLyricsPanel::HandleHeldKey(QKeyEvent* event, bool& held, bool acts,
                                      const std::function<void()>& act) {
    if (event->isAutoRepeat()) {
        return true;
    }
    if (event->type() == QEvent::KeyRelease) {
        held = false;
        for (QPushButton* b : nudgeButtons_) {
            b->setDown(false);
        }
        return true;
    }
    if (!held && acts) {
        held = true;
        act();
    }
    return true;
}

bool AdjustLyricsPanel::KeyHook(QKeyEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    const bool idle = audition_ == kIdle;
    switch (event->key()) {
        case Qt::Key_Space:
            return HandleHeldKey(event, spaceHeld_, audition_ != kAdjustPlay, [this] {
                auditionButton_->setFocus();
                ToggleAuditionPlay();
            });
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            CColorButton* button = event->key() == Qt::Key_PageUp ? previousPage_ : nextPage_;
            if (!press) {
                button->setDown(false);
                return true;
            }
            if (!idle) {
                return true;
            }
            if (!button->isEnabled()) {
                return false;
            }
            button->setDown(true);
            ChangePage(button == nextPage_);
            return true;
        }
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (press && idle) {
                event->key() == Qt::Key_Left ? model_.MoveLeft() : model_.MoveRight();
                AfterSelection();
            }
            return true;
        case Qt::Key_N:
            if (ctrl) {
                return false;
            }
            return HandleHeldKey(event, nHeld_, audition_ != kAuditionPlay, [this] {
                adjustButton_->setFocus();
                ToggleAdjustPlay();
            });
        case Qt::Key_Comma:
        case Qt::Key_Less:
        case Qt::Key_Period:
        case Qt::Key_Greater: {
            const bool later = event->key() == Qt::Key_Period || event->key() == Qt::Key_Greater;
            const auto nudge =
                static_cast<AdjustLyricsModel::Nudge>((ctrl ? 2 : 0) + (later ? 1 : 0));
            return HandleHeldKey(event, later ? periodHeld_ : commaHeld_,
                                 audition_ != kAuditionPlay, [this, nudge] {
                                     nudgeButtons_[nudge]->setDown(true);
                                     Nudge(nudge);
                                 });
        }
        case Qt::Key_L:
            return !ctrl;
        default:
            return false;
    }
}

void AdjustLyricsPanel::resizeEvent(QResizeEvent*) {
    preview_->Place(LayoutPreviewAbove({auditionGroup_, adjustGroup_, singerGroup_}));
    const int top = auditionGroup_->y();
    pageLabel_->move(pageLabel_->x(), top + 8);
    previousPage_->move(previousPage_->x(), top + 36);
    nextPage_->move(nextPage_->x(), top + 36);
}
