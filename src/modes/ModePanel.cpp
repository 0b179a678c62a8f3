#include "modes/ModePanel.h"

#include <QApplication>
#include <QKeyEvent>

#include "modes/AppState.h"
#include "song/MSongSettings.h"

namespace {

constexpr int kModeButtonWidth = 95;
constexpr int kModeButtonSpacing = 6;

const char* const kModeCaptions[5] = {
    QT_TRANSLATE_NOOP("ModePanel", "E&dit Lyrics"), QT_TRANSLATE_NOOP("ModePanel", "Place &Lyrics"),
    QT_TRANSLATE_NOOP("ModePanel", "&Adjust Lyrics"), QT_TRANSLATE_NOOP("ModePanel", "&Play Final"),
    QT_TRANSLATE_NOOP("ModePanel", "&Settings...")};

}  // namespace

void PaintGreen(CColorButton* button) {
    button->SetColors(CColorButton::kKeep, 0x00FF00);
}

ModePanel::ModePanel(ModeHost& host, MSongSettings& song, int mode, QWidget* parent)
    : QWidget(parent), host_(host), song_(song), mode_(mode) {
    for (int i = 0; i < 5; ++i) {
        modeButtons_[i] = MakeButton(tr(kModeCaptions[i]), 0, kModeButtonWidth);
    }
    LayOutButtonRow({modeButtons_.begin(), modeButtons_.end()}, kModeButtonWidth);
    static constexpr int kModeOf[4] = {ModeHost::kEditLyrics, ModeHost::kPlaceLyrics,
                                       ModeHost::kAdjustLyrics, ModeHost::kPlayFinal};
    for (int i = 0; i < 4; ++i) {
        const int target = kModeOf[i];
        if (target == mode) {
            PaintGreen(modeButtons_[i]);
        }
        // The host may destroy this panel in the call: nothing may touch it afterwards.
        connect(modeButtons_[i], &CColorButton::clicked, this,
                [this, target] { host_.SwitchMode(target); });
    }
    connect(modeButtons_[kSettingsButton], &CColorButton::clicked, this,
            [this] { host_.OpenSettings(); });
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    qApp->installEventFilter(this);
}

ModePanel::~ModePanel() {
    qApp->removeEventFilter(this);
}

CColorButton* ModePanel::MakeButton(const QString& caption, int x, int width) {
    auto* button = new CColorButton(caption, this);
    button->setGeometry(x, kMargin, width, kButtonHeight);
    button->setAutoDefault(false);
    return button;
}

int ModePanel::LayOutButtonRow(const QList<QPushButton*>& row, int minWidth) {
    int width = minWidth;
    for (const QPushButton* button : row) {
        width = std::max(width, button->sizeHint().width());
    }
    int x = kMargin;
    for (QPushButton* button : row) {
        button->setGeometry(x, button->y(), width, kButtonHeight);
        x += width + kModeButtonSpacing;
    }
    // The window never gets so narrow that a row is cut off.
    setMinimumWidth(std::max(minimumWidth(), x - kModeButtonSpacing + kMargin));
    return x;
}

bool ModePanel::HasMusicAndLyrics() const {
    return !host_.WorkWavPath().isEmpty() && !song_.rawLyrics.isEmpty();
}

void ModePanel::UpdateModeButtons() {
    if (SongInUse()) {
        return;
    }
    AppState state;
    state.playing = !host_.IsIdle();
    state.hasWorkWav = !host_.WorkWavPath().isEmpty();
    state.hasLyrics = HasMusicAndLyrics();
    state.hasPlacedWords = song_.HasPlacedWords();
    static constexpr AppCommand kCommands[5] = {AppCommand::EditLyrics, AppCommand::PlaceLyrics,
                                                AppCommand::AdjustLyrics, AppCommand::PlayFinal,
                                                AppCommand::Settings};
    static constexpr int kModeOf[5] = {ModeHost::kEditLyrics, ModeHost::kPlaceLyrics,
                                       ModeHost::kAdjustLyrics, ModeHost::kPlayFinal, -1};
    for (int i = 0; i < 5; ++i) {
        const auto which = static_cast<Button>(i);
        const bool current = kModeOf[i] == mode_;
        modeButtons_[i]->setEnabled(ModeButtonAllowed(which) &&
                                    (current || CommandEnabled(kCommands[i], state)));
    }
}

int ModePanel::LayoutModeButtons() {
    const int top = height() - kMargin - kButtonHeight;
    for (CColorButton* b : modeButtons_) {
        b->move(b->x(), top);
    }
    return top;
}

QRect ModePanel::LayoutPreviewAbove(const QList<QWidget*>& row) {
    int b = LayoutModeButtons() - kGap;
    int rowHeight = 0;
    for (QWidget* w : row) {
        rowHeight = std::max(rowHeight, w->height());
        w->move(w->x(), b - w->height());
    }
    b -= rowHeight + kGap;
    const int w = width();
    const int right = std::min(w - kMargin, 4 * b / 3);
    const int bottom = std::min(b, 3 * (w - kMargin) / 4);
    return QRect(QPoint(kMargin, kMargin), QPoint(right - 1, bottom - 1));
}

bool ModePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || (widget != this && !isAncestorOf(widget)) || !isVisible()) {
        return false;
    }
    return KeyHook(static_cast<QKeyEvent*>(event));
}
