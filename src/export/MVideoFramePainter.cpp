#include "export/MVideoFramePainter.h"

#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "cdg/MRwRenderer.h"

namespace {

constexpr uint8_t kBlackLuma = 16;
constexpr uint8_t kNeutralChroma = 128;

}  // namespace

MVideoFramePainter::MVideoFramePainter(int width, int height, bool halfChroma)
    : width_(width), height_(height), halfChroma_(halfChroma) {
    scale_ = std::max(1, std::min(width / kPictureWidth, height / kPictureHeight));
    // Even offsets keep the halved chroma samples inside one side of the picture's edge.
    left_ = std::max(0, (width - kPictureWidth * scale_) / 4 * 2);
    top_ = std::max(0, (height - kPictureHeight * scale_) / 4 * 2);
    indices_.assign(static_cast<size_t>(kPictureWidth) * kPictureHeight, 0);
    shown_ = indices_;
    row_.assign(static_cast<size_t>(kPictureWidth) * scale_, 0);
}

std::array<uint8_t, 3> MVideoFramePainter::YuvOf(MRgb colour) {
    const double r = CdgColour::Red(colour) / 255.0;
    const double g = CdgColour::Green(colour) / 255.0;
    const double b = CdgColour::Blue(colour) / 255.0;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    auto clamp8 = [](double v) {
        return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    return {clamp8(16 + 219 * y), clamp8(128 + 224 * (b - y) / 1.8556),
            clamp8(128 + 224 * (r - y) / 1.5748)};
}

bool MVideoFramePainter::Paint(const MRwRenderer& renderer, uint8_t* const planes[3],
                               const int lineBytes[3], bool repaint) {
    renderer.ViewIndices(indices_.data(), kPictureWidth, kPictureWidth, kPictureHeight,
                         QRect(0, 0, kPictureWidth, kPictureHeight), &colours_);
    return PaintTaken(planes, lineBytes, repaint);
}

bool MVideoFramePainter::Paint(const uint8_t* indices, const std::array<MRgb, 16>& colours,
                               uint8_t* const planes[3], const int lineBytes[3], bool repaint) {
    std::copy_n(indices, indices_.size(), indices_.begin());
    colours_ = colours;
    return PaintTaken(planes, lineBytes, repaint);
}

bool MVideoFramePainter::PaintTaken(uint8_t* const planes[3], const int lineBytes[3],
                                    bool repaint) {
    for (uint8_t& index : indices_) {
        index &= 0x0F;
    }
    if (!painted_ || repaint || colours_ != shownColours_) {
        shownColours_ = colours_;
        for (int i = 0; i < 16; ++i) {
            const auto yuv = YuvOf(colours_[static_cast<size_t>(i)]);
            for (int c = 0; c < 3; ++c) {
                yuv_[static_cast<size_t>(c)][static_cast<size_t>(i)] = yuv[static_cast<size_t>(c)];
            }
        }
        PaintAll(planes, lineBytes);
        shown_ = indices_;
        painted_ = true;
        return true;
    }
    bool changed = false;
    for (int row = 0; row < kPictureHeight;) {
        auto differs = [this](int r) {
            const size_t at = static_cast<size_t>(r) * kPictureWidth;
            return std::memcmp(indices_.data() + at, shown_.data() + at, kPictureWidth) != 0;
        };
        if (!differs(row)) {
            ++row;
            continue;
        }
        int end = row + 1;
        while (end < kPictureHeight && differs(end)) {
            ++end;
        }
        for (int c = 0; c < 3; ++c) {
            if (c == 0 || !halfChroma_) {
                PaintLumaRows(row, end, planes[c], lineBytes[c], c);
            } else {
                PaintHalfChroma(row, end, planes[c], lineBytes[c], c);
            }
        }
        changed = true;
        row = end;
    }
    shown_ = indices_;
    return changed;
}

void MVideoFramePainter::PaintAll(uint8_t* const planes[3], const int lineBytes[3]) {
    for (int c = 0; c < 3; ++c) {
        const bool half = c > 0 && halfChroma_;
        const int rows = half ? height_ / 2 : height_;
        const int columns = half ? width_ / 2 : width_;
        for (int y = 0; y < rows; ++y) {
            std::memset(planes[c] + static_cast<ptrdiff_t>(y) * lineBytes[c],
                        c == 0 ? kBlackLuma : kNeutralChroma, static_cast<size_t>(columns));
        }
        if (half) {
            PaintHalfChroma(0, kPictureHeight, planes[c], lineBytes[c], c);
        } else {
            PaintLumaRows(0, kPictureHeight, planes[c], lineBytes[c], c);
        }
    }
}

void MVideoFramePainter::PaintLumaRows(int firstRow, int endRow, uint8_t* plane, int lineBytes,
                                       int channel) {
    const auto& table = yuv_[static_cast<size_t>(channel)];
    const int k = scale_;
    const int columns = std::min(kPictureWidth * k, width_ - left_);
    for (int sy = firstRow; sy < endRow; ++sy) {
        const uint8_t* src = indices_.data() + static_cast<size_t>(sy) * kPictureWidth;
        uint8_t* out = row_.data();
        for (int sx = 0; sx < kPictureWidth; ++sx) {
            std::memset(out + static_cast<ptrdiff_t>(sx) * k, table[src[sx]],
                        static_cast<size_t>(k));
        }
        for (int j = 0; j < k; ++j) {
            const int y = top_ + sy * k + j;
            if (y < height_) {
                std::memcpy(plane + static_cast<ptrdiff_t>(y) * lineBytes + left_, row_.data(),
                            static_cast<size_t>(columns));
            }
        }
    }
}

void MVideoFramePainter::PaintHalfChroma(int firstRow, int endRow, uint8_t* plane, int lineBytes,
                                         int channel) {
    const auto& table = yuv_[static_cast<size_t>(channel)];
    const int k = scale_;
    const int pictureW = kPictureWidth * k;
    const int pictureH = kPictureHeight * k;
    const int chromaColumns = std::min(pictureW, width_ - left_) / 2;
    const int firstChromaRow = (top_ + firstRow * k) / 2;
    const int endChromaRow = std::min((top_ + endRow * k + 1) / 2, (top_ + pictureH) / 2);
    auto sourceRow = [&](int lumaRow) {
        return std::clamp((lumaRow - top_) / k, 0, kPictureHeight - 1);
    };
    for (int cy = firstChromaRow; cy < endChromaRow && cy < height_ / 2; ++cy) {
        const uint8_t* a = indices_.data() + static_cast<size_t>(sourceRow(2 * cy)) * kPictureWidth;
        const uint8_t* b =
            indices_.data() + static_cast<size_t>(sourceRow(2 * cy + 1)) * kPictureWidth;
        uint8_t* out = plane + static_cast<ptrdiff_t>(cy) * lineBytes + left_ / 2;
        for (int cx = 0; cx < chromaColumns; ++cx) {
            const int x0 = 2 * cx / k;
            const int x1 = (2 * cx + 1) / k;
            const int sum = table[a[x0]] + table[a[x1]] + table[b[x0]] + table[b[x1]];
            out[cx] = static_cast<uint8_t>((sum + 2) / 4);
        }
    }
}
