#include "modes/AdjustAreaDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "song/MSongDocument.h"

namespace {

// The number is changed with the arrows only; the field shows it on white.
void MakeReadOnlyField(QAbstractSpinBox* spinner) {
    if (auto* edit = spinner->findChild<QLineEdit*>()) {
        edit->setReadOnly(true);
    }
    spinner->setStyleSheet(QStringLiteral("background: white;"));
}

}  // namespace

AdjustAreaDialog::AdjustAreaDialog(const MSongSettings& song, int tempo, QWidget* parent)
    : QDialog(parent), header_(song.header), tempo_(tempo) {
    setWindowTitle(tr("Adjust Play Area Controls"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);

    auto* areaText = new QLabel(tr("Number of words to play before and after the selected word "
                                   "when loop playing over it."),
                                this);
    areaText->setWordWrap(true);
    layout->addWidget(areaText);
    area_ = new QDoubleSpinBox(this);
    area_->setAccessibleName(tr("Words before and after"));
    if (header_.loopBeforeIsSeconds) {
        area_->setDecimals(1);
        area_->setRange(0, 9.5);
        area_->setSingleStep(0.5);
        area_->setValue(header_.loopBefore / 1000.0);
    } else {
        area_->setDecimals(0);
        area_->setRange(2, 4);
        area_->setSingleStep(1);
        area_->setValue(header_.loopBefore / 1000);
    }
    MakeReadOnlyField(area_);
    connect(area_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        header_.loopBefore = header_.loopAfter = static_cast<int32_t>(std::lround(v * 2)) * 500;
    });
    layout->addWidget(area_);

    auto* amountText = new QLabel(tr("Adjust Amount sets how far in seconds the highlighted word "
                                     "moves with each Start (< >) or End (Ctrl + < >) key press."),
                                  this);
    amountText->setWordWrap(true);
    layout->addWidget(amountText);
    amount_ = new QDoubleSpinBox(this);
    amount_->setAccessibleName(tr("Adjust Amount"));
    amount_->setDecimals(2);
    amount_->setRange(0, 1);
    amount_->setSingleStep(0.05);
    amount_->setValue(header_.adjustStepMs / 1000.0);
    MakeReadOnlyField(amount_);
    connect(amount_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        // Whole steps of 50 ms: 0.15 s is 150 ms, not the 149 its binary fraction truncates to.
        header_.adjustStepMs = static_cast<int32_t>(std::lround(v * 20)) * 50;
    });
    layout->addWidget(amount_);

    // The tempo stays hidden: Adjust Play runs at normal speed.
    tempoSpinner_ = new QSpinBox(this);
    tempoSpinner_->setAccessibleName(tr("Tempo:"));
    tempoSpinner_->setRange(50, 100);
    tempoSpinner_->setSingleStep(5);
    tempoSpinner_->setValue(std::clamp(tempo, 50, 100));
    tempoSpinner_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (tempoSpinner_->value() >= 50 && tempoSpinner_->value() <= 100) {
            tempo_ = tempoSpinner_->value();
        }
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void AdjustAreaDialog::ApplyTo(MSongDocument& document) const {
    document.Edit(MSongDocument::kSettingsChange,
                  [this](MSongSettings& edited) { edited.header = header_; });
}
