#include "update/CUpgradeCheckDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CUpgradeCheckDlg::CUpgradeCheckDlg(const QString& productName, QWidget* owner) : QDialog(owner) {
    setWindowTitle(tr("Checking for %1 update...").arg(productName));
    setAccessibleName(windowTitle());
    status_ = new QLabel(this);
    status_->setAccessibleName(tr("Status"));
    status_->setMinimumWidth(280);
    bar_ = new QProgressBar(this);
    bar_->setAccessibleName(tr("Progress"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(tr("&Cancel"), this);
    cancel_->setAccessibleName(tr("Cancel"));
    connect(cancel_, &QPushButton::clicked, this, &CUpgradeCheckDlg::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel_);
    row->addStretch();
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(&timer_, &QTimer::timeout, this, &CUpgradeCheckDlg::Advance);
    timer_.start(50);
}

void CUpgradeCheckDlg::SetStep(const QString& text, int targetPercent) {
    status_->setText(text);
    target_ = targetPercent;
}

void CUpgradeCheckDlg::SetDownload(int percent) {
    status_->setText(tr("Downloading... %1%").arg(percent));
    target_ = percent;
    bar_->setValue(percent);
}

void CUpgradeCheckDlg::Reset() {
    hide();
    bar_->setValue(0);
    target_ = 0;
    cancelled_ = false;
    cancel_->setEnabled(true);
}

void CUpgradeCheckDlg::reject() {
    // Escape and the window's close button cancel, as the button does.
    Cancel();
}

void CUpgradeCheckDlg::Cancel() {
    if (cancelled_) {
        return;
    }
    cancel_->setEnabled(false);
    bar_->setValue(100);
    status_->setText(tr("Canceled..."));
    cancelled_ = true;
    emit cancelled();
}

void CUpgradeCheckDlg::Advance() {
    if (bar_->value() < target_) {
        bar_->setValue(qMin(bar_->value() + 5, 100));
    }
}
