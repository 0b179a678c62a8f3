#pragma once

#include "log/MLog.h"

// A block of raw bytes, copied when the record is made so that later changes to the source do
// not reach the log. The payload is the block with an int32 size.
class MDataDumpLog : public MLog {
public:
    MDataDumpLog(QByteArray block, const QString& message,
                 std::optional<int64_t> timeSeconds = std::nullopt);
    MDataDumpLog(const void* data, qsizetype sizeBytes, const QString& message,
                 std::optional<int64_t> timeSeconds = std::nullopt);
    ~MDataDumpLog() override;

    const QByteArray& Block() const { return block_; }

protected:
    // For the dumps of the song project, which share this payload under their own type codes.
    MDataDumpLog(uint8_t type, QByteArray block, const QString& message,
                 std::optional<int64_t> timeSeconds);
    bool AppendPayload(QByteArray& out) const override;

private:
    QByteArray block_;
};
