#pragma once

#include <QString>
#include <memory>

#include "song/MSongSettings.h"

class MSongHost;

// Songs of known shape for the benchmarks.
class BenchSongs {
public:
    // 4 minutes, 64 lines of 6 words, 4 lines a page, title and credits pages on; its stream
    // buffer sized for 4 minutes of music.
    static std::unique_ptr<MSongSettings> ReferenceSong(MSongHost* host = nullptr);
    // The reference song made in a song the caller has (a document's, say).
    static void FillReferenceSong(MSongSettings& song);
    // The same lines as a song is usually timed on 4 minutes of music: the first word at 0:15,
    // the last at 3:40, an outro after it.
    static std::unique_ptr<MSongSettings> ExportSong(MSongHost* host = nullptr);
    // Writes 4 minutes of 44,100 Hz 16-bit stereo music-like sound (a chord with a beat).
    static bool WriteFourMinuteWav(const QString& path);

private:
    // 384 words from firstSeconds to lastSeconds.
    static std::unique_ptr<MSongSettings> Song(MSongHost* host, int firstSeconds, int lastSeconds);
    static void Fill(MSongSettings& song, int firstSeconds, int lastSeconds);
};
