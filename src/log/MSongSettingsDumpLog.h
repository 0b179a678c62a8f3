#pragma once

#include "log/MDataDumpLog.h"

// A snapshot of the song project. The song builds the block: the 52-byte settings header, the
// raw lyrics bytes, then the image of each page record.
class MSongSettingsDumpLog : public MDataDumpLog {
public:
    MSongSettingsDumpLog(QByteArray block, const QString& message,
                         std::optional<int64_t> timeSeconds = std::nullopt)
        : MDataDumpLog(kTypeSongSettingsDump, std::move(block), message, timeSeconds) {}
    ~MSongSettingsDumpLog() override = default;
};
