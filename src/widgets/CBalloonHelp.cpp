#include "widgets/CBalloonHelp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

namespace {

constexpr int kMargin = 8;
constexpr int kIconSize = 16;
constexpr int kTipHeight = 14;
constexpr int kTipHalfWidth = 8;
constexpr int kTipInset = 20;  // from the body's nearer side to the point
constexpr int kCorner = 8;

QRect ScreenRectAt(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QPoint CBalloonHelp::AnchorPoint(const QRect& r, int position) {
    const int cx = r.left() + r.width() / 2;
    const int cy = r.top() + r.height() / 2;
    const int right = r.left() + r.width();
    const int bottom = r.top() + r.height();
    switch (position) {
        case kTopLeft:
            return {r.left(), r.top()};
        case kTopRight:
            return {right, r.top()};
        case kCenter:
            return {cx, cy};
        case kLeftCenter:
            return {r.left(), cy};
        case kRightCenter:
            return {right, cy};
        case kBottomCenter:
            return {cx, bottom};
        case kBottomLeft:
            return {r.left(), bottom};
        case kBottomRight:
            return {right, bottom};
        default:
            return {cx, r.top()};
    }
}

QRect CBalloonHelp::AnchorRect(QWidget* anchor) {
    if (anchor == nullptr) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow*>(w) != nullptr && w->isVisible()) {
                anchor = w;
                break;
            }
        }
    }
    if (anchor == nullptr) {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr ? screen->geometry() : QRect();
    }
    return QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
}

CBalloonHelp* CBalloonHelp::Launch(const QString& title, const QString& text, QWidget* anchor,
                                   int position, const QIcon& icon, int options, const QString& url,
                                   int timeoutMs) {
    auto* balloon = new CBalloonHelp(title, text, icon, options, url);
    balloon->PlaceAt(AnchorPoint(AnchorRect(anchor), position));
    if (timeoutMs > 0) {
        balloon->timer_.start(timeoutMs);
    }
    balloon->show();
    return balloon;
}

CBalloonHelp::CBalloonHelp(const QString& title, const QString& text, const QIcon& icon,
                           int options, const QString& url)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
      title_(title),
      text_(text),
      icon_(icon),
      options_(options),
      url_(url) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAccessibleName(title);
    setAccessibleDescription(text);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
    if (options_ & kShowCloseButton) {
        closeButton_ = new QToolButton(this);
        closeButton_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        const int size = style()->pixelMetric(QStyle::PM_TitleBarButtonSize);
        closeButton_->setFixedSize(std::max(size, 16), std::max(size, 16));
        closeButton_->setAutoRaise(true);
        closeButton_->setAccessibleName(tr("Close"));
        connect(closeButton_, &QToolButton::clicked, this, &QWidget::close);
    }
    qApp->installEventFilter(this);
}

void CBalloonHelp::PlaceAt(const QPoint& anchor) {
    QFont bold = font();
    bold.setBold(true);
    const QSize titleSize = QFontMetrics(bold).size(0, title_);
    const QSize textSize = fontMetrics().size(0, text_);
    const int closeWidth = closeButton_ != nullptr ? closeButton_->width() + 4 : 0;
    const int iconWidth = icon_.isNull() ? 0 : kIconSize + 6;
    const int width =
        std::max(iconWidth + titleSize.width() + closeWidth, textSize.width()) + 2 * kMargin;
    const int height =
        std::max(titleSize.height(), kIconSize) + 4 + textSize.height() + 2 * kMargin;

    const QRect screen = ScreenRectAt(anchor);
    // Below the point (the point at the top) unless that runs off the screen.
    tipAbove_ = anchor.y() + kTipHeight + height <= screen.bottom() ||
                anchor.y() - kTipHeight - height < screen.top();
    // Body to the right of the point unless that runs off the screen.
    int left = anchor.x() - kTipInset;
    if (left + width > screen.right()) {
        left = anchor.x() - width + kTipInset;
    }
    // On the screen where it fits, with the point always within the balloon's width.
    left = std::min(std::max(left, screen.left()), screen.right() + 1 - width);
    left = std::clamp(left, anchor.x() - width, anchor.x());
    const int top = tipAbove_ ? anchor.y() : anchor.y() - kTipHeight - height;
    body_ = QRect(0, tipAbove_ ? kTipHeight : 0, width, height);
    setFixedSize(width + 1, height + kTipHeight + 1);
    move(left, top);
    tip_ = QPoint(anchor.x() - left, tipAbove_ ? 0 : height + kTipHeight);
    if (closeButton_ != nullptr) {
        closeButton_->move(body_.right() - kMargin / 2 - closeButton_->width(),
                           body_.top() + kMargin / 2);
    }
}

QPainterPath CBalloonHelp::Outline() const {
    QPainterPath path;
    path.addRoundedRect(body_, kCorner, kCorner);
    const int baseY = tipAbove_ ? body_.top() : body_.bottom();
    const int baseX = std::clamp(tip_.x(), body_.left() + kCorner + kTipHalfWidth,
                                 body_.right() - kCorner - kTipHalfWidth);
    QPainterPath tail;
    tail.moveTo(baseX - kTipHalfWidth, baseY);
    tail.lineTo(tip_);
    tail.lineTo(baseX + kTipHalfWidth, baseY);
    tail.closeSubpath();
    return path.united(tail);
}

void CBalloonHelp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().color(QPalette::ToolTipText));
    p.setBrush(palette().color(QPalette::ToolTipBase));
    p.drawPath(Outline());

    int x = body_.left() + kMargin;
    const int y = body_.top() + kMargin;
    if (!icon_.isNull()) {
        icon_.paint(&p, QRect(x, y, kIconSize, kIconSize));
        x += kIconSize + 6;
    }
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    const QFontMetrics boldMetrics(bold);
    p.drawText(QRect(x, y, body_.right() - x, std::max(boldMetrics.height(), kIconSize)),
               Qt::AlignLeft | Qt::AlignVCenter, title_);
    p.setFont(font());
    const int textTop = y + std::max(boldMetrics.height(), kIconSize) + 4;
    p.drawText(QRect(body_.left() + kMargin, textTop, body_.width() - 2 * kMargin,
                     body_.bottom() - textTop),
               Qt::AlignLeft | Qt::AlignTop, text_);
}

void CBalloonHelp::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !url_.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromUserInput(url_));
        close();
    }
}

bool CBalloonHelp::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
        watched->isWidgetType()) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        const bool down = type == QEvent::MouseButtonPress;
        int bit = 0;
        if (button == Qt::LeftButton) {
            bit = down ? kCloseOnLButtonDown : kCloseOnLButtonUp;
        } else if (button == Qt::MiddleButton) {
            bit = down ? kCloseOnMButtonDown : kCloseOnMButtonUp;
        } else if (button == Qt::RightButton) {
            bit = down ? kCloseOnRButtonDown : kCloseOnRButtonUp;
        }
        // A press on the close button closes through the button itself.
        const bool onCloseButton = closeButton_ != nullptr && watched == closeButton_;
        if ((options_ & bit) != 0 && !onCloseButton) {
            QTimer::singleShot(0, this, &QWidget::close);
        }
    }
    return QWidget::eventFilter(watched, event);
}
