#include "cli/CliMessageReporter.h"
#include "base/MFileName.h"

#include <cstdio>

bool CliMessageReporter::Report(const MStatus& message, const QString&) {
    const char* kind = message.GetIcon() == MStatus::Icon::Error     ? "error"
                       : message.GetIcon() == MStatus::Icon::Warning ? "warning"
                                                                     : "note";
    QString text = message.Text();
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!message.Title().isEmpty()) {
        text = message.Title() + QStringLiteral(": ") + text;
    }
    std::fprintf(stderr, "quilm-cli: %s: %s\n", kind, MFileName::Encode(text).constData());
    return false;
}
