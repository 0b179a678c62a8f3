#pragma once

#include <cstddef>
#include <cstdint>

// The classic linear congruential generator with results from 0 to 32767. Seeded explicitly,
// so that pictures and dissolves come out the same every time unless asked otherwise.
class MRandom {
public:
    static constexpr int kMax = 32767;

    explicit MRandom(uint32_t seed = 1) : state_(seed) {}
    void Seed(uint32_t seed) { state_ = seed; }
    // A seed taken from bytes (FNV-1a), the same for the same bytes on every run and machine.
    static uint32_t SeedOf(const char* bytes, size_t size, uint32_t seed = 2166136261u) {
        for (size_t i = 0; i < size; ++i) {
            seed = (seed ^ static_cast<uint8_t>(bytes[i])) * 16777619u;
        }
        return seed;
    }
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_;
};
