#include "widgets/CColorRadio.h"

CColorRadio::CColorRadio(const QString& caption, QWidget* parent) : CColorButton(caption, parent) {
    setCheckable(true);
    setAutoExclusive(true);
    connect(this, &QAbstractButton::toggled, this, qOverload<>(&QWidget::update));
}

bool CColorRadio::IsSunken() const {
    return isDown() || isChecked();
}
