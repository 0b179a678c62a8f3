#include "cdg/MTextType.h"

#include <algorithm>

MTextType::MTextType(const QString& faceName, int colorIndex, int fontHeight, int styleFlags,
                     int hAlign, int vAlign, int outlineColorIndex, int backgroundMode,
                     int backgroundColorIndex)
    : faceName(faceName),
      colorIndex(colorIndex),
      fontHeight(fontHeight),
      styleFlags(styleFlags),
      hAlign(hAlign),
      vAlign(vAlign),
      outlineColorIndex(outlineColorIndex),
      backgroundMode(backgroundMode),
      backgroundColorIndex(backgroundColorIndex) {}

int MTextType::OutlineThickness(int fontHeight) {
    return std::max(1, fontHeight / 10);
}

bool MTextType::operator==(const MTextType& o) const {
    return faceName == o.faceName && colorIndex == o.colorIndex && fontHeight == o.fontHeight &&
           styleFlags == o.styleFlags && hAlign == o.hAlign && vAlign == o.vAlign &&
           outlineColorIndex == o.outlineColorIndex && backgroundMode == o.backgroundMode &&
           backgroundColorIndex == o.backgroundColorIndex;
}
