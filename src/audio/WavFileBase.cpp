#include "audio/WavFileBase.h"

WavFileBase::~WavFileBase() = default;

uint8_t* WavFileBase::ConversionBuffer(size_t bytes) {
    if (capacityBytes_ < bytes || buffer_ == nullptr) {
        buffer_.reset();
        capacityBytes_ = (bytes + 15) & ~size_t{7};
        buffer_ = std::make_unique<uint8_t[]>(capacityBytes_);
    }
    return buffer_.get();
}
