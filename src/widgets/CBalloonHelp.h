#pragma once

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QToolButton;

// A pop-up with a pointed outline whose point sits on an anchor: it explains why an input was
// refused. It shows an icon, a title and the text, and closes when its timeout expires or on the
// mouse events chosen by its options (watched application-wide while it is open).
class CBalloonHelp : public QWidget {
    Q_OBJECT

public:
    enum Options {
        kCloseOnLButtonUp = 0x1,
        kCloseOnMButtonUp = 0x2,
        kCloseOnRButtonUp = 0x4,
        kCloseOnLButtonDown = 0x8,
        kCloseOnMButtonDown = 0x10,
        kCloseOnRButtonDown = 0x20,
        kShowCloseButton = 0x800,
    };
    // Where on the anchor's rectangle the point sits.
    enum Position {
        kTopCenter = 0,
        kTopLeft,
        kTopRight,
        kCenter,
        kLeftCenter,
        kRightCenter,
        kBottomCenter,
        kBottomLeft,
        kBottomRight
    };

    // Opens a balloon; it deletes itself when it closes. Without an anchor the main window is
    // used, else the desktop. url, when given, is opened by a click on the balloon; timeoutMs 0
    // keeps it open until a close event.
    static CBalloonHelp* Launch(const QString& title, const QString& text, QWidget* anchor,
                                int position, const QIcon& icon, int options,
                                const QString& url = QString(), int timeoutMs = 0);

    // The anchor point (global coordinates) for a position code on a rectangle.
    static QPoint AnchorPoint(const QRect& rect, int position);
    // The rectangle (global coordinates) a balloon anchored at anchor points into.
    static QRect AnchorRect(QWidget* anchor);

    // Where the point is, in global coordinates.
    QPoint TipPosition() const { return mapToGlobal(tip_); }
    QString Title() const { return title_; }
    QString Text() const { return text_; }
    QToolButton* CloseButton() const { return closeButton_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CBalloonHelp(const QString& title, const QString& text, const QIcon& icon, int options,
                 const QString& url);
    void PlaceAt(const QPoint& anchor);
    QPainterPath Outline() const;

    QString title_;
    QString text_;
    QIcon icon_;
    int options_;
    QString url_;
    QTimer timer_;
    QToolButton* closeButton_ = nullptr;
    QRect body_;  // the rounded body, in widget coordinates
    QPoint tip_;  // the point, in widget coordinates
    bool tipAbove_ = false;
};
