#pragma once

#include "base/MMessageReporter.h"

class QWidget;

// Shows the engine's notices (the MP3 encoder notices among them) in the message box with links,
// with the "don't show again" check box the caller asks for. The caller (CheckMp3Support) stores
// the box's state.
//
// The shell: DodMessageReporter reporter(mainWindow);
//            CheckMp3Support(MLameLibrary::Shared(), &reporter, &audioSettings, false);
class DodMessageReporter : public MMessageReporter {
public:
    explicit DodMessageReporter(QWidget* parent = nullptr) : parent_(parent) {}

    bool Report(const MStatus& message, const QString& checkBoxText) override;

private:
    QWidget* parent_;
};
