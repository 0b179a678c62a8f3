#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "cdg/IMAGE_STRUCT.h"
#include "cdg/MIndexedPicture.h"
#include "cdg/MPicture.h"

class MRwGenerator;

// Draws the title and credits pages and the lyrics-page graphic: places a page picture,
// draws the page text onto it and brings it on screen with the page's transition.
class MPageDrawer {
public:
    explicit MPageDrawer(MRwGenerator& generator) : gen_(generator) {}

    // The 288 x 192 picture with the bitmap placed on a background of backgroundIndex.
    static std::unique_ptr<MPicture> FitImage(const MIndexedPicture& bitmap, int placement,
                                              int backgroundIndex);

    uint32_t DrawImagePage(const MIndexedPicture& bitmap, int placement, int transition,
                           const MPicture::ColourTable& colours, int backgroundIndex,
                           uint32_t position);
    uint32_t DrawImageTextPage(const MIndexedPicture& bitmap, int placement, int transition,
                               const MPicture::ColourTable& colours, int backgroundIndex,
                               const QString& text, const MTextType& textType, uint32_t position);
    uint32_t DrawTextPage(const QString& text, const MTextType& textType, int transition,
                          int backgroundIndex, const MPicture::ColourTable& colours,
                          uint32_t position, const MTextTypeVer6* perLineTypes);
    // The whole page: colours and presets, picture or text with the draw transition, the
    // display time, and (withErase) the erase transition to the plain background.
    uint32_t DrawPage(IMAGE_STRUCT& page, bool withErase, uint32_t position);

private:
    // Shows rows [0, rows) of tile rows of the picture in the preview renderer, if any.
    void Preview(const MPicture& picture, int tileRows);

    MRwGenerator& gen_;
};
