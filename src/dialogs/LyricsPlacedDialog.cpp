#include "dialogs/LyricsPlacedDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

LyricsPlacedDialog::LyricsPlacedDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Lyrics Already Placed"));
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    icon->setAccessibleName(tr("Warning"));
    icon->setAlignment(Qt::AlignTop);

    auto label = [this](const QString& text, QWidget* parent) {
        auto* l = new QLabel(text, parent);
        l->setWordWrap(true);
        l->setMinimumWidth(420);
        return l;
    };
    auto* first = label(tr("The lyrics have already been placed. Simple edits can be made without "
                           "requiring the lyrics to be placed again."),
                        this);
    details_ = new QWidget(this);
    auto* detailsLayout = new QVBoxLayout(details_);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(label(tr("If you make edits, when you play the placed lyrics various "
                                      "problems may appear. You will need to place the lyrics "
                                      "again.\n\nThese are relatively safe edits you can make:"),
                                   details_));
    detailsLayout->addWidget(
        label(tr("- Correct misspelled words.\n- Move a word at the line start/end to the line "
                 "above/below.\n- Inserting a new word creates its highlighting by taking half\n"
                 "        of the highlighting time of the word before it."),
              details_));
    detailsLayout->addWidget(
        label(tr("- Insert ONE new blank line in the SONG using the Enter key.\n- Add the ^ symbol "
                 "to insert a new page on any existing blank line."),
              details_));
    details_->hide();

    auto* close = new QPushButton(tr("Close"), this);
    close->setAccessibleName(tr("Close"));
    close->setDefault(true);
    more_ = new QPushButton(tr("More >>"), this);
    more_->setAccessibleName(tr("More"));
    more_->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(more_, &QPushButton::clicked, this, &LyricsPlacedDialog::Toggle);

    auto* texts = new QVBoxLayout;
    texts->addWidget(first);
    texts->addWidget(details_);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(more_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool LyricsPlacedDialog::IsExpanded() const {
    return !details_->isHidden();
}

void LyricsPlacedDialog::Toggle() {
    const bool expand = !IsExpanded();
    details_->setVisible(expand);
    more_->setText(expand ? tr("<< Less") : tr("More >>"));
    more_->setAccessibleName(expand ? tr("Less") : tr("More"));
}
