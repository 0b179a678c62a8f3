#include "support/ScreenProbe.h"

#include "cdg/CdgTimeBase.h"
#include "cdg/MRwPlayer.h"

void ScreenProbe::Decode(MRwRenderer& renderer, const std::vector<uint8_t>& stream,
                         int64_t endPacket) {
    MRwPlayer decoder(&renderer);
    const int64_t packets = static_cast<int64_t>(stream.size()) / CdgTimeBase::kPacketBytes;
    const int64_t end = endPacket < 0 ? packets : std::min(endPacket, packets);
    decoder.DecodePackets(stream.data(), 0, static_cast<uint32_t>(end));
}

std::vector<uint8_t> ScreenProbe::InnerArea(const MRwRenderer& renderer) {
    const std::vector<uint8_t> screen = renderer.ScreenIndices();
    std::vector<uint8_t> out(static_cast<size_t>(MPicture::kWidth) * MPicture::kHeight);
    for (int y = 0; y < MPicture::kHeight; ++y) {
        for (int x = 0; x < MPicture::kWidth; ++x) {
            out[static_cast<size_t>(y) * MPicture::kWidth + x] =
                screen[static_cast<size_t>(y + 12) * MRwRenderer::kWidth + x + 6];
        }
    }
    return out;
}

std::vector<uint8_t> ScreenProbe::PicturePixels(const MPicture& picture) {
    std::vector<uint8_t> out(static_cast<size_t>(MPicture::kWidth) * MPicture::kHeight);
    for (int y = 0; y < MPicture::kHeight; ++y) {
        for (int x = 0; x < MPicture::kWidth; ++x) {
            out[static_cast<size_t>(y) * MPicture::kWidth + x] = picture.Pixel(x, y);
        }
    }
    return out;
}

int ScreenProbe::Count(const std::vector<uint8_t>& area, int index) {
    int n = 0;
    for (uint8_t v : area) {
        n += v == index ? 1 : 0;
    }
    return n;
}
