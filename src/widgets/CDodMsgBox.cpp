#include "widgets/CDodMsgBox.h"

#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <memory>

namespace {

constexpr int kMinLinkLength = 8;

int HeightAt(QTextDocument& document, int width) {
    document.setTextWidth(width);
    return static_cast<int>(document.size().height() + 0.5);
}

}  // namespace

CDodMsgBox::CDodMsgBox(QWidget* parent) : QDialog(parent) {}

void CDodMsgBox::SetText(const QString& text, bool richText) {
    text_ = text;
    richText_ = richText;
}

void CDodMsgBox::AddButton(int id, const QString& caption) {
    buttons_.push_back({id, caption});
}

bool CDodMsgBox::IsUrl(const QString& word) {
    if (word.size() < kMinLinkLength) {
        return false;
    }
    const QUrl url(word, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto")) {
        return !url.path().isEmpty();
    }
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("ftp")) {
        return !url.host().isEmpty();
    }
    // Local files are not offered: opening one could start a program named in the text.
    return false;
}

std::vector<CDodMsgBox::LINKDATA> CDodMsgBox::FindLinks(const QString& text) {
    std::vector<LINKDATA> links;
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n) {
        while (i < n && text[i].isSpace()) {
            ++i;
        }
        const int first = i;
        while (i < n && !text[i].isSpace()) {
            ++i;
        }
        if (i > first && IsUrl(text.mid(first, i - first))) {
            links.push_back({first, i - 1});
        }
    }
    return links;
}

int CDodMsgBox::FindTextWidth(QTextDocument& document, int screenWidth) {
    const int wanted = HeightAt(document, screenWidth / 2);
    int low = 0;  // too narrow (or zero)
    int high = screenWidth / 2;
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        if (HeightAt(document, middle) <= wanted) {
            high = middle;
        } else {
            low = middle;
        }
    }
    document.setTextWidth(high);
    return high;
}

void CDodMsgBox::MarkLinks() {
    QTextDocument* document = body_->document();
    links_ = FindLinks(document->toPlainText());
    const QString plain = document->toPlainText();
    for (const LINKDATA& link : links_) {
        QTextCursor cursor(document);
        cursor.setPosition(link.first);
        cursor.setPosition(link.last + 1, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorHref(plain.mid(link.first, link.last - link.first + 1));
        format.setForeground(QColor(0, 0, 255));
        format.setFontUnderline(true);
        cursor.mergeCharFormat(format);
    }
}

void CDodMsgBox::Build(const QString& checkBoxCaption, QMessageBox::Icon icon) {
    body_ = new QTextBrowser(this);
    body_->setAccessibleName(tr("Message"));
    body_->setOpenLinks(false);
    body_->setFrameShape(QFrame::NoFrame);
    body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette palette = body_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    body_->setPalette(palette);
    body_->document()->setDocumentMargin(0);
    body_->setWordWrapMode(QTextOption::WordWrap);
    if (richText_) {
        body_->setHtml(text_);
    } else {
        body_->setPlainText(text_);
    }
    MarkLinks();
    connect(body_, &QTextBrowser::anchorClicked, this,
            [](const QUrl& url) { QDesktopServices::openUrl(url); });
    body_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(body_, &QWidget::customContextMenuRequested, this, &CDodMsgBox::ShowContextMenu);

    const QScreen* shownOn = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    const QRect available =
        shownOn != nullptr ? shownOn->availableGeometry() : QRect(0, 0, 1024, 768);
    // Measured on a copy: the control lays its own document out lazily.
    std::unique_ptr<QTextDocument> measure(body_->document()->clone());
    measure->setDefaultTextOption(body_->document()->defaultTextOption());
    const int width = FindTextWidth(*measure, available.width());
    const int height = static_cast<int>(measure->size().height() + 0.5);
    const int maxHeight = available.height() * 2 / 3;
    const int frame = 2 * body_->frameWidth() + 2;
    int bodyWidth = width + frame;
    if (height + frame > maxHeight) {
        bodyWidth += body_->verticalScrollBar()->sizeHint().width();
    } else {
        body_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    body_->setFixedSize(bodyWidth, std::min(height + frame, maxHeight));

    auto* top = new QHBoxLayout;
    if (icon != QMessageBox::NoIcon) {
        auto* iconLabel = new QLabel(this);
        const QStyle::StandardPixmap pixmap =
            icon == QMessageBox::Information ? QStyle::SP_MessageBoxInformation
            : icon == QMessageBox::Warning   ? QStyle::SP_MessageBoxWarning
            : icon == QMessageBox::Critical  ? QStyle::SP_MessageBoxCritical
                                             : QStyle::SP_MessageBoxQuestion;
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
        iconLabel->setPixmap(style()->standardIcon(pixmap).pixmap(size, size));
        iconLabel->setAlignment(Qt::AlignTop);
        iconLabel->setAccessibleName(tr("Icon"));
        top->addWidget(iconLabel);
    }
    top->addWidget(body_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    if (!checkBoxCaption.isEmpty()) {
        checkBox_ = new QCheckBox(checkBoxCaption, this);
        QString name = checkBoxCaption;
        checkBox_->setAccessibleName(name.remove(QLatin1Char('&')));
        layout->addWidget(checkBox_);
    }
    auto* row = new QHBoxLayout;
    row->addStretch();
    if (buttons_.empty()) {
        buttons_.push_back({kOk, tr("OK")});
    }
    for (const BTNDATA& data : buttons_) {
        auto* button = new QPushButton(data.caption, this);
        QString name = data.caption;
        button->setAccessibleName(name.remove(QLatin1Char('&')));
        const int id = data.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            pressed_ = id;
            accept();
        });
        const bool named = std::any_of(buttons_.begin(), buttons_.end(),
                                       [this](const BTNDATA& b) { return b.id == defaultId_; });
        if (named ? data.id == defaultId_ : &data == &buttons_.front()) {
            button->setDefault(true);
            button->setFocus();
        }
        row->addWidget(button);
    }
    row->addStretch();
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int CDodMsgBox::DoModal(const QString& checkBoxCaption, QMessageBox::Icon icon) {
    Build(checkBoxCaption, icon);
    pressed_ = -1;
    exec();
    checked_ = checkBox_ != nullptr && checkBox_->isChecked();
    return pressed_;
}

void CDodMsgBox::ShowContextMenu(const QPoint& position) {
    QMenu menu(this);
    connect(menu.addAction(tr("Select All\tCtrl+A")), &QAction::triggered, body_,
            &QTextEdit::selectAll);
    QAction* copy = menu.addAction(tr("Copy\tCtrl+C"));
    copy->setEnabled(body_->textCursor().hasSelection());
    connect(copy, &QAction::triggered, body_, &QTextEdit::copy);
    const QString href = body_->anchorAt(position);
    if (!href.isEmpty()) {
        connect(menu.addAction(tr("Launch URL")), &QAction::triggered, this,
                [href] { QDesktopServices::openUrl(QUrl(href)); });
    }
    menu.exec(body_->viewport()->mapToGlobal(position));
}
