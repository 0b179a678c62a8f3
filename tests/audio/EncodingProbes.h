#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/MProgress.h"

// Measures decoded test audio and records what encoders report.
namespace EncodingProbes {

inline std::vector<int16_t> Samples(const QByteArray& s16) {
    std::vector<int16_t> out(static_cast<size_t>(s16.size() / 2));
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = qFromLittleEndian<int16_t>(s16.constData() + 2 * i);
    }
    return out;
}

// Largest magnitude of channel 0 over frames [from, to).
inline int Peak(const std::vector<int16_t>& s, int channels, size_t from, size_t to) {
    int peak = 0;
    for (size_t f = from; f < to && f * channels < s.size(); ++f) {
        peak = std::max(peak, std::abs(static_cast<int>(s[f * channels])));
    }
    return peak;
}

// Sign changes per second of channel 0 over frames [from, to), about twice the frequency of a
// tone.
inline double CrossingsPerSecond(const std::vector<int16_t>& s, int channels, int rate, size_t from,
                                 size_t to) {
    int crossings = 0;
    for (size_t f = from + 1; f < to && f * channels < s.size(); ++f) {
        if ((s[(f - 1) * channels] < 0) != (s[f * channels] < 0)) {
            ++crossings;
        }
    }
    return crossings * static_cast<double>(rate) / static_cast<double>(to - from);
}

class Recorder : public MProgress {
public:
    void Begin(const QString& t, bool cancel) override {
        title = t;
        canCancel = cancel;
    }
    void End() override { ended = true; }
    void SetPercent(int percent) override {
        if (percents.empty()) {
            pollsBeforeFirstPercent = polls;
        }
        percents.push_back(percent);
    }
    bool IsCancelled() override { return ++polls > cancelAfterPolls; }

    QString title;
    bool canCancel = true;
    bool ended = false;
    std::vector<int> percents;
    int polls = 0;
    int pollsBeforeFirstPercent = -1;
    int cancelAfterPolls = 1 << 30;
};

}  // namespace EncodingProbes
