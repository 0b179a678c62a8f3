#pragma once

#include <QDialog>

class QPushButton;
class QWidget;

// "Lyrics Already Placed": tells the user, before Edit Lyrics opens on a placed song, which
// edits are safe. It opens short, with the first text only; "More >>" shows the rest and
// becomes "<< Less".
//
// The shell (entering Edit Lyrics on a song with placed lyrics):
//     LyricsPlacedDialog(mainWindow).exec();
class LyricsPlacedDialog : public QDialog {
    Q_OBJECT

public:
    explicit LyricsPlacedDialog(QWidget* parent = nullptr);

    QPushButton* MoreButton() const { return more_; }
    bool IsExpanded() const;

private:
    void Toggle();

    QWidget* details_ = nullptr;
    QPushButton* more_ = nullptr;
};
