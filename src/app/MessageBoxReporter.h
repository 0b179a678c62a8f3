#pragma once

#include "base/MMessageReporter.h"

class QWidget;

// Shows the engine's messages in message boxes owned by a window, with the optional
// "don't show again" check box.
class MessageBoxReporter : public MMessageReporter {
public:
    explicit MessageBoxReporter(QWidget* owner) : owner_(owner) {}
    bool Report(const MStatus& message, const QString& checkBoxText) override;

    static void Show(QWidget* owner, const MStatus& message);

private:
    QWidget* owner_;
};
