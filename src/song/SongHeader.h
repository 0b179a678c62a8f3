#pragma once

#include <cstddef>
#include <cstdint>

// The song's performance, sweep and Adjust Lyrics settings: 52 bytes, stored verbatim in
// project files (little-endian, in this order).
struct SongHeader {
    int32_t version = 600;
    int32_t performance = 1;  // 1 Solo, 2 Duet
    int32_t linesPerPage = 4;
    int32_t sweepMode = 0;       // 0 sweep the text, 1 sweep behind it
    int32_t sweepColour = 14;    // palette index
    int32_t advanceSweep = -20;  // hundredths of a second, stored negative
    uint8_t loopBeforeIsSeconds = 0;
    uint8_t pad25[3] = {0, 0, 0};
    int32_t loopBefore = 3000;
    uint8_t loopAfterIsSeconds = 0;
    uint8_t pad33[3] = {0, 0, 0};
    int32_t loopAfter = 3000;
    int32_t adjustStepMs = 200;
    int32_t reserved44 = 0;
    uint8_t loopPlay = 0;
    uint8_t reserved49 = 0;
    uint8_t pad50[2] = {0, 0};

    static constexpr int32_t kCurrentVersion = 600;
    static constexpr int32_t kSolo = 1;
    static constexpr int32_t kDuet = 2;
};

static_assert(sizeof(SongHeader) == 52, "the song header is stored as 52 bytes");
static_assert(offsetof(SongHeader, loopBefore) == 28 && offsetof(SongHeader, loopAfter) == 36 &&
                  offsetof(SongHeader, loopPlay) == 48,
              "song header layout");
