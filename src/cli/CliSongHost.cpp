#include "cli/CliSongHost.h"
#include "base/MFileName.h"

#include <cstdio>

void CliSongHost::Report(const MStatus& message) {
    const char* kind = message.GetIcon() == MStatus::Icon::Error     ? "error"
                       : message.GetIcon() == MStatus::Icon::Warning ? "warning"
                                                                     : "note";
    std::fprintf(stderr, "quilm-cli: %s: %s\n", kind,
                 MFileName::Encode(message.Text()).constData());
}
