#include "modes/PlayButtonImages.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace {

constexpr int kSize = 32;

void Triangle(QPainter& p, const QColor& colour) {
    QPainterPath path;
    path.moveTo(10, 7);
    path.lineTo(25, 16);
    path.lineTo(10, 25);
    path.closeSubpath();
    p.fillPath(path, colour);
}

void Square(QPainter& p, const QColor& colour) {
    p.fillRect(QRect(9, 9, 14, 14), colour);
}

void Loop(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour, 3));
    p.drawArc(QRect(6, 8, 20, 16), 30 * 16, 300 * 16);
}

}  // namespace

QIcon PlayButtonImages::Make(Image image) {
    const QColor background(0xC0, 0xC0, 0xC0);
    QImage picture(kSize, kSize, QImage::Format_RGB32);
    picture.fill(background);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing, false);
        switch (image) {
            case kAuditionIdle:
                Triangle(p, QColor(0, 128, 0));
                break;
            case kAuditionPlaying:
                Square(p, QColor(192, 0, 0));
                break;
            case kAuditionDuringAdjust:
                Triangle(p, QColor(128, 128, 128));
                break;
            case kAdjustPlaying:
                Square(p, QColor(192, 0, 0));
                Loop(p, QColor(192, 0, 0));
                break;
            case kAdjustReady:
                Loop(p, QColor(0, 0, 160));
                break;
            case kAdjustDisabled:
                Loop(p, QColor(128, 128, 128));
                break;
            case kImageCount:
                break;
        }
    }
    if (image == kAuditionDuringAdjust || image == kAdjustDisabled) {
        // The background becomes the menu colour, as the top-left pixel shows it.
        const QRgb from = picture.pixel(0, 0);
        const QRgb to = QApplication::palette().color(QPalette::Window).rgb();
        for (int y = 0; y < kSize; ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < kSize; ++x) {
                if (line[x] == from) {
                    line[x] = to;
                }
            }
        }
    }
    return QIcon(QPixmap::fromImage(picture));
}
