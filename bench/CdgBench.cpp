// Decoding a whole song, and drawing, sweeping and erasing one lyric line.

#include <benchmark/benchmark.h>

#include "BenchStreams.h"
#include "cdg/MRwGenerator.h"
#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "support/TestStreamBuilder.h"

namespace {

void BM_DecodeFourMinuteStream(benchmark::State& state) {
    const auto stream = BenchStreams::FourMinuteStream();
    for (auto _ : state) {
        MRwRenderer renderer;
        MRwPlayer decoder(&renderer);
        decoder.DecodePackets(stream.data(), 0, static_cast<uint32_t>(stream.size() / 24));
        benchmark::DoNotOptimize(renderer.PixelAt(150, 100));
    }
}
BENCHMARK(BM_DecodeFourMinuteStream)->Unit(benchmark::kMillisecond);

// SweepWord for every word, then DrawTextBlock and EraseTextBlock, of one 8-word line.
void LineOperations(benchmark::State& state, int flags) {
    const QString line = QStringLiteral("Twinkle twinkle little star how I wonder what");
    const MTextType type(QStringLiteral("Arial"), 12, 24, flags, MTextType::kHCentre,
                         MTextType::kVCentre, 13, 0, 0);
    const auto words = TestStreamBuilder::WordRanges(line);
    // Each round writes into a cleared stream, as a song writer would.
    std::vector<uint8_t> stream(7200 * 12, 0);
    for (auto _ : state) {
        state.PauseTiming();
        std::fill(stream.begin(), stream.end(), 0);
        state.ResumeTiming();
        MRwGenerator gen(stream.data(), static_cast<uint32_t>(stream.size()));
        uint32_t t = 7200;
        for (const auto& [first, last] : words) {
            gen.SweepWord(4, 1, line, first, last, type, 15, 14, false, t, t + 2400, nullptr);
            t += 2880;
        }
        gen.DrawTextBlock(4, 1, line, type, 15, 0);
        gen.EraseTextBlock(4, 1, line, type, 15, t);
    }
    state.SetLabel(words.size() == 8 ? "8 words" : "?");
}

void BM_LineBold(benchmark::State& state) {
    LineOperations(state, MTextType::kBold);
}
void BM_LineBoldOutline(benchmark::State& state) {
    LineOperations(state, MTextType::kBold | MTextType::kOutline);
}
BENCHMARK(BM_LineBold)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineBoldOutline)->Unit(benchmark::kMicrosecond);

}  // namespace
