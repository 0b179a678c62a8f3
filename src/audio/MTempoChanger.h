#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/WaveFormat.h"

namespace soundtouch {
class SoundTouch;
}

// Changes the tempo of PCM audio (8 or 16 bits, any number of channels) without changing its
// pitch, through SoundTouch. Audio goes in and comes out as the bytes of the same format.
class MTempoChanger {
public:
    MTempoChanger();
    virtual ~MTempoChanger();
    MTempoChanger(const MTempoChanger&) = delete;
    MTempoChanger& operator=(const MTempoChanger&) = delete;

    // Sets up for the format with the given tempo change (percent: 0 unchanged, -20 is 20 %
    // slower): pitch and rate unchanged, anti-alias filter off, quick seek on. Drops any audio
    // still inside.
    void Configure(const WaveFormat& format, int tempoChangePercent);
    void SetTempoChange(int percent);
    int TempoChange() const { return tempoChange_; }

    void Put(const uint8_t* bytes, int64_t byteCount);
    // The input has ended: lets the last of it through.
    void Flush();
    int64_t ReadyFrames() const;
    // Takes up to maxBytes (whole frames) of processed audio; returns the bytes delivered.
    int64_t Receive(uint8_t* out, int64_t maxBytes);

private:
    std::unique_ptr<soundtouch::SoundTouch> touch_;
    std::vector<float> samples_;
    WaveFormat format_;
    int bytesPerSample_ = 2;
    int tempoChange_ = 0;
};
