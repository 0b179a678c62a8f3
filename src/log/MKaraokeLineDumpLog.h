#pragma once

#include "log/MDataDumpLog.h"

// A snapshot of the karaoke line list. The song builds the block: per line its 40-byte record,
// an int32 text length, the text bytes, an int32 word count, then the 40-byte record of each
// word (text length + 40 x words + 48 bytes per line).
class MKaraokeLineDumpLog : public MDataDumpLog {
public:
    MKaraokeLineDumpLog(QByteArray block, const QString& message,
                        std::optional<int64_t> timeSeconds = std::nullopt)
        : MDataDumpLog(kTypeKaraokeLineDump, std::move(block), message, timeSeconds) {}
    ~MKaraokeLineDumpLog() override = default;
};
