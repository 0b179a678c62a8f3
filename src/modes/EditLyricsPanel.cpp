#include "modes/EditLyricsPanel.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "cdg/MRwRenderer.h"
#include "dialogs/FindLyricsDialog.h"
#include "lyrics/LrcDocument.h"
#include "modes/UserAction.h"
#include "song/MKaraokeLine.h"
#include "song/MKaraokeWord.h"
#include "song/MProjectSanity.h"
#include "song/MSongDocument.h"
#include "song/MSongSettings.h"
#include "widgets/MRwViewerWindow.h"

namespace {

constexpr int kLyricBoxTop = ModePanel::kMargin + ModePanel::kButtonHeight + ModePanel::kGap;
constexpr int kPageButtonWidth = 30;
constexpr int kInset = 2;

}  // namespace

EditLyricsPanel::EditLyricsPanel(ModeHost& host, MSongDocument& document, QWidget* parent)
    : ModePanel(host, document.Song(), ModeHost::kEditLyrics, parent),
      document_(document),
      renderer_(new MRwRenderer) {
    const MSongSettings& song = document.Song();
    setAccessibleName(tr("Edit Lyrics"));
    importButton_ = MakeButton(tr("&Import Lyrics"), kMargin, 110);
    addMusicButton_ = MakeButton(tr("Add M&usic"), kMargin + 116, 110);
    musicName_ = new QLabel(this);
    musicName_->setAccessibleName(tr("Music file"));
    musicName_->setGeometry(kMargin + 232, kMargin, 100, kButtonHeight);
    // The name is shown as written: no mnemonics, no rich text.
    musicName_->setTextFormat(Qt::PlainText);

    lyricBox_ = new QPlainTextEdit(this);
    lyricBox_->setAccessibleName(tr("Lyrics"));
    lyricBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lyricBox_->move(kMargin, kLyricBoxTop);

    previewFrame_ = new QFrame(this);
    previewFrame_->setAccessibleName(tr("CD+G preview"));
    viewer_ = new MRwViewerWindow(previewFrame_);
    viewer_->setAccessibleName(tr("CD+G preview"));
    viewer_->Create(previewFrame_, QString(), true, kInset, kInset, 100, 75);

    // The arrow captions of the symbol font; the button draws them as arrows.
    previousPage_ = MakeButton(QStringLiteral("\u00e7"), 0, kPageButtonWidth);
    nextPage_ = MakeButton(QStringLiteral("\u00e8"), 0, kPageButtonWidth);
    for (CColorButton* b : {previousPage_, nextPage_}) {
        b->SetButtonFont(QStringLiteral("Wingdings"));
    }
    PaintGreen(previousPage_);
    PaintGreen(nextPage_);
    pageLabel_ = new QLabel(tr("Page:"), this);
    pageLabel_->setAccessibleName(tr("Page:"));
    pageNumber_ = new QLabel(QStringLiteral("#"), this);
    pageNumber_->setAccessibleName(tr("Page number"));
    pageNumber_->setMinimumWidth(60);

    IMAGE_STRUCT* lyricsPage = song.FindPage(IMAGE_STRUCT::kLyricsPage);
    if (lyricsPage == nullptr) {
        usable_ = false;
        QMessageBox::critical(this, QStringLiteral("Quilm"),
                              tr("There is a problem with the project you opened."));
        document.SetModified(false);
        return;
    }
    QFont font(lyricsPage->textType.faceName);
    font.setPixelSize(28);
    font.setWeight(QFont::Bold);
    lyricBox_->setFont(font);
    lyricBox_->setPlainText(song.rawLyrics);

    renderer_->AttachWindow(viewer_);
    viewer_->SetRenderer(renderer_.get());
    const auto colours = lyricsPage->Colors();
    renderer_->LoadColors(0, 16, colours.data());
    renderer_->SetBorderColor(lyricsPage->borderColorIndex);
    renderer_->ClearScreen(lyricsPage->backgroundColorIndex);

    split_ = host.EditLyricsSplit();
    ShowMusicName();

    connect(lyricBox_, &QPlainTextEdit::textChanged, this, &EditLyricsPanel::TextTyped);
    connect(&document, &MSongDocument::lyricsChanged, this, &EditLyricsPanel::LyricsChanged);
    connect(&document, &MSongDocument::linesChanged, this, &EditLyricsPanel::DrawPage);
    connect(&document, &MSongDocument::musicChanged, this, [this] {
        ShowMusicName();
        UpdateModeButtons();
    });
    connect(importButton_, &CColorButton::clicked, this, &EditLyricsPanel::ImportLyrics);
    connect(addMusicButton_, &CColorButton::clicked, this, &EditLyricsPanel::AddMusic);
    connect(previousPage_, &CColorButton::clicked, this, [this] { TurnPage(-1); });
    connect(nextPage_, &CColorButton::clicked, this, [this] { TurnPage(1); });
    setMouseTracking(true);

    document.GenerateKaraokeLineList(true, false);
    UpdateModeButtons();
    Layout();
    lyricBox_->setFocus();
}

EditLyricsPanel::~EditLyricsPanel() {
    renderer_->DetachAllWindows();
    viewer_->SetRenderer(nullptr);
}

bool EditLyricsPanel::HasMusicAndLyrics() const {
    return !Host().MusicFilePath().isEmpty() && !Song().rawLyrics.isEmpty();
}

