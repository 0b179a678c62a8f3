#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "audio/WavFileBase.h"
#include "audio/WavHeader.h"

class QIODevice;
class QFile;

// Reads the samples of a RIFF/WAVE file as 16-bit values. A file whose headers cannot be
// parsed (WavChunks) is not refused: the format fields keep what was found (zero elsewhere)
// and no samples are read, so callers judge a file by its rate, bits and channels.
class WavInFile : public WavFileBase {
public:
    explicit WavInFile(const QString& path);
    // Reads from an open device that stays owned by the caller and must outlive this object.
    explicit WavInFile(QIODevice* device);
    ~WavInFile() override;

    bool IsOpen() const { return device_ != nullptr; }
    // True when the RIFF, "fmt " and "data" headers were all found and sound.
    bool HeadersOk() const { return headersOk_; }

    uint32_t SampleRate() const { return header_.format.sampleRate; }
    uint16_t BitsPerSample() const { return header_.format.bitsPerSample; }
    uint16_t Channels() const { return header_.format.channels; }
    uint16_t FormatTag() const { return header_.format.formatTag; }
    uint16_t BlockAlign() const { return header_.format.blockAlign; }
    // Bytes of sample data: the "data" length, cut to what the file really holds.
    uint32_t DataSizeBytes() const { return header_.dataBytes; }
    uint32_t SampleFrames() const;
    uint32_t LengthMs() const;
    const WavHeader& Header() const { return header_; }

    // Reads up to maxElems samples (one channel's value each, interleaved as in the file) and
    // returns how many were delivered; 0 at the end of the data, for a file whose headers
    // failed, and for sample widths other than 8 and 16 bits.
    int Read(int16_t* buffer, int maxElems);

private:
    void ReadHeaders();

    std::unique_ptr<QFile> ownedFile_;
    QIODevice* device_ = nullptr;
    WavHeader header_;
    bool headersOk_ = false;
    bool factSeen_ = false;
    uint32_t dataBytesRead_ = 0;
};
