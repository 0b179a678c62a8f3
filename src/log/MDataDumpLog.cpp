#include "log/MDataDumpLog.h"

MDataDumpLog::MDataDumpLog(QByteArray block, const QString& message,
                           std::optional<int64_t> timeSeconds)
    : MDataDumpLog(kTypeDataDump, std::move(block), message, timeSeconds) {}

MDataDumpLog::MDataDumpLog(const void* data, qsizetype sizeBytes, const QString& message,
                           std::optional<int64_t> timeSeconds)
    : MDataDumpLog(kTypeDataDump,
                   data != nullptr && sizeBytes > 0
                       ? QByteArray(static_cast<const char*>(data), sizeBytes)
                       : QByteArray(),
                   message, timeSeconds) {}

MDataDumpLog::MDataDumpLog(uint8_t type, QByteArray block, const QString& message,
                           std::optional<int64_t> timeSeconds)
    : MLog(type, message, timeSeconds), block_(std::move(block)) {
    // A block that shares its bytes (with the caller, or with memory the caller owns through
    // QByteArray::fromRawData) gets its own copy here.
    block_.detach();
}

MDataDumpLog::~MDataDumpLog() = default;

bool MDataDumpLog::AppendPayload(QByteArray& out) const {
    return AppendSized(out, block_);
}
