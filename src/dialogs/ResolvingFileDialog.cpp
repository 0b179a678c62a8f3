#include "dialogs/ResolvingFileDialog.h"

#include <QFileInfo>

#include "base/MFileName.h"
#include "dialogs/StatusMessage.h"

QString ResolvingFileDialog::ChosenFile() const {
    if (!resolved_.isEmpty()) {
        return resolved_;
    }
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

void ResolvingFileDialog::accept() {
    resolved_.clear();
    const QStringList files = selectedFiles();
    if (files.size() != 1) {
        QFileDialog::accept();
        return;
    }
    const bool open = acceptMode() == AcceptOpen;
    QString path;
    if (const MStatus found = MFileName::FromShown(files[0], open, path); !found) {
        StatusMessage::Show(this, found);
        return;
    }
    const QFileInfo info(MFileName::Openable(path));
    const QString shownName = QFileInfo(files[0]).fileName();
    if (info.isDir()) {
        QFileDialog::accept();  // a folder to go into
        return;
    }
    if (open && !info.exists()) {
        StatusMessage::Show(this, MStatus::Failure(tr("%1\nFile not found.\nPlease verify the "
                                                      "correct file name was given.")
                                                       .arg(shownName),
                                                   MStatus::Icon::Warning, windowTitle()));
        return;
    }
    if (path == files[0]) {
        QFileDialog::accept();
        return;
    }
    if (!open && info.exists() && !testOption(DontConfirmOverwrite) &&
        !StatusMessage::AskYesNo(
            this, windowTitle(),
            tr("%1 already exists.\nDo you want to replace it?").arg(shownName),
            QMessageBox::Warning)) {
        return;
    }
    resolved_ = path;
    QDialog::accept();
}
