#pragma once

#include <condition_variable>
#include <mutex>

// A manual-reset event: once set it stays set, waking every waiter, until reset.
class MEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is set or timeoutMs have passed (negative: no limit); returns
    // whether it is set.
    bool Wait(int timeoutMs = -1) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};
