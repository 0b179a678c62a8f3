#pragma once

#include <cstdint>

// The classic linear congruential generator with results from 0 to 32767. Seeded explicitly,
// so that pictures and dissolves come out the same every time unless asked otherwise.
class MRandom {
public:
    static constexpr int kMax = 32767;

    explicit MRandom(uint32_t seed = 1) : state_(seed) {}
    void Seed(uint32_t seed) { state_ = seed; }
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_;
};
