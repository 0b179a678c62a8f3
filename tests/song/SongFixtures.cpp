#include "SongFixtures.h"

#include "audio/WavOutFile.h"

std::unique_ptr<MSongSettings> SongFixtures::NewSong(const QString& lyrics, MSongHost* host) {
    auto song = std::make_unique<MSongSettings>(QString(), host);
    song->ResetToNewProject();
    song->rawLyrics = lyrics;
    song->GenerateKaraokeLineList(true, false);
    return song;
}

void SongFixtures::TimeWords(MSongSettings& song, double firstSeconds, double stepSeconds) {
    double t = firstSeconds;
    for (auto& line : song.lineList) {
        for (auto& w : line->words) {
            w->startTime = Frames(t);
            w->endTime = Frames(t + stepSeconds * 0.8);
            t += stepSeconds;
            line->placed = true;
        }
    }
}

bool SongFixtures::WriteSilentWav(const QString& path, int64_t frames) {
    WavOutFile out(path, 44100, 16, 2);
    std::vector<int16_t> block(2 * 4410, 0);
    for (int64_t left = frames; left > 0;) {
        const int64_t n = std::min<int64_t>(left, 4410);
        out.Write(block.data(), static_cast<int>(n * 2));
        left -= n;
    }
    return out.Close().IsOk();
}
