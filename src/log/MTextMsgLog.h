#pragma once

#include "log/MLog.h"

// A piece of text worth keeping, such as the contents of an imported lyric file. The payload is
// the text as UTF-8 with an int32 length.
class MTextMsgLog : public MLog {
public:
    MTextMsgLog(const QString& text, const QString& message,
                std::optional<int64_t> timeSeconds = std::nullopt);
    ~MTextMsgLog() override;

    const QByteArray& Text() const { return text_; }

protected:
    bool AppendPayload(QByteArray& out) const override;

private:
    QByteArray text_;
};
