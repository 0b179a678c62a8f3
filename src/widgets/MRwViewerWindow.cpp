#include "widgets/MRwViewerWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

#include "cdg/MRwRenderer.h"
#include "cdg/MRwScreenImage.h"

MRwViewerWindow::MRwViewerWindow(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::ArrowCursor);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

MRwViewerWindow::~MRwViewerWindow() {
    if (MRwRenderer* r = renderer_.load()) {
        r->DetachWindow(this);
    }
}

bool MRwViewerWindow::Create(QWidget* parent, const QString& title, bool visible, int x, int y,
                             int width, int height) {
    setParent(parent);
    setWindowTitle(title);
    setGeometry(x, y, width, height);
    setVisible(visible);
    return true;
}

void MRwViewerWindow::SetMessageHook(MessageHook hook, void* user) {
    hook_ = std::move(hook);
    hookUser_ = user;
}

void MRwViewerWindow::SetRenderer(MRwRenderer* renderer) {
    renderer_ = renderer;
    ScreenChanged(QRect(0, 0, MRwRenderer::kWidth, MRwRenderer::kHeight));
}

void MRwViewerWindow::ScreenChanged(const QRect& screenRect) {
    // May run on the decoding thread: only schedule the repaint, on this window's thread.
    if (QThread::currentThread() == thread()) {
        update(MRwRenderer::ViewRectForScreenRect(screenRect, width(), height()));
    } else {
        QMetaObject::invokeMethod(
            this,
            [this, screenRect] {
                update(MRwRenderer::ViewRectForScreenRect(screenRect, width(), height()));
            },
            Qt::QueuedConnection);
    }
}

bool MRwViewerWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (hook_) {
        hook_(this, event, hookUser_);
    }
    return handled;
}

void MRwViewerWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    MRwRenderer* renderer = renderer_.load();
    if (renderer == nullptr) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    if (backing_.size() != size()) {
        backing_ = QImage(size(), QImage::Format_RGB32);
        MRwScreenImage::Paint(*renderer, backing_, backing_.rect());
    } else {
        MRwScreenImage::Paint(*renderer, backing_, event->rect());
    }
    painter.drawImage(event->rect(), backing_, event->rect());
}

void MRwViewerWindow::keyPressEvent(QKeyEvent* event) {
    QWidget* parent = parentWidget();
    if (parent != nullptr && !event->text().isEmpty() && event->text()[0].isPrint()) {
        QCoreApplication::postEvent(
            parent, new QKeyEvent(QEvent::KeyPress, event->key(), event->modifiers(), event->text(),
                                  event->isAutoRepeat(), event->count()));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
