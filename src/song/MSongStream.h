#pragma once

#include <cstdint>

#include "base/MStatus.h"

// The whole CD+G stream of a song, rendered into the song's stream buffer, and what the audio
// needs to stay in step with it.
struct MSongStream {
    // A failure to lengthen the work WAV to the stream; the stream itself is complete.
    MStatus status;
    // Silence to put before the music, in sample frames.
    int32_t leadInFrames = 0;
    // The stream's bytes, in the song's stream buffer (valid until the buffer changes).
    const uint8_t* bytes = nullptr;
    uint32_t lengthBytes = 0;
};
