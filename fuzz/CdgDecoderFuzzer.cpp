// Feeds arbitrary bytes to the CD+G decoder as a stream and paints the result.

#include <cstddef>
#include <cstdint>

#include "cdg/MRwPlayer.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MRwRenderer renderer;
    MRwPlayer decoder(&renderer);
    decoder.DecodePackets(data, 0, static_cast<uint32_t>(size / 24));
    // A view whose size comes from the input too.
    const int width = size > 0 ? 1 + data[0] * 3 : 300;
    const int height = size > 1 ? 1 + data[1] * 2 : 216;
    QImage view = MRwScreenImage::View(renderer, width, height);
    MRwScreenImage::Paint(renderer, view, QRect(width / 3, height / 4, width, height));
    (void)MRwScreenImage::Raw(renderer);
    return 0;
}
