#pragma once

// Geometry of the CD+G screen and of the picture every drawing is made in.
class CdgScreen {
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 216;
    static constexpr int kPitch = 304;  // bytes per row of a decoded screen
    static constexpr int kTileWidth = 6;
    static constexpr int kTileHeight = 12;
    static constexpr int kColumns = 50;
    static constexpr int kRows = 18;

    // The drawing picture covers screen tiles (1, 1) to (48, 16).
    static constexpr int kPictureWidth = 288;
    static constexpr int kPictureHeight = 192;
    static constexpr int kPictureColumns = 48;
    static constexpr int kPictureRows = 16;
    static constexpr int kPictureLeft = kTileWidth;  // screen x of picture x = 0
    static constexpr int kPictureTop = kTileHeight;  // screen y of picture y = 0
    static constexpr int kColours = 16;
};
