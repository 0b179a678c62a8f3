#pragma once

#include <QImage>
#include <QRect>

class MRwRenderer;

// Pictures of a renderer's screen: the whole screen memory, or what a view of a given size
// shows (the inner area with the fine offsets, stretched, and the border strips).
class MRwScreenImage {
public:
    // RGB32 pictures.
    static QImage Raw(const MRwRenderer& renderer);
    static QImage View(const MRwRenderer& renderer, int width, int height);
    // 8-bit pictures with the 16-colour table (small and quick to save).
    static QImage RawIndexed(const MRwRenderer& renderer);
    static QImage ViewIndexed(const MRwRenderer& renderer, int width, int height);
    // Paints region of a view whose size is target's size into target (RGB32).
    static void Paint(const MRwRenderer& renderer, QImage& target, const QRect& region);
};
