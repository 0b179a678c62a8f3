#pragma once

#include <QWidget>
#include <functional>

// The colour picker's drawing areas: the hue and saturation field (hue across, 0 at the left and
// 360 at the right; saturation up, 0 at the bottom and 100 at the top, with a black circle at the
// current point) or the brightness strip (0 at the bottom, 100 at the top). Dragging with the
// left button reports the values under the mouse.
class CColorPickerField : public QWidget {
    Q_OBJECT

public:
    enum class Kind { HueSaturation, Brightness };
    // Called while dragging: hue and saturation, or brightness (first value) for the strip.
    using Changed = std::function<void(int first, int second)>;

    CColorPickerField(Kind kind, QWidget* parent = nullptr);

    void SetOnChanged(Changed changed) { changed_ = std::move(changed); }
    void SetValues(int hue, int saturation, int brightness);

    // Hue and saturation at a point of a field of that size, clamped to their ranges.
    static int HueAt(int x, int width);
    static int LevelAt(int y, int height);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Track(const QPoint& point);

    Kind kind_;
    Changed changed_;
    int hue_ = 0;
    int saturation_ = 0;
    int brightness_ = 0;
    bool dragging_ = false;
};
