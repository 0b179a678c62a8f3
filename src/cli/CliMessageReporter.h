#pragma once

#include "base/MMessageReporter.h"

// Shows the audio code's messages on stderr, one line each: "quilm-cli: warning: TITLE: TEXT".
class CliMessageReporter : public MMessageReporter {
public:
    bool Report(const MStatus& message, const QString& checkBoxText) override;
};
