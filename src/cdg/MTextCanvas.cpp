#include "cdg/MTextCanvas.h"

#include <QImage>
#include <QPainter>
#include <cstring>

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;

// One scratch image per thread, grown as needed, so drawing does not allocate every time.
QImage& ScratchImage(int width, int height) {
    thread_local QImage scratch;
    if (scratch.width() < width || scratch.height() < height) {
        scratch = QImage(std::max(width, scratch.width()), std::max(height, scratch.height()),
                         QImage::Format_Alpha8);
    }
    return scratch;
}

}  // namespace

MTextCanvas::MTextCanvas(MPicture* picture) : picture_(picture) {}

const MResolvedFont& MTextCanvas::Font() const {
    if (!font_) {
        font_ = MResolvedFont::Resolve(QStringLiteral("Arial"), 0, 0);
    }
    return *font_;
}

QString MTextCanvas::StripMnemonics(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;
            if (i >= text.size()) {
                break;
            }
        }
        out.append(text[i]);
    }
    return out;
}

bool MTextCanvas::RenderMask(const MBox& box, const QString& text, int margin) {
    const QRect clip = QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1))
                           .intersected(QRect(-margin, -margin, MPicture::kWidth + 2 * margin,
                                              MPicture::kHeight + 2 * margin));
    maskRect_ = clip;
    if (clip.isEmpty() || text.isEmpty()) {
        return false;
    }
    QImage& scratch = ScratchImage(clip.width(), clip.height());
    for (int y = 0; y < clip.height(); ++y) {
        std::memset(scratch.scanLine(y), 0, static_cast<size_t>(clip.width()));
    }
    QPainter painter(&scratch);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRect(QRect(0, 0, clip.width(), clip.height()));
    painter.translate(-clip.left(), -clip.top());
    painter.setFont(Font().Font());
    painter.setPen(QColor(0, 0, 0, 255));
    painter.drawText(QRect(box.left, box.top, box.Width(), box.Height()), kTextFlags, text);
    return true;
}

void MTextCanvas::StampScratch() {
    const QImage& scratch = ScratchImage(0, 0);
    const QRect target = maskRect_.intersected(QRect(0, 0, MPicture::kWidth, MPicture::kHeight));
    const auto index = static_cast<uint8_t>(textIndex_);
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const uchar* src = scratch.constScanLine(y - maskRect_.top()) - maskRect_.left();
        uint8_t* dst = picture_->Row(y);
        for (int x = target.left(); x <= target.right(); ++x) {
            if (src[x] >= 128) {
                dst[x] = index;
            }
        }
    }
}

void MTextCanvas::StampMask() {
    const int w = maskRect_.width();
    const QRect target = maskRect_.intersected(QRect(0, 0, MPicture::kWidth, MPicture::kHeight));
    const auto index = static_cast<uint8_t>(textIndex_);
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const uint8_t* src =
            mask_.data() + static_cast<size_t>(y - maskRect_.top()) * w - maskRect_.left();
        uint8_t* dst = picture_->Row(y);
        for (int x = target.left(); x <= target.right(); ++x) {
            if (src[x]) {
                dst[x] = index;
            }
        }
    }
}

void MTextCanvas::DrawText(const MBox& box, const QString& text) {
    if (box.IsEmpty() || text.isEmpty()) {
        return;
    }
    if (opaque_) {
        const QString shown = StripMnemonics(text);
        const MBox cells{box.left, box.top, box.left + Font().Advance(shown),
                         box.top + Font().CellHeight()};
        const MBox fill{std::max(box.left, cells.left), std::max(box.top, cells.top),
                        std::min(box.right, cells.right), std::min(box.bottom, cells.bottom)};
        if (!fill.IsEmpty()) {
            picture_->FillRect(QRect(fill.left, fill.top, fill.Width(), fill.Height()),
                               backgroundIndex_);
        }
    }
    if (RenderMask(box, text, 0)) {
        StampScratch();
    }
}

void MTextCanvas::DrawTextSpread(const MBox& box, const QString& text, int spread) {
    if (box.IsEmpty() || text.isEmpty()) {
        return;
    }
    if (!RenderMask(box, text, spread)) {
        return;
    }
    // The union of the shifted copies is the glyph mask dilated by a square of side
    // 2 x spread + 1: widen the mask by spread on each side, then take running maxima along
    // rows and then along columns.
    const QImage& scratch = ScratchImage(0, 0);
    const int w0 = maskRect_.width();
    const int h0 = maskRect_.height();
    const int w = w0 + 2 * spread;
    const int h = h0 + 2 * spread;
    std::vector<uint8_t> rows(static_cast<size_t>(w) * h0, 0);
    for (int y = 0; y < h0; ++y) {
        const uchar* src = scratch.constScanLine(y);
        uint8_t* dst = rows.data() + static_cast<size_t>(y) * w;
        // dst[x] covers source columns x - 2 * spread .. x (source column c sits at c + spread).
        int count = 0;
        for (int x = 0; x < w; ++x) {
            if (x < w0) {
                count += src[x] >= 128;
            }
            const int leaving = x - 2 * spread - 1;
            if (leaving >= 0 && leaving < w0) {
                count -= src[leaving] >= 128;
            }
            dst[x] = count > 0 ? 1 : 0;
        }
    }
    mask_.assign(static_cast<size_t>(w) * h, 0);
    for (int x = 0; x < w; ++x) {
        int count = 0;
        for (int y = 0; y < h; ++y) {
            if (y < h0) {
                count += rows[static_cast<size_t>(y) * w + x];
            }
            const int leaving = y - 2 * spread - 1;
            if (leaving >= 0 && leaving < h0) {
                count -= rows[static_cast<size_t>(leaving) * w + x];
            }
            mask_[static_cast<size_t>(y) * w + x] = count > 0 ? 1 : 0;
        }
    }
    maskRect_ = QRect(maskRect_.left() - spread, maskRect_.top() - spread, w, h);
    StampMask();
}
