#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// What WavInFile and WavOutFile share: a scratch buffer for converting between the file's
// sample width and 16-bit samples.
class WavFileBase {
public:
    virtual ~WavFileBase();

protected:
    WavFileBase() = default;
    WavFileBase(const WavFileBase&) = delete;
    WavFileBase& operator=(const WavFileBase&) = delete;

    // A buffer of at least the given number of bytes. Growing it drops its contents.
    uint8_t* ConversionBuffer(size_t bytes);

private:
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacityBytes_ = 0;
};
