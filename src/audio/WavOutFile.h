#pragma once

#include <QFile>
#include <QString>
#include <cstdint>

#include "audio/WavFileBase.h"
#include "audio/WavHeader.h"
#include "base/MStatus.h"

// Writes 16-bit samples into a new PCM WAV file of 8 or 16 bits. The 56-byte header is written
// at once, so the file is a valid WAV from its first byte, and again with the final lengths
// when the file is closed.
class WavOutFile : public WavFileBase {
public:
    WavOutFile(const QString& path, uint32_t sampleRate, uint16_t bitsPerSample, uint16_t channels);
    ~WavOutFile() override;

    // False when the file could not be created; writes are then ignored and Close fails.
    bool IsOpen() const { return file_.isOpen(); }
    // Appends count samples converted to the file's sample width.
    void Write(const int16_t* samples, int count);
    // Finishes the header and closes the file; reports any write that did not reach the disk.
    MStatus Close();

    uint32_t DataBytesWritten() const { return dataBytesWritten_; }

private:
    void WriteHeader();
    void Fail(const QString& why);

    QFile file_;
    WavHeader header_;
    uint32_t dataBytesWritten_ = 0;
    QString error_;
};
