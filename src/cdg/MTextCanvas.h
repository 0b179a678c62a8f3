#pragma once

#include <QRect>
#include <QString>
#include <memory>

#include "cdg/MBox.h"
#include "cdg/MPicture.h"
#include "cdg/MResolvedFont.h"

// A drawing context on a picture: a selected font, a text colour, a background mode and colour.
// Drawing follows the rules of single-line text output in a rectangle: top-left aligned,
// clipped to the rectangle, '&' marks the next character as a mnemonic (not drawn, the character
// underlined) and '&&' draws one '&'. Colours land on the nearest entry of the picture's table,
// and nothing is antialiased, so every pixel holds one exact colour index.
class MTextCanvas {
public:
    explicit MTextCanvas(MPicture* picture);

    MPicture& Picture() { return *picture_; }

    void SelectFont(std::shared_ptr<const MResolvedFont> font) { font_ = std::move(font); }
    const MResolvedFont& Font() const;

    void SetTextColour(MRgb colour) { textIndex_ = picture_->NearestIndex(colour); }
    void SetBackgroundColour(MRgb colour) { backgroundIndex_ = picture_->NearestIndex(colour); }
    void SetOpaque(bool opaque) { opaque_ = opaque; }

    // Width of the text as given (every character counted) and the font's cell height.
    int TextWidth(const QString& text) const { return Font().Advance(text); }
    int TextHeight() const { return Font().CellHeight(); }
    int AverageCharWidth() const { return Font().AverageCharWidth(); }

    // Draws text in box with the current colours. In opaque mode the cells behind the drawn
    // characters are first filled with the background colour.
    void DrawText(const MBox& box, const QString& text);

    // Draws (2 x spread + 1)^2 copies of the text, each in box shifted by (dx, dy) for every dx
    // and dy from -spread to spread, in the text colour with a transparent background.
    void DrawTextSpread(const MBox& box, const QString& text, int spread);

    // The text as it shows on screen: every '&' that marks a mnemonic removed.
    static QString StripMnemonics(const QString& text);

private:
    // Renders the glyphs of text in box into the scratch image, restricted to the picture
    // widened by margin on every side; maskRect_ says where (picture coordinates). Returns false
    // when nothing can be visible.
    bool RenderMask(const MBox& box, const QString& text, int margin);
    // Sets the text colour into the picture wherever the scratch image has a glyph pixel.
    void StampScratch();
    void StampMask();

    MPicture* picture_;
    mutable std::shared_ptr<const MResolvedFont> font_;
    int textIndex_ = 0;
    int backgroundIndex_ = 0;
    bool opaque_ = false;

    QRect maskRect_;
    std::vector<uint8_t> mask_;  // one byte per pixel of maskRect_, non-zero where a glyph is
};
