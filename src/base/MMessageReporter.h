#pragma once

#include <QString>

#include "base/MStatus.h"

// Shows the user a message of the audio code: the status's text, title and icon. The user
// interface shows a message box; headless front ends print it.
class MMessageReporter {
public:
    virtual ~MMessageReporter() = default;

    // checkBoxText, when not empty, asks for a check box under the text ("Don't show me this
    // again."). Returns whether the user ticked it (false when there was none).
    virtual bool Report(const MStatus& message, const QString& checkBoxText) = 0;
};
