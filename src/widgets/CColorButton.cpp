#include "widgets/CColorButton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

CColorButton::CColorButton(QWidget* parent) : CColorButton(QString(), parent) {}

CColorButton::CColorButton(const QString& caption, QWidget* parent) : QPushButton(parent) {
    const QPalette& p = palette();
    colors_ = {p.color(QPalette::ButtonText), p.color(QPalette::Button), p.color(QPalette::Button),
               p.color(QPalette::Midlight),   p.color(QPalette::Light),  p.color(QPalette::Mid),
               p.color(QPalette::Shadow)};
    SetCaption(caption);
}

QColor CColorButton::FromColorValue(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

bool CColorButton::IsSymbolFace(const QString& face) {
    return face.compare(QLatin1String("Wingdings"), Qt::CaseInsensitive) == 0 ||
           face.compare(QLatin1String("Webdings"), Qt::CaseInsensitive) == 0;
}

void CColorButton::SetColors(int text, int face, int face2, int light, int highlight, int shadow,
                             int darkShadow) {
    const int values[kColorCount] = {text, face, face2, light, highlight, shadow, darkShadow};
    for (int i = 0; i < kColorCount; ++i) {
        if (values[i] != kKeep) {
            colors_[static_cast<size_t>(i)] = FromColorValue(values[i]);
        }
    }
    update();
}

void CColorButton::SetButtonFont(const QString& face, int pointSize) {
    QFont f = font();
    if (!face.isEmpty()) {
        symbolFont_ = IsSymbolFace(face);
        // Symbol faces are not installed here; their arrows are drawn as ordinary glyphs.
        if (!symbolFont_) {
            f.setFamily(face);
        }
    }
    if (pointSize != kKeepSize && pointSize > 0) {
        f.setPointSize(pointSize);
    }
    setFont(f);
    ApplyCaption();
}

void CColorButton::SetCaption(const QString& caption) {
    caption_ = caption;
    ApplyCaption();
}

void CColorButton::ApplyCaption() {
    QString shown = caption_;
    QString name = caption_;
    name.remove(QLatin1Char('&'));
    if (symbolFont_) {
        if (caption_ == QStringLiteral("ç")) {
            shown = QStringLiteral("←");
            name = tr("Previous page");
        } else if (caption_ == QStringLiteral("è")) {
            shown = QStringLiteral("→");
            name = tr("Next page");
        }
    }
    setText(shown);
    setAccessibleName(name);
    update();
}

bool CColorButton::IsSunken() const {
    return isDown();
}

void CColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const bool sunken = IsSunken();
    p.fillRect(r, colors_[sunken ? kFace2 : kFace]);

    // Two edge rings: outer light/dark shadow, inner highlight/shadow; swapped when sunken.
    const QColor outerTopLeft = sunken ? colors_[kDarkShadow] : colors_[kLight];
    const QColor outerBottomRight = sunken ? colors_[kLight] : colors_[kDarkShadow];
    const QColor innerTopLeft = sunken ? colors_[kShadow] : colors_[kHighlight];
    const QColor innerBottomRight = sunken ? colors_[kHighlight] : colors_[kShadow];
    auto ring = [&p](QRect box, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    };
    ring(r, outerTopLeft, outerBottomRight);
    ring(r.adjusted(1, 1, -1, -1), innerTopLeft, innerBottomRight);

    QRect textRect = r.adjusted(3, 3, -3, -3);
    if (sunken) {
        textRect.translate(1, 1);
    }
    QColor textColor = colors_[kText];
    if (!isEnabled()) {
        textColor = palette().color(QPalette::Disabled, QPalette::ButtonText);
    }
    p.setPen(textColor);
    p.setFont(font());
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
