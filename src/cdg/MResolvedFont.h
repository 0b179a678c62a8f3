#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>
#include <memory>
#include <mutex>

// A font ready for drawing lyrics: a Qt font without antialiasing or kerning, sized so that
// its cell (ascent + descent) matches the height the song asks for.
class MResolvedFont {
public:
    MResolvedFont(const QFont& font, int cellHeight);

    const QFont& Font() const { return font_; }
    const QFontMetrics& Metrics() const { return metrics_; }
    // Height of one text line as layouts see it.
    int CellHeight() const { return cellHeight_; }
    int Ascent() const { return metrics_.ascent(); }
    int AverageCharWidth() const { return metrics_.averageCharWidth(); }
    // Advance width of a text; remembered, since layouts measure the same texts again and again.
    int Advance(const QString& text) const;

    // Resolves a face, a song font height and style flags (bold, italic, underline). A positive
    // height is the cell height; 0 asks for the default size; a negative height is the em size.
    // Results are cached; safe to call from any thread once the GUI application exists.
    static std::shared_ptr<const MResolvedFont> Resolve(const QString& faceName, int height,
                                                        int styleFlags);

private:
    QFont font_;
    QFontMetrics metrics_;
    int cellHeight_;
    mutable std::mutex widthsMutex_;
    mutable QHash<QString, int> widths_;
};
