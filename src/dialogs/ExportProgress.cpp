#include "dialogs/ExportProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kPumpIntervalMs = 20;
}

ExportProgress::ExportProgress(QWidget* parent) : QDialog(parent) {
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setAccessibleName(tr("Progress"));
    bar_->setMinimumWidth(320);
    cancel_ = new QPushButton(tr("&Cancel"), this);
    cancel_->setCheckable(true);
    cancel_->setAccessibleName(tr("Cancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
}

void ExportProgress::Begin(const QString& title, bool canCancel) {
    setWindowTitle(title);
    bar_->setValue(0);
    cancel_->setChecked(false);
    canCancel_ = canCancel;
    cancel_->setVisible(canCancel);
    adjustSize();
    if (parentWidget() != nullptr) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    show();
    Pump(true);
}

void ExportProgress::SetTitle(const QString& title) {
    setWindowTitle(title);
    Pump(true);
}

void ExportProgress::SetPercent(int percent) {
    bar_->setValue(std::clamp(percent, 0, 100));
    Pump(false);
}

bool ExportProgress::IsCancelled() {
    Pump(false);
    return canCancel_ && cancel_->isChecked();
}

void ExportProgress::End() {
    hide();
}

int ExportProgress::Percent() const {
    return bar_->value();
}

void ExportProgress::Pump(bool force) {
    if (!force && sincePump_.isValid() && sincePump_.elapsed() < kPumpIntervalMs) {
        return;
    }
    sincePump_.restart();
    QApplication::processEvents(QEventLoop::AllEvents, kPumpIntervalMs);
}

void ExportProgress::closeEvent(QCloseEvent* event) {
    // The work ends the window; a close request asks it to stop where it can.
    event->ignore();
    reject();
}

void ExportProgress::reject() {
    if (canCancel_) {
        cancel_->setChecked(true);
    }
}
