#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cdg/CdgColour.h"

class MRwRenderer;

// Paints the viewer's picture of a decoded CD+G screen (the inner area with the border strips,
// 300 x 216) into the planes of a Y'CbCr video picture: every CD+G pixel becomes a square block
// of whole video pixels (no smoothing), the largest that fits, centred on black. Colours are
// converted with the BT.709 matrix to studio range. The chroma planes are full size or halved in
// both directions (4:2:0, where each chroma sample is the mean of its four pixels).
//
// Only the rows of the screen that changed since the last call are painted again, so the planes
// must keep what was painted into them between calls.
class MVideoFramePainter {
public:
    static constexpr int kPictureWidth = 300;
    static constexpr int kPictureHeight = 216;

    // width and height of the video picture (even numbers, at least the picture's size).
    MVideoFramePainter(int width, int height, bool halfChroma);

    int Scale() const { return scale_; }
    // Where the picture starts in the video picture.
    int Left() const { return left_; }
    int Top() const { return top_; }

    // Brings the planes up to the renderer's screen; everything is painted on the first call or
    // with repaint set. Returns whether anything was painted.
    bool Paint(const MRwRenderer& renderer, uint8_t* const planes[3], const int lineBytes[3],
               bool repaint = false);
    // The same for a picture already taken: 300 x 216 colour indices and their colours.
    bool Paint(const uint8_t* indices, const std::array<MRgb, 16>& colours,
               uint8_t* const planes[3], const int lineBytes[3], bool repaint = false);

    // Studio-range BT.709 Y', Cb, Cr of a colour.
    static std::array<uint8_t, 3> YuvOf(MRgb colour);

private:
    bool PaintTaken(uint8_t* const planes[3], const int lineBytes[3], bool repaint);
    void PaintAll(uint8_t* const planes[3], const int lineBytes[3]);
    void PaintLumaRows(int firstRow, int endRow, uint8_t* plane, int lineBytes, int channel);
    void PaintHalfChroma(int firstRow, int endRow, uint8_t* plane, int lineBytes, int channel);

    int width_;
    int height_;
    bool halfChroma_;
    int scale_ = 1;
    int left_ = 0;
    int top_ = 0;
    bool painted_ = false;
    std::vector<uint8_t> indices_;
    std::vector<uint8_t> shown_;
    std::array<MRgb, 16> colours_{};
    std::array<MRgb, 16> shownColours_{};
    // Y', Cb, Cr of each colour index.
    std::array<std::array<uint8_t, 16>, 3> yuv_{};
    std::vector<uint8_t> row_;
};
