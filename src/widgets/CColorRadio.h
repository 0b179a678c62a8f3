#pragma once

#include "widgets/CColorButton.h"

// A colour button that works as an automatic radio button: clicking checks it and unchecks its
// siblings; a checked one is drawn pressed in.
class CColorRadio : public CColorButton {
    Q_OBJECT

public:
    explicit CColorRadio(const QString& caption = QString(), QWidget* parent = nullptr);

    void SetChecked(bool checked) { setChecked(checked); }

protected:
    bool IsSunken() const override;
};
