// The timing modes: a tap's preview redraw, a nudge, and the render that starts each Adjust
// Play pass, on the 4-minute reference song.

#include <benchmark/benchmark.h>

#include "BenchSongs.h"
#include "cdg/MRwRenderer.h"
#include "modes/AdjustLyricsModel.h"
#include "modes/PlaceLyricsModel.h"

namespace {

// One tap: the word stamped, the next word marked, or the next page drawn.
void BM_PlaceTap(benchmark::State& state) {
    auto song = BenchSongs::ReferenceSong();
    MRwRenderer renderer;
    PlaceLyricsModel model(*song, &renderer);
    model.Open();
    model.Start();
    int32_t position = 44100;
    for (auto _ : state) {
        if (model.AtEnd()) {
            state.PauseTiming();
            model.Start();
            state.ResumeTiming();
        }
        model.Place(position += 20000);
    }
}
BENCHMARK(BM_PlaceTap)->Unit(benchmark::kMicrosecond);

void BM_Nudge(benchmark::State& state) {
    auto song = BenchSongs::ReferenceSong();
    MRwRenderer renderer;
    AdjustLyricsModel model(*song, &renderer);
    model.Open();
    model.Select(100);
    int i = 0;
    for (auto _ : state) {
        model.Apply(++i % 2 ? AdjustLyricsModel::kStartLater : AdjustLyricsModel::kStartEarlier);
    }
}
BENCHMARK(BM_Nudge)->Unit(benchmark::kMicrosecond);

// The stream rendered from the stretch start and the screen at that moment, as every Adjust
// Play pass begins (the player's reopen is measured by the timing tests on a real device).
void BM_AdjustPassRender(benchmark::State& state) {
    auto song = BenchSongs::ReferenceSong();
    MRwRenderer renderer;
    AdjustLyricsModel model(*song, &renderer);
    model.Open();
    model.Select(song->WordCount() / 2);
    uint32_t length = 0;
    for (auto _ : state) {
        const AdjustLyricsModel::Stretch stretch = model.PlayStretch(true);
        song->WriteRwMemory(song->rwBuffer.data(), song->rwBuffer.size(), &length, stretch.start);
        song->RenderAtTime(&renderer, stretch.start);
    }
}
BENCHMARK(BM_AdjustPassRender)->Unit(benchmark::kMillisecond);

}  // namespace
