// Feeds arbitrary bytes to the CD+G decoder as a stream of many packets and paints the result on
// a screen at twice the size (one input in 128). Seeded with real streams
// (fuzz/corpus/fuzz_cdg_decoder), so that the search starts from well-formed instructions and
// mutates them.

#include <cstddef>
#include <cstdint>

#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    decoder.DecodePackets(data, 0, static_cast<uint32_t>(size / 24));
    static QImage view =
        MRwScreenImage::View(renderer, MRwRenderer::kWidth * 2, MRwRenderer::kHeight * 2);
    // Painting a whole screen costs far more than decoding (every pixel's comparisons are traced
    // for coverage): one input in 128 is painted, so that the decoder gets thousands of runs a
    // second and the painting is still searched.
    if (size / 24 % 128 == 0) {
        MRwScreenImage::Paint(renderer, view, view.rect());
    }
    return 0;
}
