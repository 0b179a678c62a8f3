#include "update/UpgradeDialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>

int UpgradeDialogs::Offer(const QString& title, const QString& text,
                          const std::vector<CDodMsgBox::BTNDATA>& buttons,
                          const QString& checkBoxCaption, int defaultId, bool* hide) {
    CDodMsgBox box(owner_);
    box.SetTitle(title);
    box.SetText(text);
    for (const CDodMsgBox::BTNDATA& b : buttons) {
        box.AddButton(b.id, b.caption);
    }
    box.SetDefaultButton(defaultId);
    const int pressed = box.DoModal(checkBoxCaption, QMessageBox::Information);
    *hide = box.IsChecked();
    return pressed;
}

void UpgradeDialogs::Message(const QString& text, QMessageBox::Icon icon) {
    CDodMsgBox box(owner_);
    box.SetTitle(QStringLiteral("Quilm"));
    box.SetText(text);
    box.DoModal(QString(), icon);
}

QString UpgradeDialogs::SaveTarget(const QString& folder, const QString& fileName) {
    // The dialog asks before it returns a file that exists.
    return QFileDialog::getSaveFileName(owner_, QString(), QDir(folder).filePath(fileName));
}

bool UpgradeDialogs::ConfirmShutDown(const QString& title, const QString& text) {
    return QMessageBox::information(owner_, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Ok) == QMessageBox::Ok;
}

bool UpgradeDialogs::Open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}
