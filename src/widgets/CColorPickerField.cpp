#include "widgets/CColorPickerField.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

CColorPickerField::CColorPickerField(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setAccessibleName(kind == Kind::HueSaturation ? tr("Hue and saturation") : tr("Brightness"));
    setCursor(Qt::CrossCursor);
}

QSize CColorPickerField::sizeHint() const {
    return kind_ == Kind::HueSaturation ? QSize(180, 150) : QSize(20, 150);
}

int CColorPickerField::HueAt(int x, int width) {
    return width > 0 ? std::clamp(x * 360 / width, 0, 360) : 0;
}

int CColorPickerField::LevelAt(int y, int height) {
    return height > 0 ? std::clamp(100 - y * 100 / height, 0, 100) : 0;
}

void CColorPickerField::SetValues(int hue, int saturation, int brightness) {
    hue_ = hue;
    saturation_ = saturation;
    brightness_ = brightness;
    update();
}

void CColorPickerField::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (kind_ == Kind::HueSaturation) {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            const int s = LevelAt(y, h);
            for (int x = 0; x < w; ++x) {
                const int hue = HueAt(x, w);
                line[x] = QColor::fromHsv(hue == 360 ? 0 : hue, s * 255 / 100, 255).rgb();
            }
        }
        p.drawImage(0, 0, image);
        const int cx = w > 0 ? hue_ * w / 360 : 0;
        const int cy = h - saturation_ * h / 100;
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::black);
        p.drawEllipse(QPoint(cx, cy), 5, 5);
    } else {
        QLinearGradient gradient(0, 0, 0, h);
        gradient.setColorAt(0, QColor::fromHsv(hue_ % 360, saturation_ * 255 / 100, 255));
        gradient.setColorAt(1, Qt::black);
        p.fillRect(rect(), gradient);
        const int y = h - brightness_ * h / 100;
        p.setPen(Qt::black);
        p.drawLine(0, y, w, y);
    }
}

void CColorPickerField::Track(const QPoint& point) {
    if (!changed_) {
        return;
    }
    if (kind_ == Kind::HueSaturation) {
        changed_(HueAt(point.x(), width()), LevelAt(point.y(), height()));
    } else {
        changed_(LevelAt(point.y(), height()), 0);
    }
}

void CColorPickerField::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;  // the widget keeps the mouse until the button is released
        Track(event->position().toPoint());
    }
}

void CColorPickerField::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        Track(event->position().toPoint());
    }
}

void CColorPickerField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        Track(event->position().toPoint());
        dragging_ = false;
    }
}
