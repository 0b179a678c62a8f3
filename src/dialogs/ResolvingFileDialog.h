#pragma once

#include <QFileDialog>

// Qt's file dialog for files whose names are not UTF-8. Qt does not list such a file, and a name
// typed or pasted as other programs show it (U+FFFD for each byte that is not UTF-8) is a name
// that no file has: opening it would say "File not found", saving over it would write a new file
// beside it. On OK the name chosen is found again on the disk (see MFileName::FromShown), and
// replacing the file it stands for is confirmed as Qt confirms it for the names it can show. A
// new name typed by the user is kept as typed.
class ResolvingFileDialog : public QFileDialog {
    Q_OBJECT

public:
    using QFileDialog::QFileDialog;

    // The file chosen as it is named on the disk; empty when none was.
    QString ChosenFile() const;

public slots:
    void accept() override;

private:
    QString resolved_;
};
