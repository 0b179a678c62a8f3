#pragma once

#include <QRect>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "cdg/CdgColour.h"
#include "cdg/CdgScreen.h"

class MRwView;

// The decoded CD+G screen: 300 x 216 colour indices, a 16-colour table, the border colour and
// the fine scroll offsets. The decoding operations correspond one to one to the CD+G
// instructions; every change is announced to the attached views, which paint the screen scaled
// to their size with the border strips around it. The screen may be changed from a decoding
// thread while views paint on the user-interface thread; a lock keeps both consistent.
class MRwRenderer {
public:
    static constexpr int kWidth = CdgScreen::kWidth;
    static constexpr int kHeight = CdgScreen::kHeight;
    static constexpr int kPitch = CdgScreen::kPitch;

    MRwRenderer();
    virtual ~MRwRenderer();
    MRwRenderer(const MRwRenderer&) = delete;
    MRwRenderer& operator=(const MRwRenderer&) = delete;

    // Memory Preset: a colour above 15 keeps the previous memory colour.
    void ClearScreen(int colour);
    // Border Preset: a colour above 15 keeps the previous border colour.
    void SetBorderColor(int colour);
    void LoadColors(int first, int count, const MRgb* colours);
    void DrawTile(int row, int column, int colour0, int colour1, const uint8_t rows[12]);
    void XorTile(int row, int column, int colour0, int colour1, const uint8_t rows[12]);
    void ScrollPreset(int fill, int hCommand, int hOffset, int vCommand, int vOffset);
    void ScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset);
    void SetTransparentColor(int index);

    // Direct access to the current screen for preview drawing; hold it briefly.
    uint8_t* LockScreen(int* pitch);
    void UnlockScreen();

    // Announce a changed screen rectangle, or everything, to the attached views.
    void PresentRect(const QRect& rect);
    void PresentAll();

    void AttachWindow(MRwView* view);
    void DetachWindow(MRwView* view);
    void DetachAllWindows();

    // While suspended nothing is announced to the views.
    void SetSuspended(bool suspended);
    bool IsSuspended() const;

    MRgb Color(int index) const;
    std::array<MRgb, 16> ColorTable() const;
    int MemoryColor() const;
    int BorderColor() const;
    int HorizontalOffset() const;
    int VerticalOffset() const;
    int TransparentColor() const;
    bool HasTransparentColor() const;
    uint8_t PixelAt(int x, int y) const;

    // What a view of width x height shows, as colour indices, for the pixels of region (view
    // coordinates; out receives region's rows, outPitch bytes apart): the inner area with the
    // fine offsets, stretched to the view, and the four border strips in the border colour.
    // colours, when given, receives the colour table of the same moment.
    void ViewIndices(uint8_t* out, int outPitch, int width, int height, const QRect& region,
                     std::array<MRgb, 16>* colours = nullptr) const;
    // The whole screen memory, 300 x 216 indices, with the colour table of the same moment.
    std::vector<uint8_t> ScreenIndices(std::array<MRgb, 16>* colours = nullptr) const;
    // The view rectangle (in view pixels of a view of the given size) that shows screenRect.
    static QRect ViewRectForScreenRect(const QRect& screenRect, int width, int height);

private:
    void TileOp(int row, int column, int colour0, int colour1, const uint8_t rows[12],
                bool xorMode);
    void Scroll(int fill, int hCommand, int hOffset, int vCommand, int vOffset, bool wrap);
    void Announce(const QRect& rect);
    void ViewIndicesLocked(uint8_t* out, int outPitch, int width, int height,
                           const QRect& region) const;
    uint8_t* Current() { return screens_[current_].data(); }
    const uint8_t* Current() const { return screens_[current_].data(); }

    mutable std::mutex screenMutex_;
    std::array<std::vector<uint8_t>, 2> screens_;
    int current_ = 0;
    std::array<MRgb, 16> colours_{};
    int memoryColor_ = 0;
    int borderColor_ = 0;
    int transparentColor_ = 0;
    bool transparentDefined_ = false;
    int hOffset_ = 0;
    int vOffset_ = 0;
    bool suspended_ = false;
    // The screen holds memoryColor_ everywhere (a repeated Memory Preset has nothing to do).
    bool uniform_ = false;

    mutable std::mutex viewsMutex_;
    std::vector<MRwView*> views_;
    std::atomic<int> viewCount_{0};
};
