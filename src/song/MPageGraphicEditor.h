#pragma once

#include <QString>

#include "base/MStatus.h"

class MSongSettings;
struct IMAGE_STRUCT;

// Puts a picture on a page of the song, or takes it off, as the Song Settings dialog does:
// the page's own text, singer, sweep, border and background colours (entries 9 to 15) survive
// a new picture, and the lyrics page gives the picture the upper half of the screen.
class MPageGraphicEditor {
public:
    static constexpr int kFirstKeptEntry = 9;
    static constexpr int kLyricsTextArea = 50;

    // Loads and converts the image file; fails with the reason (the page unchanged) when it
    // cannot be read.
    static MStatus Load(MSongSettings& song, IMAGE_STRUCT& page, const QString& path);
    // Removes the picture, keeping the palette, and resets the colour indices.
    static void Remove(MSongSettings& song, IMAGE_STRUCT& page);
};
