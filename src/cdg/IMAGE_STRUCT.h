#pragma once

#include <QString>
#include <array>

#include "cdg/MBitmap.h"
#include "cdg/MRandom.h"
#include "cdg/MTextType.h"
#include "cdg/MTextTypeVer5.h"
#include "cdg/MTextTypeVer6.h"

// A page record: the title page, the lyrics page or the credits page, with its text, picture,
// colours, placement, transitions and display time.
struct IMAGE_STRUCT {
    static constexpr int kTitlePage = 101;
    static constexpr int kLyricsPage = 102;
    static constexpr int kCreditsPage = 103;

    // Text area of the Lyrics page: the share of the picture height, in per cent, that its
    // graphic may use. The lines are drawn in the rows below it.
    static constexpr int kTextAreaNone = 0;            // no graphic: lines over the whole screen
    static constexpr int kTextAreaHalf = 50;           // lines in the lower half
    static constexpr int kTextAreaThreeQuarters = 75;  // lines in the lowest quarter

    int pageId = 0;
    MTextType textType{QStringLiteral("Arial"), 12, 12, 0, MTextType::kHLeft,
                       MTextType::kVTop,        13, 0,  0};
    MBitmap picture;
    int placement = 0;
    bool hasGraphic = false;
    int ditherAmount = 1;
    int drawTransition = 2;
    int eraseTransition = 2;
    int backgroundColorIndex = 15;
    int borderColorIndex = 11;
    int textArea = kTextAreaNone;
    int displayTime = 200;  // hundredths of a second
    bool enabled = true;
    MTextTypeVer5 singerColors;
    MTextTypeVer6 perLineTypes;
    QString text;

    // The seed of the page's random choices (Block Dissolve): taken from what the page shows,
    // so that the same song always comes out as the same bytes.
    uint32_t RandomSeed() const {
        const QByteArray words = text.toUtf8();
        uint32_t seed = MRandom::SeedOf(words.constData(), static_cast<size_t>(words.size()));
        const int numbers[] = {pageId,      drawTransition,       eraseTransition,  placement,
                               displayTime, backgroundColorIndex, borderColorIndex, textArea};
        seed = MRandom::SeedOf(reinterpret_cast<const char*>(numbers), sizeof(numbers), seed);
        seed = MRandom::SeedOf(picture.colourTable.constData(),
                               static_cast<size_t>(picture.colourTable.size()), seed);
        return MRandom::SeedOf(picture.sourcePixels.constData(),
                               static_cast<size_t>(picture.sourcePixels.size()), seed);
    }

    // The page's 16 colours as colour values (red low).
    std::array<MRgb, 16> Colors() const { return picture.Colours(); }

    bool operator==(const IMAGE_STRUCT& o) const {
        return pageId == o.pageId && textType == o.textType && picture == o.picture &&
               placement == o.placement && hasGraphic == o.hasGraphic &&
               ditherAmount == o.ditherAmount && drawTransition == o.drawTransition &&
               eraseTransition == o.eraseTransition &&
               backgroundColorIndex == o.backgroundColorIndex &&
               borderColorIndex == o.borderColorIndex && textArea == o.textArea &&
               displayTime == o.displayTime && enabled == o.enabled &&
               singerColors == o.singerColors && perLineTypes == o.perLineTypes && text == o.text;
    }
};
