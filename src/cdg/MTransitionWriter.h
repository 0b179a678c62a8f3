#pragma once

#include <QString>
#include <cstdint>

#include "cdg/MPicture.h"
#include "cdg/MRandom.h"

class MRwGenerator;

// The eleven ways a page picture comes onto the screen, written as contiguous runs of packets
// whose length decides how long each takes.
class MTransitionWriter {
public:
    enum Code {
        kFillRight = 0,
        kFillLeft = 1,
        kFillDown = 2,
        kFillUp = 3,
        kScrollRight = 4,
        kScrollLeft = 5,
        kScrollDown = 6,
        kScrollUp = 7,
        kBlockDissolve = 8,
        kFadeIn = 9,
        kFadeOut = 10,
    };

    // random drives Block Dissolve.
    MTransitionWriter(MRwGenerator& generator, MRandom& random);

    uint32_t RunTransition(const MPicture& picture, int code, const MPicture::ColourTable& colours,
                           int backgroundIndex, uint32_t position);

    // "Fill Right" ... "Fade Out"; empty for an unknown code.
    static QString TransitionName(int code);
    // "Top", "Center", "Bottom", "Tiled", "Stretched"; empty for an unknown code.
    static QString PlacementName(int code);

private:
    uint32_t Tile(const MPicture& picture, int column, int row, int screenColumn, int screenRow);
    uint32_t Scroll(int hCommand, int hOffset, int vCommand, int vOffset);
    // Scroll Right, Left, Down or Up.
    void ScrollIn(const MPicture& picture, int code, int rows, int lastRowUp);
    uint32_t Colours(const MPicture::ColourTable& colours);

    MRwGenerator& gen_;
    MRandom& random_;
    uint32_t position_ = 0;
    uint32_t total_ = 0;
};
