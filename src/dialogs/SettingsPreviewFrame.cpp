#include "dialogs/SettingsPreviewFrame.h"

#include <QResizeEvent>

#include "cdg/MRwRenderer.h"
#include "widgets/MRwViewerWindow.h"

SettingsPreviewFrame::SettingsPreviewFrame(const QString& accessibleName, QWidget* parent)
    : QWidget(parent), renderer_(std::make_unique<MRwRenderer>()), viewer_(new MRwViewerWindow) {
    viewer_->Create(this, accessibleName, true, 0, 0, 160, 120);
    viewer_->setAccessibleName(accessibleName);
    renderer_->AttachWindow(viewer_);
    setMinimumSize(320, 240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

SettingsPreviewFrame::~SettingsPreviewFrame() {
    renderer_->DetachAllWindows();
}

QRect SettingsPreviewFrame::FourByThree(const QSize& area) {
    const int w = std::min(area.width(), area.height() * 4 / 3);
    return QRect(0, 0, std::max(0, w), std::max(0, w * 3 / 4));
}

void SettingsPreviewFrame::resizeEvent(QResizeEvent* event) {
    viewer_->setGeometry(FourByThree(event->size()));
    QWidget::resizeEvent(event);
}
