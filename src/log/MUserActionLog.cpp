#include "log/MUserActionLog.h"

MUserActionLog::MUserActionLog(uint8_t actionCode, const QString& message,
                               std::optional<int64_t> timeSeconds)
    : MLog(kTypeUserAction, message, timeSeconds), actionCode_(actionCode) {}

MUserActionLog::~MUserActionLog() = default;

bool MUserActionLog::AppendPayload(QByteArray& out) const {
    out.append(static_cast<char>(actionCode_));
    return true;
}
