#pragma once

#include "log/MLog.h"

// A command the user gave; the payload is the action's one-byte code (see MLogEvents).
class MUserActionLog : public MLog {
public:
    MUserActionLog(uint8_t actionCode, const QString& message,
                   std::optional<int64_t> timeSeconds = std::nullopt);
    ~MUserActionLog() override;

    uint8_t ActionCode() const { return actionCode_; }

protected:
    bool AppendPayload(QByteArray& out) const override;

private:
    uint8_t actionCode_;
};
