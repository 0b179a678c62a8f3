#pragma once

#include "modes/ModePanel.h"

class QLabel;

// The panel of a work mode that this version does not have yet: it says so, and keeps the mode
// buttons so that the user can go on to another mode.
class PlaceholderPanel : public ModePanel {
    Q_OBJECT

public:
    PlaceholderPanel(ModeHost& host, MSongSettings& song, int mode, QWidget* parent = nullptr);

    static QString NotBuiltText(int mode);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* message_ = nullptr;
};
