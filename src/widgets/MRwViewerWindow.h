#pragma once

#include <QImage>
#include <QWidget>
#include <atomic>
#include <functional>

#include "cdg/MRwView.h"

class MRwRenderer;

// A child window that shows a renderer's CD+G screen scaled to its size, with the border strips
// around the inner area. Without a renderer it is black. Character keys typed into it go to
// its parent as key presses; every event, after default handling, is also passed to an
// optional message hook.
class MRwViewerWindow : public QWidget, public MRwView {
public:
    using MessageHook = std::function<void(MRwViewerWindow* window, QEvent* event, void* user)>;

    explicit MRwViewerWindow(QWidget* parent = nullptr);
    ~MRwViewerWindow() override;

    // Places the window as a child of parent at the given rectangle and shows it when visible.
    bool Create(QWidget* parent, const QString& title, bool visible, int x, int y, int width,
                int height);
    void SetMessageHook(MessageHook hook, void* user);

    MRwRenderer* Renderer() const { return renderer_.load(); }

    // MRwView
    void SetRenderer(MRwRenderer* renderer) override;
    void ScreenChanged(const QRect& screenRect) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::atomic<MRwRenderer*> renderer_{nullptr};
    QImage backing_;
    MessageHook hook_;
    void* hookUser_ = nullptr;
};
