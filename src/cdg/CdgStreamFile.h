#pragma once

#include <QFile>
#include <QString>
#include <cstdint>

#include "base/MStatus.h"

// A ".cdg" file opened read-only and mapped into memory: a sequence of 24-byte packets. A
// length that is not a multiple of 24 leaves some bytes over; only whole packets are offered.
class CdgStreamFile {
public:
    // More than nine hours of graphics: larger files are refused.
    static constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

    CdgStreamFile() = default;
    ~CdgStreamFile();
    CdgStreamFile(const CdgStreamFile&) = delete;
    CdgStreamFile& operator=(const CdgStreamFile&) = delete;

    MStatus Open(const QString& path);
    void Close();

    const uint8_t* Data() const { return data_; }
    int64_t SizeBytes() const { return sizeBytes_; }
    int64_t PacketCount() const { return sizeBytes_ / 24; }
    int LeftoverBytes() const { return static_cast<int>(sizeBytes_ % 24); }

private:
    QFile file_;
    const uint8_t* data_ = nullptr;
    int64_t sizeBytes_ = 0;
};
