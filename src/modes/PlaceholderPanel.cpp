#include "modes/PlaceholderPanel.h"

#include <QLabel>

PlaceholderPanel::PlaceholderPanel(ModeHost& host, MSongSettings& song, int mode, QWidget* parent)
    : ModePanel(host, song, mode, parent) {
    message_ = new QLabel(NotBuiltText(mode), this);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setAccessibleName(message_->text());
    setAccessibleName(message_->text());
    UpdateModeButtons();
}

QString PlaceholderPanel::NotBuiltText(int mode) {
    switch (mode) {
        case ModeHost::kPlaceLyrics:
            return tr("The Place Lyrics mode is not built yet in this version of Quilm.");
        case ModeHost::kAdjustLyrics:
            return tr("The Adjust Lyrics mode is not built yet in this version of Quilm.");
        default:
            return tr("This mode is not built yet in this version of Quilm.");
    }
}

void PlaceholderPanel::resizeEvent(QResizeEvent*) {
    const int top = LayoutModeButtons();
    message_->setGeometry(kMargin, kMargin, std::max(0, width() - 2 * kMargin),
                          std::max(0, top - kMargin - kGap));
}
