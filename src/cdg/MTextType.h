#pragma once

#include <QString>

// How a text looks: face, height, style, alignment and the colour indices of text, outline and
// background.
class MTextType {
public:
    // Style flags
    static constexpr int kBold = 1;
    static constexpr int kItalic = 2;
    static constexpr int kOutline = 4;
    static constexpr int kUnderline = 8;
    // Horizontal alignment
    static constexpr int kHCentre = 0;
    static constexpr int kHLeft = 1;
    static constexpr int kHRight = 2;
    // Vertical alignment
    static constexpr int kVCentre = 0;
    static constexpr int kVTop = 1;
    static constexpr int kVBottom = 2;
    static constexpr int kFaceNameBytes = 128;

    MTextType() = default;
    MTextType(const QString& faceName, int colorIndex, int fontHeight, int styleFlags, int hAlign,
              int vAlign, int outlineColorIndex, int backgroundMode, int backgroundColorIndex);
    virtual ~MTextType() = default;
    MTextType(const MTextType&) = default;
    MTextType& operator=(const MTextType&) = default;

    bool IsBold() const { return (styleFlags & kBold) != 0; }
    bool IsItalic() const { return (styleFlags & kItalic) != 0; }
    bool HasOutline() const { return (styleFlags & kOutline) != 0; }
    bool IsUnderlined() const { return (styleFlags & kUnderline) != 0; }
    bool IsOpaque() const { return backgroundMode == 1; }

    // Thickness of the outline for a font height: height / 10, at least 1.
    static int OutlineThickness(int fontHeight);

    bool operator==(const MTextType& other) const;

    QString faceName = QStringLiteral("Arial");
    int colorIndex = 0;
    int fontHeight = 12;
    int styleFlags = 0;
    int hAlign = kHLeft;
    int vAlign = kVTop;
    int outlineColorIndex = 0;
    int backgroundMode = 0;
    int backgroundColorIndex = 0;
};
