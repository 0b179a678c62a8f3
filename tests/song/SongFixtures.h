#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "song/MSongSettings.h"
#include "support/TestSongHost.h"

// Songs for tests: a new project with lyrics, optionally timed word by word.
class SongFixtures {
public:
    // A new project holding the lyrics, its line list generated.
    static std::unique_ptr<MSongSettings> NewSong(const QString& lyrics, MSongHost* host = nullptr);
    // Gives every word of every line a time: firstSeconds, then one word every stepSeconds,
    // each lasting 80 % of a step; marks the lines placed.
    static void TimeWords(MSongSettings& song, double firstSeconds, double stepSeconds);
    // Writes a 44.1 kHz 16-bit stereo WAV of silence lasting frames sample frames.
    static bool WriteSilentWav(const QString& path, int64_t frames);
    static int32_t Frames(double seconds) { return static_cast<int32_t>(seconds * 44100); }
};
