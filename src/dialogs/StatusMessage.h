#pragma once

#include <QMessageBox>

#include "base/MStatus.h"

// Message boxes for the engine's statuses: the status's own text, title and icon.
class StatusMessage {
public:
    static QMessageBox::Icon IconOf(MStatus::Icon icon);
    // Shows a failed status with an OK button; an empty title becomes "Quilm".
    static void Show(QWidget* parent, const MStatus& status);
    // Asks a Yes/No question; true for Yes.
    static bool AskYesNo(QWidget* parent, const QString& title, const QString& text,
                         QMessageBox::Icon icon);
};
