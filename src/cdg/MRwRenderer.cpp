#include "cdg/MRwRenderer.h"

#include <algorithm>
#include <cstring>

#include "cdg/MRwView.h"

namespace {

constexpr int kTileW = CdgScreen::kTileWidth;
constexpr int kTileH = CdgScreen::kTileHeight;
constexpr int kScreenBytes = CdgScreen::kPitch * CdgScreen::kHeight;

// The inner area of a view of the given size, in view pixels.
struct ViewGeometry {
    int x0, x1, y0, y1;
    explicit ViewGeometry(int w, int h)
        : x0(6 * w / 300), x1(294 * w / 300), y0(12 * h / 216), y1(204 * h / 216) {}
};

}  // namespace

MRwRenderer::MRwRenderer() {
    screens_[0].assign(kScreenBytes, 0);
    screens_[1].assign(kScreenBytes, 0);
}

MRwRenderer::~MRwRenderer() {
    DetachAllWindows();
}

void MRwRenderer::ClearScreen(int colour) {
    {
        std::lock_guard<std::mutex> lock(screenMutex_);
        const int previous = memoryColor_;
        if (colour >= 0 && colour <= 15) {
            memoryColor_ = colour;
        }
        if (!uniform_ || previous != memoryColor_) {
            std::memset(Current(), memoryColor_, kScreenBytes);
            uniform_ = true;
        }
        // The preset clears the border too, as every player shows it, until a Border Preset.
        borderColor_ = memoryColor_;
    }
    PresentAll();
}

void MRwRenderer::SetBorderColor(int colour) {
    {
        std::lock_guard<std::mutex> lock(screenMutex_);
        if (colour >= 0 && colour <= 15) {
            borderColor_ = colour;
        }
        // The border ring of the screen takes the colour (what a raw screen shows).
        uint8_t* screen = Current();
        const int c = borderColor_;
        for (int y = 0; y < CdgScreen::kHeight; ++y) {
            uint8_t* row = screen + static_cast<size_t>(y) * CdgScreen::kPitch;
            if (y < kTileH || y >= CdgScreen::kHeight - kTileH) {
                std::memset(row, c, CdgScreen::kWidth);
            } else {
                std::memset(row, c, kTileW);
                std::memset(row + CdgScreen::kWidth - kTileW, c, kTileW);
            }
        }
        uniform_ = uniform_ && c == memoryColor_;
    }
    PresentAll();
}

void MRwRenderer::LoadColors(int first, int count, const MRgb* colours) {
    {
        std::lock_guard<std::mutex> lock(screenMutex_);
        for (int i = 0; i < count; ++i) {
            const int k = first + i;
            if (k >= 0 && k < 16) {
                colours_[k] = colours[i];
            }
        }
    }
    PresentAll();
}

void MRwRenderer::DrawTile(int row, int column, int colour0, int colour1, const uint8_t rows[12]) {
    TileOp(row, column, colour0, colour1, rows, false);
}

void MRwRenderer::XorTile(int row, int column, int colour0, int colour1, const uint8_t rows[12]) {
    TileOp(row, column, colour0, colour1, rows, true);
}

void MRwRenderer::TileOp(int row, int column, int colour0, int colour1, const uint8_t rows[12],
                         bool xorMode) {
    if (colour0 < 0 || colour0 > 15 || colour1 < 0 || colour1 > 15 || row < 0 ||
        row >= CdgScreen::kRows || column < 0 || column >= CdgScreen::kColumns) {
        return;  // nothing changes on screen
    }
    {
        std::lock_guard<std::mutex> lock(screenMutex_);
        uniform_ = false;
        uint8_t* base = Current() + row * kTileH * kPitch + column * kTileW;
        const auto c0 = static_cast<uint8_t>(colour0);
        const auto c1 = static_cast<uint8_t>(colour1);
        for (int y = 0; y < kTileH; ++y) {
            uint8_t* p = base + y * kPitch;
            const uint8_t bits = rows[y];
            for (int x = 0; x < kTileW; ++x) {
                const bool set = (bits & (0x20 >> x)) != 0;
                if (xorMode) {
                    p[x] ^= set ? c1 : c0;
                } else {
                    p[x] = set ? c1 : c0;
                }
            }
        }
    }
    if (column != 0 && row != 0) {
        PresentRect(QRect(column * kTileW, row * kTileH, kTileW, kTileH));
    }
}

void MRwRenderer::ScrollPreset(int fill, int hCommand, int hOffset, int vCommand, int vOffset) {
    Scroll(fill, hCommand, hOffset, vCommand, vOffset, false);
}

