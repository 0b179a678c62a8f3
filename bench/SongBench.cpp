// The song: the whole stream of a reference song, the line list of long lyrics with a page
// preview, and project files.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "BenchSongs.h"
#include "cdg/MRwRenderer.h"
#include "song/MSongSettings.h"

namespace {

std::unique_ptr<MSongSettings> ReferenceSong() {
    return BenchSongs::ReferenceSong();
}

void BM_WriteRwMemoryReferenceSong(benchmark::State& state) {
    auto song = ReferenceSong();
    uint32_t length = 0;
    for (auto _ : state) {
        song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(), &length,
                            MSongSettings::kFromTheStart);
    }
}
BENCHMARK(BM_WriteRwMemoryReferenceSong)->Unit(benchmark::kMillisecond);

// What the Edit Lyrics preview does on every keystroke: the line list of 500 lines of lyrics,
// then the page the cursor is on.
void BM_LineListAndPagePreview500Lines(benchmark::State& state) {
    MSongSettings song;
    song.ResetToNewProject();
    QString lyrics;
    for (int i = 0; i < 500; ++i) {
        lyrics += QStringLiteral("Line %1 of the*se ly*rics with some words\n").arg(i);
    }
    song.rawLyrics = lyrics;
    song.GenerateKaraokeLineList(true, false);
    MRwRenderer renderer;
    int page = 0;
    for (auto _ : state) {
        song.GenerateKaraokeLineList(true, false);
        song.RenderPage(&renderer, page);
        page = (page + 7) % 125;
    }
}
BENCHMARK(BM_LineListAndPagePreview500Lines)->Unit(benchmark::kMillisecond);

void BM_SaveReferenceProject(benchmark::State& state) {
    QTemporaryDir dir;
    auto song = ReferenceSong();
    song->projectPath = dir.filePath(QStringLiteral("reference.qlm"));
    for (auto _ : state) {
        if (!song->SaveProject().IsOk()) {
            state.SkipWithError("save failed");
        }
    }
}
BENCHMARK(BM_SaveReferenceProject)->Unit(benchmark::kMillisecond);

void BM_LoadReferenceProject(benchmark::State& state) {
    QTemporaryDir dir;
    auto song = ReferenceSong();
    song->projectPath = dir.filePath(QStringLiteral("reference.qlm"));
    song->SaveProject();
    MSongSettings loaded(song->projectPath);
    for (auto _ : state) {
        if (!loaded.LoadProject().IsOk()) {
            state.SkipWithError("load failed");
        }
    }
}
BENCHMARK(BM_LoadReferenceProject)->Unit(benchmark::kMillisecond);

}  // namespace
