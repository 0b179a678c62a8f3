#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <vector>

#include "widgets/CDodMsgBox.h"

// Everything the update check asks the user or hands to the desktop. The program uses
// UpgradeDialogs; tests answer in place of the user.
class UpgradePrompts {
public:
    virtual ~UpgradePrompts() = default;

    // The offer: returns the id of the button pressed (defaultId is the one Enter presses);
    // *hide is the check box's state.
    virtual int Offer(const QString& title, const QString& text,
                      const std::vector<CDodMsgBox::BTNDATA>& buttons,
                      const QString& checkBoxCaption, int defaultId, bool* hide) = 0;
    virtual void Message(const QString& text, QMessageBox::Icon icon) = 0;
    // Where to save a download: the chosen path, or empty when the user cancelled. The user is
    // asked before an existing file is replaced.
    virtual QString SaveTarget(const QString& folder, const QString& fileName) = 0;
    // True when the user agrees that the program ends.
    virtual bool ConfirmShutDown(const QString& title, const QString& text) = 0;
    // Opens a web page or a file with the desktop's program for it.
    virtual bool Open(const QUrl& url) = 0;
};
