// The timing modes: a tap's preview redraw, a nudge, and the render that starts each Adjust
// Play pass, on the 4-minute reference song.

#include <benchmark/benchmark.h>

#include "BenchSongs.h"
#include "cdg/MRwRenderer.h"
#include "modes/AdjustLyricsModel.h"
#include "modes/PlaceLyricsModel.h"
#include "song/MSongDocument.h"

namespace {

// The reference song as the timing modes have it: a document's.
std::unique_ptr<MSongDocument> ReferenceDocument() {
    auto document = std::make_unique<MSongDocument>();
    BenchSongs::FillReferenceSong(document->Song());
    return document;
}

// One tap: the word stamped, the next word marked, or the next page drawn.
void BM_PlaceTap(benchmark::State& state) {
    auto document = ReferenceDocument();
    MRwRenderer renderer;
    PlaceLyricsModel model(*document, &renderer);
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
    auto document = ReferenceDocument();
    MRwRenderer renderer;
    AdjustLyricsModel model(*document, &renderer);
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
    auto document = ReferenceDocument();
    MSongSettings* song = &document->Song();
    MRwRenderer renderer;
    AdjustLyricsModel model(*document, &renderer);
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
