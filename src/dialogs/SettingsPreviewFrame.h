#pragma once

#include <QWidget>
#include <memory>

class MRwRenderer;
class MRwViewerWindow;

// The preview of a settings page: a renderer's CD+G screen shown at the largest 4:3 rectangle
// that fits the frame, at its top left corner.
class SettingsPreviewFrame : public QWidget {
public:
    explicit SettingsPreviewFrame(const QString& accessibleName, QWidget* parent = nullptr);
    ~SettingsPreviewFrame() override;

    MRwRenderer& Renderer() const { return *renderer_; }
    MRwViewerWindow* Viewer() const { return viewer_; }
    // The largest 4:3 rectangle at the top left of an area of the given size.
    static QRect FourByThree(const QSize& area);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<MRwRenderer> renderer_;
    MRwViewerWindow* viewer_;
};
