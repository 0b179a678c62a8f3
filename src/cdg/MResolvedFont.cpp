#include "cdg/MResolvedFont.h"

#include <QHash>
#include <mutex>

#include "cdg/MTextType.h"

namespace {

constexpr int kDefaultPixelSize = 16;
constexpr int kMaxPixelSize = 2048;

QFont MakeFont(const QString& faceName, int pixelSize, int styleFlags) {
    QFont font(faceName);
    font.setPixelSize(pixelSize);
    font.setWeight((styleFlags & MTextType::kBold) ? QFont::Bold : QFont::Normal);
    font.setItalic((styleFlags & MTextType::kItalic) != 0);
    font.setUnderline((styleFlags & MTextType::kUnderline) != 0);
    font.setStrikeOut(false);
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::ForceOutline));
    return font;
}

int CellOf(const QFont& font) {
    const QFontMetrics m(font);
    return m.ascent() + m.descent();
}

struct Key {
    QString face;
    int height;
    int flags;
    bool operator==(const Key&) const = default;
};

size_t qHash(const Key& k, size_t seed = 0) {
    return ::qHash(k.face, seed) ^ (static_cast<size_t>(k.height) * 31u) ^
           (static_cast<size_t>(k.flags) << 20);
}

}  // namespace

MResolvedFont::MResolvedFont(const QFont& font, int cellHeight)
    : font_(font), metrics_(font), cellHeight_(cellHeight) {}

int MResolvedFont::Advance(const QString& text) const {
    std::lock_guard<std::mutex> lock(widthsMutex_);
    if (auto it = widths_.constFind(text); it != widths_.constEnd()) {
        return it.value();
    }
    const int width = metrics_.horizontalAdvance(text);
    if (widths_.size() >= 4096) {
        widths_.clear();
    }
    widths_.insert(text, width);
    return width;
}

std::shared_ptr<const MResolvedFont> MResolvedFont::Resolve(const QString& faceName, int height,
                                                            int styleFlags) {
    static std::mutex mutex;
    static QHash<Key, std::shared_ptr<const MResolvedFont>> cache;
    const int flags = styleFlags & (MTextType::kBold | MTextType::kItalic | MTextType::kUnderline);
    const Key key{faceName, height, flags};
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = cache.constFind(key); it != cache.constEnd()) {
        return it.value();
    }

    std::shared_ptr<const MResolvedFont> resolved;
    if (height <= 0) {
        const int pixelSize = height == 0 ? kDefaultPixelSize : std::min(-height, kMaxPixelSize);
        const QFont font = MakeFont(faceName, pixelSize, flags);
        resolved = std::make_shared<MResolvedFont>(font, CellOf(font));
    } else {
        // The largest pixel size whose cell still fits the requested height. Cell heights grow
        // with the pixel size, so a binary search finds it.
        int lo = 1;
        int hi = std::min(height, kMaxPixelSize);
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (CellOf(MakeFont(faceName, mid, flags)) <= height) {
                lo = mid;
            } else {
                hi = mid - 1;
            }
        }
        resolved = std::make_shared<MResolvedFont>(MakeFont(faceName, lo, flags), height);
    }
    if (cache.size() > 512) {
        cache.clear();
    }
    cache.insert(key, resolved);
    return resolved;
}