void EditLyricsPanel::TextTyped() {
    const QString text = lyricBox_->toPlainText();
    if (const MStatus fits = MProjectSanity::CheckLyrics(text); !fits) {
        // The text stays in the box for the user to shorten; the song keeps the last lyrics that
        // fit. One message while the text is too long, not one a keystroke.
        if (!tooLong_) {
            tooLong_ = true;
            document_.Host().Report(fits);
        }
        return;
    }
    tooLong_ = false;
    document_.SetRawLyrics(text);
}

void EditLyricsPanel::LyricsChanged() {
    if (lyricBox_->toPlainText() != document_.Song().rawLyrics) {
        const QSignalBlocker quiet(lyricBox_);
        lyricBox_->setPlainText(document_.Song().rawLyrics);
        tooLong_ = false;
    }
    document_.GenerateKaraokeLineList(true, false);
}

void EditLyricsPanel::DrawPage() {
    MSongSettings& song = Song();
    const MKaraokeWord* lastWord =
        song.WordCount() > 0 ? song.GetWord(song.WordCount() - 1) : nullptr;
    lastPage_ = lastWord != nullptr && lastWord->line != nullptr ? lastWord->line->page : 0;
    currentPage_ = std::clamp(currentPage_, 0, std::max(0, lastPage_));
    song.RenderPage(renderer_.get(), currentPage_);

    const bool hadFocus = previousPage_->hasFocus() || nextPage_->hasFocus();
    previousPage_->setEnabled(currentPage_ > 0);
    nextPage_->setEnabled(currentPage_ < lastPage_);
    if (hadFocus && !previousPage_->hasFocus() && !nextPage_->hasFocus()) {
        if (previousPage_->isEnabled()) {
            previousPage_->setFocus();
        } else if (nextPage_->isEnabled()) {
            nextPage_->setFocus();
        } else {
            lyricBox_->setFocus();
        }
    }
    pageNumber_->setText(
        QString::asprintf("%2d of %2d", currentPage_ + 1, std::max(0, lastPage_) + 1));
}

void EditLyricsPanel::TurnPage(int delta) {
    currentPage_ += delta;
    DrawPage();
}

void EditLyricsPanel::ShowMusicName() {
    const QString path = Host().MusicFilePath();
    const QString name = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    // A plain-text label shows "&" as written; the doubled form is the caption with mnemonics.
    musicName_->setText(name);
    musicName_->setAccessibleDescription(
        QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

void EditLyricsPanel::ImportLyrics() {
    LogUserAction(MLogEvents::kActionImportLyrics, MLogEvents::kImportLyrics);
    // The song document tells the box and the preview what the import and the merge changed.
    LrcDocument document;
    if (Host().FindLyrics(document) && document.HasLines()) {
        FindLyricsDialog::MergeTimings(this, document_, document);
    }
}

void EditLyricsPanel::AddMusic() {
    Host().AddMusic();
}

void EditLyricsPanel::SetSplit(double split) {
    split_ = std::clamp(split, 0.05, 0.95);
    Layout();
}

void EditLyricsPanel::resizeEvent(QResizeEvent*) {
    Layout();
}

void EditLyricsPanel::Layout() {
    const int W = width();
    const int a = LayoutModeButtons();
    musicName_->resize(std::max(0, W - kMargin - musicName_->x()), musicName_->height());
    const int x0 = kMargin;
    const int y0 = kLyricBoxTop;
    const int boxWidth = std::max(0, static_cast<int>((W - x0 - kMargin) * split_));
    const int boxHeight = std::max(0, a - y0 - kGap);
    lyricBox_->setGeometry(x0, y0, boxWidth, boxHeight);

    const int left = boxWidth + 18;
    const int w = std::max(0, W - left - kMargin);
    const int h = std::max(0, std::min(boxHeight, 3 * w / 4));
    const int fw = std::min(w, 4 * h / 3);
    previewFrame_->setGeometry(left, y0, fw, h);
    viewer_->setGeometry(kInset, kInset, std::max(0, fw - 2 * kInset), std::max(0, h - 2 * kInset));

    // The page buttons, label and number centred as a group 7 pixels under the preview.
    const int labelWidth = pageLabel_->sizeHint().width();
    const int numberWidth = std::max(pageNumber_->minimumWidth(), pageNumber_->sizeHint().width());
    const int group = 2 * kPageButtonWidth + labelWidth + numberWidth + 3 * 6;
    int x = left + (fw - group) / 2;
    const int y = y0 + h + kGap;
    previousPage_->move(x, y);
    x += kPageButtonWidth + 6;
    nextPage_->move(x, y);
    x += kPageButtonWidth + 6;
    pageLabel_->setGeometry(x, y, labelWidth, kButtonHeight);
    x += labelWidth + 6;
    pageNumber_->setGeometry(x, y, numberWidth, kButtonHeight);
}

QRect EditLyricsPanel::SplitterRect() const {
    const QRect box = lyricBox_->geometry();
    return QRect(box.right() + 1, box.top(), 18 - kMargin, box.height());
}

void EditLyricsPanel::mousePressEvent(QMouseEvent* event) {
    dragging_ = SplitterRect().contains(event->position().toPoint());
}

void EditLyricsPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    setCursor(dragging_ || SplitterRect().contains(p) ? Qt::SplitHCursor : Qt::ArrowCursor);
    if (dragging_) {
        const int available = width() - 2 * kMargin;
        if (available > 0) {
            SetSplit(static_cast<double>(p.x() - kMargin) / available);
        }
    }
}

void EditLyricsPanel::mouseReleaseEvent(QMouseEvent*) {
    if (dragging_) {
        dragging_ = false;
        Host().SetEditLyricsSplit(split_);
    }
}
