#include "audio/MTempoChanger.h"

#include <soundtouch/SoundTouch.h>

#include <QtEndian>
#include <algorithm>
#include <cmath>

MTempoChanger::MTempoChanger() : touch_(std::make_unique<soundtouch::SoundTouch>()) {}

MTempoChanger::~MTempoChanger() = default;

void MTempoChanger::Configure(const WaveFormat& format, int tempoChangePercent) {
    format_ = format;
    bytesPerSample_ = format.bitsPerSample == 8 ? 1 : 2;
    touch_->clear();
    touch_->setSampleRate(std::max<uint32_t>(1, format.sampleRate));
    touch_->setChannels(std::clamp<int>(format.channels, 1, 16));
    touch_->setPitchSemiTones(0);
    touch_->setRateChange(0);
    touch_->setSetting(SETTING_USE_AA_FILTER, 0);
    touch_->setSetting(SETTING_USE_QUICKSEEK, 1);
    SetTempoChange(tempoChangePercent);
}

void MTempoChanger::SetTempoChange(int percent) {
    tempoChange_ = percent;
    touch_->setTempoChange(percent);
}

void MTempoChanger::Put(const uint8_t* bytes, int64_t byteCount) {
    const int channels = std::max<int>(1, format_.channels);
    const int64_t samples = byteCount / bytesPerSample_;
    const int64_t frames = samples / channels;
    if (frames <= 0) {
        return;
    }
    samples_.resize(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames * channels; ++i) {
        if (bytesPerSample_ == 1) {
            samples_[static_cast<size_t>(i)] = (static_cast<int>(bytes[i]) - 128) / 128.0f;
        } else {
            samples_[static_cast<size_t>(i)] = qFromLittleEndian<int16_t>(bytes + 2 * i) / 32768.0f;
        }
    }
    touch_->putSamples(samples_.data(), static_cast<unsigned>(frames));
}

void MTempoChanger::Flush() {
    touch_->flush();
}

int64_t MTempoChanger::ReadyFrames() const {
    return touch_->numSamples();
}

int64_t MTempoChanger::Receive(uint8_t* out, int64_t maxBytes) {
    const int channels = std::max<int>(1, format_.channels);
    const int64_t maxFrames = maxBytes / (bytesPerSample_ * channels);
    if (maxFrames <= 0) {
        return 0;
    }
    samples_.resize(static_cast<size_t>(maxFrames * channels));
    const int64_t frames =
        touch_->receiveSamples(samples_.data(), static_cast<unsigned>(maxFrames));
    for (int64_t i = 0; i < frames * channels; ++i) {
        const float v = std::clamp(samples_[static_cast<size_t>(i)], -1.0f, 1.0f);
        if (bytesPerSample_ == 1) {
            out[i] = static_cast<uint8_t>(std::clamp<long>(std::lround(v * 128.0f) + 128, 0, 255));
        } else {
            const int16_t s =
                static_cast<int16_t>(std::clamp<long>(std::lround(v * 32768.0f), -32768, 32767));
            qToLittleEndian<int16_t>(s, out + 2 * i);
        }
    }
    return frames * channels * bytesPerSample_;
}
