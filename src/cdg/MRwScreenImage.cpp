#include "cdg/MRwScreenImage.h"

#include <array>
#include <cstring>
#include <vector>

#include "cdg/MRwRenderer.h"

namespace {

QList<QRgb> ColourTable(const std::array<MRgb, 16>& colours) {
    QList<QRgb> table(16);
    for (int i = 0; i < 16; ++i) {
        table[i] = CdgColour::ToArgb(colours[static_cast<size_t>(i)]);
    }
    return table;
}

}  // namespace

QImage MRwScreenImage::RawIndexed(const MRwRenderer& renderer) {
    std::array<MRgb, 16> colours{};
    const std::vector<uint8_t> indices = renderer.ScreenIndices(&colours);
    QImage image(MRwRenderer::kWidth, MRwRenderer::kHeight, QImage::Format_Indexed8);
    image.setColorTable(ColourTable(colours));
    for (int y = 0; y < MRwRenderer::kHeight; ++y) {
        std::memcpy(image.scanLine(y), indices.data() + y * MRwRenderer::kWidth,
                    MRwRenderer::kWidth);
    }
    return image;
}

QImage MRwScreenImage::ViewIndexed(const MRwRenderer& renderer, int width, int height) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_Indexed8);
    std::array<MRgb, 16> colours{};
    renderer.ViewIndices(image.bits(), static_cast<int>(image.bytesPerLine()), image.width(),
                         image.height(), image.rect(), &colours);
    image.setColorTable(ColourTable(colours));
    return image;
}

QImage MRwScreenImage::Raw(const MRwRenderer& renderer) {
    return RawIndexed(renderer).convertToFormat(QImage::Format_RGB32);
}

QImage MRwScreenImage::View(const MRwRenderer& renderer, int width, int height) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    Paint(renderer, image, image.rect());
    return image;
}

void MRwScreenImage::Paint(const MRwRenderer& renderer, QImage& target, const QRect& region) {
    const QRect r = region.intersected(target.rect());
    if (r.isEmpty() || target.format() != QImage::Format_RGB32) {
        return;
    }
    std::vector<uint8_t> indices(static_cast<size_t>(r.width()) * r.height());
    std::array<MRgb, 16> colours{};
    renderer.ViewIndices(indices.data(), r.width(), target.width(), target.height(), r, &colours);
    uint32_t argb[16];
    for (int i = 0; i < 16; ++i) {
        argb[i] = CdgColour::ToArgb(colours[static_cast<size_t>(i)]);
    }
    for (int y = 0; y < r.height(); ++y) {
        auto* dst = reinterpret_cast<uint32_t*>(target.scanLine(r.top() + y)) + r.left();
        const uint8_t* src = indices.data() + static_cast<size_t>(y) * r.width();
        for (int x = 0; x < r.width(); ++x) {
            dst[x] = argb[src[x]];
        }
    }
}
