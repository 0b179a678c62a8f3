#pragma once

#include <QRect>

class MRwRenderer;

// A window that shows a renderer's screen. The renderer tells its views when part of the
// screen changed; the call can come from the decoding thread, so a view only schedules a repaint
// and paints later on its own thread through MRwRenderer::ViewIndices.
class MRwView {
public:
    virtual ~MRwView() = default;
    // Called when the view is attached (renderer) or detached (nullptr).
    virtual void SetRenderer(MRwRenderer* renderer) = 0;
    // screenRect is in screen pixels (300 x 216); the whole screen means repaint everything.
    virtual void ScreenChanged(const QRect& screenRect) = 0;
};
