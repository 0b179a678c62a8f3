#pragma once

#include <QPushButton>
#include <array>

// A push button that paints its own face: seven colours, each a colour value 0x00BBGGRR as the
// settings and the mode panels write them, in this order: text, face, a third face colour, light
// edge, highlight edge, shadow edge, dark shadow edge. New buttons take the style's colours.
//
// The page arrows of the panels are captioned "ç" and "è" in a "Wingdings" font; the button
// shows them as left and right arrows, named "Previous page" and "Next page" for screen readers.
class CColorButton : public QPushButton {
    Q_OBJECT

public:
    enum ColorIndex {
        kText = 0,
        kFace,
        kFace2,
        kLight,
        kHighlight,
        kShadow,
        kDarkShadow,
        kColorCount
    };
    static constexpr int kKeep = -1;
    static constexpr int kKeepSize = -999;

    explicit CColorButton(QWidget* parent = nullptr);
    CColorButton(const QString& caption, QWidget* parent = nullptr);

    // Each value kKeep leaves that colour as it is.
    void SetColors(int text, int face = kKeep, int face2 = kKeep, int light = kKeep,
                   int highlight = kKeep, int shadow = kKeep, int darkShadow = kKeep);
    // An empty face or kKeepSize keeps that part of the font.
    void SetButtonFont(const QString& face, int pointSize = kKeepSize);
    QColor Color(ColorIndex index) const { return colors_[index]; }
    bool UsesSymbolFont() const { return symbolFont_; }

    // The caption: "&" marks the mnemonic; in a symbol font "ç"/"è" become arrows.
    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

    static QColor FromColorValue(int value);
    // True for "Wingdings" and "Webdings", letter case ignored.
    static bool IsSymbolFace(const QString& face);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Sunken when pressed (and, for the radio kind, when checked).
    virtual bool IsSunken() const;

private:
    void ApplyCaption();

    std::array<QColor, kColorCount> colors_;
    QString caption_;
    bool symbolFont_ = false;
};
