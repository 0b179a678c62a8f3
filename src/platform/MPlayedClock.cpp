#include "platform/MPlayedClock.h"

#include <algorithm>

MPlayedClock::MPlayedClock(int64_t bytesPerSecond, int bytesPerFrame)
    : bytesPerSecond_(std::max<int64_t>(1, bytesPerSecond)),
      bytesPerFrame_(std::max(1, bytesPerFrame)) {}

void MPlayedClock::Reset() {
    reports_.clear();
    played_ = 0;
}

int64_t MPlayedClock::UsecsOfBytes(int64_t bytes) const {
    return bytes * 1000000 / bytesPerSecond_;
}

int64_t MPlayedClock::BytesOfUsecs(int64_t usecs) const {
    // Rounded down to whole frames: a part of a frame has not been heard.
    const int64_t bytes = usecs * bytesPerSecond_ / 1000000;
    return bytes / bytesPerFrame_ * bytesPerFrame_;
}

void MPlayedClock::AddReport(int64_t nowUsecs, int64_t deviceBytes, int64_t heldUsecs) {
    const int64_t heardUsecs = UsecsOfBytes(deviceBytes) - heldUsecs;
    reports_.push_back(Report{nowUsecs, nowUsecs - heardUsecs});
    while (!reports_.empty() && reports_.front().atUsecs < nowUsecs - kWindowUsecs) {
        reports_.pop_front();
    }
}

int64_t MPlayedClock::PlayedBytes(int64_t nowUsecs, int64_t deviceBytes) {
    if (!reports_.empty()) {
        int64_t lag = reports_.front().lagUsecs;
        for (const Report& r : reports_) {
            lag = std::max(lag, r.lagUsecs);
        }
        const int64_t heard = std::min(BytesOfUsecs(nowUsecs - lag - kMarginUsecs), deviceBytes);
        played_ = std::max(played_, heard / bytesPerFrame_ * bytesPerFrame_);
    }
    return played_;
}
