#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Joins audio and subcode into raw CD sectors of 2,448 bytes: 2,352 bytes of audio followed by
// 96 bytes (four CD+G packets) of subcode. The two parts arrive as separate byte streams in
// blocks of any size; sector n holds audio bytes 2352 n to 2352 n + 2351 and subcode bytes
// 96 n to 96 n + 95 of their streams. Complete sectors collect in a buffer that goes to the sink
// when it is full, and at the end of a call when it holds at least the minimum.
class MSectorBuffer {
public:
    static constexpr int kAudioBytes = 2352;
    static constexpr int kSubcodeBytes = 96;
    static constexpr int kSectorBytes = kAudioBytes + kSubcodeBytes;
    static constexpr int kMaxCapacitySectors = 1024;

    // Receives whole sectors; returns false when they could not be taken (a failed write).
    using Sink = std::function<bool(const uint8_t* bytes, size_t length, int sectors)>;

    // A capacity above 1,024 is cut to 1,024, a minimum below 1 raised to 1, and the capacity
    // is never below the minimum.
    MSectorBuffer(int minimumSectors, int capacitySectors, Sink sink);

    // Appends the next audio and subcode bytes (either count may be 0). Returns false once the
    // sink has failed; nothing more is written then.
    bool Add(const uint8_t* audio, size_t audioBytes, const uint8_t* subcode, size_t subcodeBytes);
    // Completes the last sector with zeros in whatever part is short and writes out everything.
    bool Flush();

    int MinimumSectors() const { return minimum_; }
    int CapacitySectors() const { return capacity_; }
    int64_t SectorsWritten() const { return written_; }
    bool Failed() const { return failed_; }

private:
    // Fills sectors from both streams until one runs dry; returns the bytes used of each.
    void Place(const uint8_t* audio, size_t audioBytes, size_t* audioUsed, const uint8_t* subcode,
               size_t subcodeBytes, size_t* subcodeUsed);
    bool WriteOut();
    // Keeps what one stream delivered ahead of the other for the next call.
    static void Keep(std::vector<uint8_t>& carry, bool fromCarry, const uint8_t* input,
                     size_t inputBytes, size_t used);

    int minimum_;
    int capacity_;
    Sink sink_;
    std::vector<uint8_t> buffer_;
    int count_ = 0;
    // The sector being filled, in the buffer slot after the complete ones.
    size_t audioFill_ = 0;
    size_t subcodeFill_ = 0;
    std::vector<uint8_t> audioCarry_;
    std::vector<uint8_t> subcodeCarry_;
    int64_t written_ = 0;
    bool failed_ = false;
};
