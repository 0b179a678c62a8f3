#pragma once

#include <QFrame>
#include <memory>

class MRwRenderer;
class MRwViewerWindow;
class MSongSettings;

// The CD+G preview of a work-mode panel: a frame holding a viewer inset by 2 pixels, and the
// renderer the viewer shows, given the lyrics page's palette, border and background.
class ModePreview : public QFrame {
    Q_OBJECT

public:
    static constexpr int kInset = 2;

    ModePreview(MSongSettings& song, QWidget* parent);
    ~ModePreview() override;

    MRwRenderer* Renderer() const { return renderer_.get(); }
    MRwViewerWindow* Viewer() const { return viewer_; }
    // The frame takes rect; the viewer fills it less the inset.
    void Place(const QRect& rect);
    // The lyrics page's colours, border and background, as every panel shows them.
    void ResetScreen(const MSongSettings& song);

private:
    std::unique_ptr<MRwRenderer> renderer_;
    MRwViewerWindow* viewer_ = nullptr;
};
