#pragma once

#include <cstdint>

class MKaraokeLine;

// One unit of highlighting and timing: a range of characters of its line with its sung time.
// Stored in project files as 40 raw bytes.
struct MKaraokeWord {
    static constexpr uint32_t kSelected = 1;
    static constexpr uint32_t kJoinedToNext = 2;
    static constexpr uint32_t kJoinedToPrevious = 4;
    static constexpr int kStoredBytes = 40;

    int32_t firstChar = 0;
    int32_t lastChar = 0;
    int32_t startTime = 0;  // sample frames; 0 = not placed
    int32_t endTime = 0;
    MKaraokeLine* line = nullptr;
    int32_t box[4] = {0, 0, 0, 0};  // left, top, right, bottom on the preview screen
    uint32_t flags = 0;

    bool IsSelected() const { return (flags & kSelected) != 0; }
    bool IsPlaced() const { return startTime != 0; }

    // The 40 stored bytes (the line reference is stored as 0) and back.
    void Store(uint8_t out[kStoredBytes]) const;
    void Restore(const uint8_t in[kStoredBytes]);
};
