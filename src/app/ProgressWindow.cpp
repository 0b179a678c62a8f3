#include "app/ProgressWindow.h"

#include <QApplication>

ProgressWindow::ProgressWindow(QWidget* owner) : dialog_(owner) {
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(0);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setRange(0, 100);
    dialog_.setAccessibleName(QStringLiteral("Progress"));
}

void ProgressWindow::Begin(const QString& title, bool canCancel) {
    dialog_.setWindowTitle(title);
    dialog_.setLabelText(title);
    if (!canCancel) {
        dialog_.setCancelButton(nullptr);
    }
    dialog_.setValue(0);
    dialog_.show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
}

void ProgressWindow::SetTitle(const QString& title) {
    dialog_.setWindowTitle(title);
    dialog_.setLabelText(title);
}

void ProgressWindow::SetPercent(int percent) {
    dialog_.setValue(std::clamp(percent, 0, 100));
    QCoreApplication::processEvents();
}

bool ProgressWindow::IsCancelled() {
    QCoreApplication::processEvents();
    return dialog_.wasCanceled();
}

void ProgressWindow::End() {
    if (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    dialog_.hide();
}
