#include "log/MTextMsgLog.h"

MTextMsgLog::MTextMsgLog(const QString& text, const QString& message,
                         std::optional<int64_t> timeSeconds)
    : MLog(kTypeTextMsg, message, timeSeconds), text_(text.toUtf8()) {}

MTextMsgLog::~MTextMsgLog() = default;

bool MTextMsgLog::AppendPayload(QByteArray& out) const {
    return AppendSized(out, text_);
}
