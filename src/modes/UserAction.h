#pragma once

#include <memory>

#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"

// Records a command the user gave in the user-action log, when the log is on.
inline void LogUserAction(uint8_t code, const char* text) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MUserActionLog>(code, QString::fromLatin1(text)));
    }
}
