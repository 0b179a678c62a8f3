#include "base/MEvent.h"

#include <chrono>

void MEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
    }
    changed_.notify_all();
}

void MEvent::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

bool MEvent::IsSet() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return set_;
}

bool MEvent::Wait(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    if (timeoutMs < 0) {
        changed_.wait(lock, [this] { return set_; });
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; });
}