void MRwRenderer::ScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset) {
    Scroll(0, hCommand, hOffset, vCommand, vOffset, true);
}

void MRwRenderer::Scroll(int fill, int hCommand, int hOffset, int vCommand, int vOffset,
                         bool wrap) {
    {
        std::lock_guard<std::mutex> lock(screenMutex_);
        // Offsets beyond a tile would show memory past the screen's edge.
        uniform_ = false;
        hOffset_ = std::clamp(hOffset, 0, kTileW - 1);
        vOffset_ = std::clamp(vOffset, 0, kTileH - 1);
        const auto fillByte = static_cast<uint8_t>(fill & 0x0F);
        if (hCommand == 1 || hCommand == 2) {
            const uint8_t* c = Current();
            uint8_t* s = screens_[1 - current_].data();
            for (int y = 0; y < kHeight; ++y) {
                const uint8_t* src = c + y * kPitch;
                uint8_t* dst = s + y * kPitch;
                if (hCommand == 1) {  // right
                    std::memmove(dst + kTileW, src, kWidth - kTileW);
                    if (wrap) {
                        std::memcpy(dst, src + kWidth - kTileW, kTileW);
                    } else {
                        std::memset(dst, fillByte, kTileW);
                    }
                } else {  // left
                    std::memmove(dst, src + kTileW, kWidth - kTileW);
                    if (wrap) {
                        std::memcpy(dst + kWidth - kTileW, src, kTileW);
                    } else {
                        std::memset(dst + kWidth - kTileW, fillByte, kTileW);
                    }
                }
            }
            current_ = 1 - current_;
        }
        // A vertical move applies to the result of the horizontal one, so a diagonal scroll
        // moves the picture both ways.
        if (vCommand == 1 || vCommand == 2) {
            const uint8_t* c = Current();
            uint8_t* s = screens_[1 - current_].data();
            const int band = kTileH * kPitch;
            const int rest = (kHeight - kTileH) * kPitch;
            if (vCommand == 1) {  // down
                std::memcpy(s + band, c, rest);
                if (wrap) {
                    std::memcpy(s, c + rest, band);
                } else {
                    std::memset(s, fillByte, band);
                }
            } else {  // up
                std::memcpy(s, c + band, rest);
                if (wrap) {
                    std::memcpy(s + rest, c, band);
                } else {
                    std::memset(s + rest, fillByte, band);
                }
            }
            current_ = 1 - current_;
        }
    }
    PresentAll();
}

void MRwRenderer::SetTransparentColor(int index) {
    std::lock_guard<std::mutex> lock(screenMutex_);
    if (index >= 0 && index <= 15) {
        transparentColor_ = index;
        transparentDefined_ = true;
    }
}

uint8_t* MRwRenderer::LockScreen(int* pitch) {
    screenMutex_.lock();
    uniform_ = false;
    if (pitch) {
        *pitch = kPitch;
    }
    return Current();
}

void MRwRenderer::UnlockScreen() {
    screenMutex_.unlock();
}

void MRwRenderer::PresentRect(const QRect& rect) {
    if (viewCount_.load(std::memory_order_relaxed) == 0) {
        return;
    }
    QRect inner;
    {
        std::lock_guard<std::mutex> lock(screenMutex_);
        inner = QRect(CdgScreen::kPictureLeft + hOffset_, CdgScreen::kPictureTop + vOffset_,
                      CdgScreen::kPictureWidth, CdgScreen::kPictureHeight);
    }
    const QRect r = rect.adjusted(-1, -1, 1, 1).intersected(inner);
    if (!r.isEmpty()) {
        Announce(r);
    }
}

void MRwRenderer::PresentAll() {
    Announce(QRect(0, 0, kWidth, kHeight));
}

void MRwRenderer::Announce(const QRect& rect) {
    if (viewCount_.load(std::memory_order_relaxed) == 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(viewsMutex_);
    if (suspended_) {
        return;
    }
    for (MRwView* v : views_) {
        v->ScreenChanged(rect);
    }
}

void MRwRenderer::AttachWindow(MRwView* view) {
    if (view == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(viewsMutex_);
        if (std::find(views_.begin(), views_.end(), view) != views_.end()) {
            return;
        }
        views_.push_back(view);
        viewCount_ = static_cast<int>(views_.size());
    }
    view->SetRenderer(this);
}

void MRwRenderer::DetachWindow(MRwView* view) {
    bool found = false;
    {
        std::lock_guard<std::mutex> lock(viewsMutex_);
        auto it = std::find(views_.begin(), views_.end(), view);
        if (it != views_.end()) {
            views_.erase(it);
            viewCount_ = static_cast<int>(views_.size());
            found = true;
        }
    }
    if (found) {
        view->SetRenderer(nullptr);
    }
}

void MRwRenderer::DetachAllWindows() {
    std::vector<MRwView*> views;
    {
        std::lock_guard<std::mutex> lock(viewsMutex_);
        views.swap(views_);
        viewCount_ = 0;
    }
    for (MRwView* v : views) {
        v->SetRenderer(nullptr);
    }
}

void MRwRenderer::SetSuspended(bool suspended) {
    std::lock_guard<std::mutex> lock(viewsMutex_);
    suspended_ = suspended;
}

bool MRwRenderer::IsSuspended() const {
    std::lock_guard<std::mutex> lock(viewsMutex_);
    return suspended_;
}

MRgb MRwRenderer::Color(int index) const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return colours_[static_cast<size_t>(index & 0x0F)];
}

