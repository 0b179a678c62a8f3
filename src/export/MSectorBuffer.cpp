#include "export/MSectorBuffer.h"

#include <algorithm>
#include <cstring>

MSectorBuffer::MSectorBuffer(int minimumSectors, int capacitySectors, Sink sink)
    : minimum_(std::max(1, minimumSectors)),
      capacity_(std::max(std::min(capacitySectors, kMaxCapacitySectors), minimum_)),
      sink_(std::move(sink)),
      buffer_(static_cast<size_t>(capacity_) * kSectorBytes) {}

void MSectorBuffer::Place(const uint8_t* audio, size_t audioBytes, size_t* audioUsed,
                          const uint8_t* subcode, size_t subcodeBytes, size_t* subcodeUsed) {
    size_t a = 0;
    size_t s = 0;
    while (!failed_) {
        uint8_t* sector = buffer_.data() + static_cast<size_t>(count_) * kSectorBytes;
        const size_t takeAudio = std::min(kAudioBytes - audioFill_, audioBytes - a);
        std::memcpy(sector + audioFill_, audio + a, takeAudio);
        audioFill_ += takeAudio;
        a += takeAudio;
        const size_t takeSubcode = std::min(kSubcodeBytes - subcodeFill_, subcodeBytes - s);
        std::memcpy(sector + kAudioBytes + subcodeFill_, subcode + s, takeSubcode);
        subcodeFill_ += takeSubcode;
        s += takeSubcode;
        if (audioFill_ < kAudioBytes || subcodeFill_ < kSubcodeBytes) {
            break;  // one stream has run dry
        }
        audioFill_ = 0;
        subcodeFill_ = 0;
        if (++count_ == capacity_) {
            WriteOut();
        }
    }
    *audioUsed = a;
    *subcodeUsed = s;
}

void MSectorBuffer::Keep(std::vector<uint8_t>& carry, bool fromCarry, const uint8_t* input,
                         size_t inputBytes, size_t used) {
    if (fromCarry) {
        carry.erase(carry.begin(), carry.begin() + static_cast<std::ptrdiff_t>(used));
    } else {
        carry.assign(input + used, input + inputBytes);
    }
}

bool MSectorBuffer::Add(const uint8_t* audio, size_t audioBytes, const uint8_t* subcode,
                        size_t subcodeBytes) {
    if (failed_) {
        return false;
    }
    // Bytes one stream delivered ahead of the other come before the new ones.
    const bool audioFromCarry = !audioCarry_.empty();
    if (audioFromCarry) {
        audioCarry_.insert(audioCarry_.end(), audio, audio + audioBytes);
        audio = audioCarry_.data();
        audioBytes = audioCarry_.size();
    }
    const bool subcodeFromCarry = !subcodeCarry_.empty();
    if (subcodeFromCarry) {
        subcodeCarry_.insert(subcodeCarry_.end(), subcode, subcode + subcodeBytes);
        subcode = subcodeCarry_.data();
        subcodeBytes = subcodeCarry_.size();
    }
    size_t audioUsed = 0;
    size_t subcodeUsed = 0;
    Place(audio, audioBytes, &audioUsed, subcode, subcodeBytes, &subcodeUsed);
    Keep(audioCarry_, audioFromCarry, audio, audioBytes, audioUsed);
    Keep(subcodeCarry_, subcodeFromCarry, subcode, subcodeBytes, subcodeUsed);
    if (count_ >= minimum_) {
        WriteOut();
    }
    return !failed_;
}

bool MSectorBuffer::Flush() {
    static const uint8_t kZeros[kAudioBytes] = {};
    // Whatever waits for its other half gets zeros there.
    while (!failed_ && (!audioCarry_.empty() || !subcodeCarry_.empty())) {
        Add(kZeros, audioCarry_.empty() ? kAudioBytes - audioFill_ : 0, kZeros,
            subcodeCarry_.empty() ? kSubcodeBytes - subcodeFill_ : 0);
    }
    if (!failed_ && (audioFill_ > 0 || subcodeFill_ > 0)) {
        uint8_t* sector = buffer_.data() + static_cast<size_t>(count_) * kSectorBytes;
        std::memset(sector + audioFill_, 0, kAudioBytes - audioFill_);
        std::memset(sector + kAudioBytes + subcodeFill_, 0, kSubcodeBytes - subcodeFill_);
        audioFill_ = 0;
        subcodeFill_ = 0;
        ++count_;
    }
    if (!failed_ && count_ > 0) {
        WriteOut();
    }
    return !failed_;
}

bool MSectorBuffer::WriteOut() {
    if (count_ == 0 || failed_) {
        return !failed_;
    }
    // The sector being filled moves to the front.
    const size_t bytes = static_cast<size_t>(count_) * kSectorBytes;
    failed_ = !sink_(buffer_.data(), bytes, count_);
    if (!failed_) {
        written_ += count_;
    }
    if (audioFill_ > 0 || subcodeFill_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + bytes, kSectorBytes);
    }
    count_ = 0;
    return !failed_;
}
