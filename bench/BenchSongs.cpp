#include "BenchSongs.h"

#include <QStringList>
#include <cmath>
#include <vector>

#include "audio/WavOutFile.h"

std::unique_ptr<MSongSettings> BenchSongs::ReferenceSong(MSongHost* host) {
    return Song(host, 8, 240);
}

std::unique_ptr<MSongSettings> BenchSongs::ExportSong(MSongHost* host) {
    return Song(host, 15, 220);
}

void BenchSongs::FillReferenceSong(MSongSettings& song) {
    Fill(song, 8, 240);
}

std::unique_ptr<MSongSettings> BenchSongs::Song(MSongHost* host, int firstSeconds,
                                                int lastSeconds) {
    auto song = std::make_unique<MSongSettings>(QString(), host);
    Fill(*song, firstSeconds, lastSeconds);
    return song;
}

void BenchSongs::Fill(MSongSettings& s, int firstSeconds, int lastSeconds) {
    MSongSettings* song = &s;
    song->ResetToNewProject();
    QString lyrics;
    const QStringList words = {QStringLiteral("Twinkle"), QStringLiteral("little"),
                               QStringLiteral("star"),    QStringLiteral("wonder"),
                               QStringLiteral("above"),   QStringLiteral("diamond")};
    for (int line = 0; line < 64; ++line) {
        for (int w = 0; w < 6; ++w) {
            lyrics += words[(line + w) % 6] + (w < 5 ? QStringLiteral(" ") : QStringLiteral("\n"));
        }
    }
    song->rawLyrics = lyrics;
    song->GenerateKaraokeLineList(true, true);
    int32_t t = firstSeconds * 44100;
    const int32_t step = ((lastSeconds - firstSeconds) * 44100) / 384;
    for (auto& line : song->lineList) {
        for (auto& w : line->words) {
            w->startTime = t;
            w->endTime = t + step * 9 / 10;
            t += step;
        }
        line->placed = true;
    }
    song->title = QStringLiteral("Reference Song");
    song->artist = QStringLiteral("Quilm");
    song->FindPage(IMAGE_STRUCT::kTitlePage)->enabled = true;
    song->FindPage(IMAGE_STRUCT::kTitlePage)->text = QStringLiteral("Reference Song\nQuilm");
    song->FindPage(IMAGE_STRUCT::kCreditsPage)->enabled = true;
    song->FindPage(IMAGE_STRUCT::kCreditsPage)->text = QStringLiteral("Thanks for singing");
    song->SizeRwBuffer(240 * 176400);
}

bool BenchSongs::WriteFourMinuteWav(const QString& path) {
    constexpr int kRate = 44100;
    constexpr int kFrames = 240 * kRate;
    WavOutFile out(path, kRate, 16, 2);
    std::vector<int16_t> block(2 * 4410);
    uint32_t noise = 12345;
    for (int start = 0; start < kFrames; start += 4410) {
        for (int i = 0; i < 4410; ++i) {
            const double t = static_cast<double>(start + i) / kRate;
            const double beat = std::exp(-8.0 * std::fmod(t, 0.5));
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (static_cast<int32_t>(noise >> 16) - 32768) / 32768.0;
            const double chord = std::sin(2 * M_PI * 220 * t) +
                                 0.7 * std::sin(2 * M_PI * 277.2 * t) +
                                 0.5 * std::sin(2 * M_PI * 329.6 * t);
            const double left = 6000 * chord + 4000 * beat * hiss;
            const double right = 6000 * chord * 0.8 + 4000 * beat * hiss * 0.6;
            block[static_cast<size_t>(2 * i)] = static_cast<int16_t>(left);
            block[static_cast<size_t>(2 * i + 1)] = static_cast<int16_t>(right);
        }
        out.Write(block.data(), static_cast<int>(block.size()));
    }
    return out.Close().IsOk();
}
