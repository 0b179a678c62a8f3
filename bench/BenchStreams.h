#pragma once

#include <cstdint>
#include <vector>

// Streams of known shape for the benchmarks.
class BenchStreams {
public:
    // A 4-minute stream: 72,000 packets, 40 % of them tiles (normal and XOR), with page setups
    // and colour tables now and then; the rest empty.
    static std::vector<uint8_t> FourMinuteStream();
};