std::array<MRgb, 16> MRwRenderer::ColorTable() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return colours_;
}

int MRwRenderer::MemoryColor() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return memoryColor_;
}

int MRwRenderer::BorderColor() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return borderColor_;
}

int MRwRenderer::HorizontalOffset() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return hOffset_;
}

int MRwRenderer::VerticalOffset() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return vOffset_;
}

int MRwRenderer::TransparentColor() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return transparentColor_;
}

bool MRwRenderer::HasTransparentColor() const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    return transparentDefined_;
}

uint8_t MRwRenderer::PixelAt(int x, int y) const {
    std::lock_guard<std::mutex> lock(screenMutex_);
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
        return 0;
    }
    return Current()[y * kPitch + x];
}

void MRwRenderer::ViewIndicesLocked(uint8_t* out, int outPitch, int width, int height,
                                    const QRect& r) const {
    const ViewGeometry g(width, height);
    const auto border = static_cast<uint8_t>(borderColor_ & 0x0F);
    const int innerW = g.x1 - g.x0;
    const int innerH = g.y1 - g.y0;
    std::vector<int> sourceX(static_cast<size_t>(r.width()), -1);
    for (int x = r.left(); x <= r.right(); ++x) {
        if (x >= g.x0 && x < g.x1 && innerW > 0) {
            sourceX[static_cast<size_t>(x - r.left())] =
                CdgScreen::kPictureLeft + hOffset_ + (x - g.x0) * CdgScreen::kPictureWidth / innerW;
        }
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
        uint8_t* dst = out + static_cast<size_t>(y - r.top()) * outPitch;
        if (y < g.y0 || y >= g.y1 || innerH <= 0) {
            std::memset(dst, border, static_cast<size_t>(r.width()));
            continue;
        }
        const int sy =
            CdgScreen::kPictureTop + vOffset_ + (y - g.y0) * CdgScreen::kPictureHeight / innerH;
        const uint8_t* src = Current() + sy * kPitch;
        for (int i = 0; i < r.width(); ++i) {
            const int sx = sourceX[static_cast<size_t>(i)];
            dst[i] = sx < 0 ? border : static_cast<uint8_t>(src[sx] & 0x0F);
        }
    }
}

void MRwRenderer::ViewIndices(uint8_t* out, int outPitch, int width, int height,
                              const QRect& region, std::array<MRgb, 16>* colours) const {
    const QRect r = region.intersected(QRect(0, 0, width, height));
    std::lock_guard<std::mutex> lock(screenMutex_);
    if (!r.isEmpty()) {
        ViewIndicesLocked(out, outPitch, width, height, r);
    }
    if (colours) {
        *colours = colours_;
    }
}

std::vector<uint8_t> MRwRenderer::ScreenIndices(std::array<MRgb, 16>* colours) const {
    std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight);
    std::lock_guard<std::mutex> lock(screenMutex_);
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(out.data() + y * kWidth, Current() + y * kPitch, kWidth);
    }
    if (colours) {
        *colours = colours_;
    }
    return out;
}

QRect MRwRenderer::ViewRectForScreenRect(const QRect& screenRect, int width, int height) {
    if (screenRect.contains(QRect(0, 0, kWidth, kHeight))) {
        return QRect(0, 0, width, height);
    }
    // Map generously (one tile of slack covers the fine offsets), so the repaint always covers
    // the pixels that changed.
    const QRect s = screenRect.adjusted(-kTileW, -kTileH, kTileW, kTileH);
    const int left = std::max(0, s.left() * width / kWidth - 1);
    const int top = std::max(0, s.top() * height / kHeight - 1);
    const int right = std::min(width, (s.right() + 1) * width / kWidth + 2);
    const int bottom = std::min(height, (s.bottom() + 1) * height / kHeight + 2);
    return QRect(left, top, right - left, bottom - top);
}
