#pragma once

#include "update/UpgradePrompts.h"

class QWidget;

// The update check's questions as the user sees them: the message box with links, the save
// dialog, and the desktop's programs for web pages and files.
class UpgradeDialogs : public UpgradePrompts {
public:
    explicit UpgradeDialogs(QWidget* owner) : owner_(owner) {}

    int Offer(const QString& title, const QString& text,
              const std::vector<CDodMsgBox::BTNDATA>& buttons, const QString& checkBoxCaption,
              int defaultId, bool* hide) override;
    void Message(const QString& text, QMessageBox::Icon icon) override;
    QString SaveTarget(const QString& folder, const QString& fileName) override;
    bool ConfirmShutDown(const QString& title, const QString& text) override;
    bool Open(const QUrl& url) override;

private:
    QWidget* owner_;
};
