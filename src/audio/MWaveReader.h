#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "audio/WaveFormat.h"
#include "base/MStatus.h"

class QFile;
class QIODevice;

// Delivers the raw bytes of a WAV file's "data" chunk in blocks, optionally preceded by a
// number of silent sample frames. Opening fails on any file that WavChunks finds damaged.
class MWaveReader {
public:
    MWaveReader();
    virtual ~MWaveReader();
    MWaveReader(const MWaveReader&) = delete;
    MWaveReader& operator=(const MWaveReader&) = delete;

    // Silence delivered before the data; set it before opening.
    void SetLeadingSilenceFrames(uint32_t frames) { leadingSilenceFrames_ = frames; }

    MStatus Open(const QString& path);
    // Reads from an open device that stays owned by the caller and must outlive the reading.
    MStatus Open(QIODevice* device);
    void Close();
    bool IsOpen() const { return device_ != nullptr; }

    // Copies up to byteCount bytes: the leading silence first, then the data. Returns the
    // bytes delivered, 0 at the end of the data, -1 when the file cannot be read.
    int64_t Read(uint8_t* buffer, int64_t byteCount);

    const WaveFormat& Format() const { return format_; }
    // Bytes of the "data" chunk (cut to what the file really holds).
    int64_t DataBytes() const { return dataBytes_; }
    int64_t LeadingSilenceBytes() const;

private:
    MStatus OpenDevice(const QString& name);

    std::unique_ptr<QFile> ownedFile_;
    QIODevice* device_ = nullptr;
    WaveFormat format_;
    uint32_t leadingSilenceFrames_ = 0;
    int64_t silenceBytesDelivered_ = 0;
    int64_t dataStart_ = 0;
    int64_t dataBytes_ = 0;
    int64_t dataBytesLeft_ = 0;
};
