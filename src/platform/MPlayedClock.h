#pragma once

#include <cstdint>
#include <deque>

// Follows how much of the audio handed to a sound device has been heard, from occasional reports
// of how long the device still takes to play what it holds. A device plays at the pace of the
// monotonic clock, so while it plays without a break  now - heard(now)  stays the same, and each
// report gives one value of it. The largest value of the last quarter second is used: a report
// that says too little is held (the server does not read all its counters in one instant) can
// never move the clock ahead of the sound, and a break in the sound (the device ran dry) is
// taken at once. A short window lets the clock catch up soon after a report that said too much
// is held.
class MPlayedClock {
public:
    MPlayedClock(int64_t bytesPerSecond, int bytesPerFrame);

    void Reset();
    // At nowUsecs the device had been handed deviceBytes, of which heldUsecs were not yet heard.
    void AddReport(int64_t nowUsecs, int64_t deviceBytes, int64_t heldUsecs);
    bool HasReports() const { return !reports_.empty(); }
    // Bytes heard at nowUsecs: whole frames, at most deviceBytes, never less than before.
    int64_t PlayedBytes(int64_t nowUsecs, int64_t deviceBytes);

    static constexpr int64_t kWindowUsecs = 250000;
    // The server's reports scatter by a millisecond or two; the clock keeps this much behind
    // them so that it is never ahead of the sound.
    static constexpr int64_t kMarginUsecs = 2000;

private:
    struct Report {
        int64_t atUsecs;
        int64_t lagUsecs;  // now - heard
    };

    int64_t UsecsOfBytes(int64_t bytes) const;
    int64_t BytesOfUsecs(int64_t usecs) const;

    int64_t bytesPerSecond_;
    int bytesPerFrame_;
    std::deque<Report> reports_;
    int64_t played_ = 0;
};
