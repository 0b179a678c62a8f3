#include "cli/CliSongHost.h"

#include <cstdio>

void CliSongHost::Report(const MStatus& message) {
    const char* kind = message.GetIcon() == MStatus::Icon::Error     ? "error"
                       : message.GetIcon() == MStatus::Icon::Warning ? "warning"
                                                                     : "note";
    std::fprintf(stderr, "quilm-cli: %s: %s\n", kind, message.Text().toLocal8Bit().constData());
}
