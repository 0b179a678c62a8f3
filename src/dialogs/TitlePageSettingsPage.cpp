#include "dialogs/TitlePageSettingsPage.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QToolButton>

#include "cdg/MRwGenerator.h"
#include "dialogs/SettingsPreviewFrame.h"
#include "song/MSongSettings.h"
#include "song/MSongSettingsRules.h"
#include "widgets/CColorButton.h"

TitlePageSettingsPage::TitlePageSettingsPage(MSongSettings& song, int pageId,
                                             SongSettingsStore& store, const QStringList& fonts,
                                             QWidget* parent)
    : SettingsPageBase(song, pageId, store, fonts, parent) {
    setAccessibleName(IsTitle() ? tr("Title Page") : tr("Credits Page"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(6, 6, 8, 8);
    auto* left = new QVBoxLayout;
    outer->addLayout(left);
    enable_ = Named(new QCheckBox(tr("&Enable this page")), tr("Enable this page"));
    left->addWidget(enable_);
    body_ = new QWidget;
    auto* controls = new QVBoxLayout(body_);
    controls->setContentsMargins(0, 0, 0, 0);
    left->addWidget(body_);

    text_ = Named(new QPlainTextEdit, tr("Page text"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setContextMenuPolicy(Qt::CustomContextMenu);
    text_->setMaximumHeight(text_->fontMetrics().lineSpacing() * (kMaxLines + 1));
    controls->addWidget(text_);

    QGroupBox* fontGroup = BuildFontGroup();
    auto* fontGrid = static_cast<QGridLayout*>(fontGroup->layout());
    lineBox_ = Named(new QComboBox, tr("Line #"));
    lineBox_->setEnabled(false);
    fontGrid->addWidget(new QLabel(tr("Line #:")), 1, 2);
    fontGrid->addWidget(lineBox_, 1, 3);
    auto* vRow = new QHBoxLayout;
    vAlign_ = MakeRadios(this, {tr("Top"), tr("Middle"), tr("Bottom")},
                         {MTextType::kVTop, MTextType::kVCentre, MTextType::kVBottom}, vRow);
    auto* hRow = new QHBoxLayout;
    hAlign_ = MakeRadios(this, {tr("Left"), tr("Center"), tr("Right")},
                         {MTextType::kHLeft, MTextType::kHCentre, MTextType::kHRight}, hRow);
    fontGrid->addWidget(new QLabel(tr("Vert align:")), 3, 0);
    fontGrid->addLayout(vRow, 3, 1, 1, 4);
    fontGrid->addWidget(new QLabel(tr("Horiz align:")), 4, 0);
    fontGrid->addLayout(hRow, 4, 1, 1, 4);
    controls->addWidget(fontGroup);

    auto* colourGroup = new QGroupBox(tr("Colors"));
    auto* colourColumn = new QVBoxLayout(colourGroup);
    auto* colourGrid = new QHBoxLayout;
    colourColumn->addLayout(colourGrid);
    IMAGE_STRUCT* p = &Page();
    colourGrid->addWidget(MakeColourButton(
        tr("Bkgnd"), tr("Bkgnd"), [] { return 15; }, [p] { p->backgroundColorIndex = 15; }));
    colourGrid->addWidget(MakeColourButton(
        tr("Border"), tr("Border"), [] { return 11; }, [p] { p->borderColorIndex = 11; }));
    colourGrid->addWidget(MakeColourButton(
        tr("Text"), tr("Text"), [p] { return p->textType.colorIndex; }, [] {}));
    struct Index {
        QString name;
        std::function<int()> get;
        std::function<void(int)> set;
    };
    const Index indices[] = {
        {tr("Bkgnd"), [p] { return p->backgroundColorIndex; },
         [p](int i) { p->backgroundColorIndex = i; }},
        {tr("Border"), [p] { return p->borderColorIndex; },
         [p](int i) { p->borderColorIndex = i; }},
        {tr("Text"), [p] { return p->textType.colorIndex; },
         [p](int i) { p->textType.colorIndex = i; }},
        {tr("Outline"), [p] { return p->textType.outlineColorIndex; },
         [p](int i) { p->textType.outlineColorIndex = i; }},
    };
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(new QLabel(tr("Index:")));
    for (const Index& i : indices) {
        QToolButton* b = MakeIndexMenu(tr("%1 index").arg(i.name), i.get, i.set);
        b->setToolTip(b->accessibleName());
        indexButtons_ << b;
        indexRow->addWidget(b);
    }
    colourColumn->addLayout(indexRow);
    controls->addWidget(colourGroup);

    auto* graphicGroup = new QGroupBox(tr("Graphic"));
    auto* graphicGrid = new QGridLayout(graphicGroup);
    BuildGraphicControls(graphicGrid, 0, MSongSettingsRules::PageTransitions());
    hold_ = Named(new QLineEdit, tr("Hold"));
    hold_->setMaxLength(MSongSettingsRules::kMaxHoldChars);
    hold_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]{0,2}")), hold_));
    graphicGrid->addWidget(new QLabel(tr("Hold:")), 0, 2);
    graphicGrid->addWidget(hold_, 0, 3);
    eraseBox_ = MakeTransitionBox(tr("Erase"), MSongSettingsRules::PageTransitions());
    auto* eraseLabel = new QLabel(tr("Erase:"));
    graphicGrid->addWidget(eraseLabel, 2, 2);
    graphicGrid->addWidget(eraseBox_, 2, 3);
    eraseLabel->setVisible(IsTitle());
    eraseBox_->setVisible(IsTitle());
    controls->addWidget(graphicGroup);
    left->addStretch(1);
    BuildPreview(outer);

    connect(enable_, &QCheckBox::toggled, this, [this](bool on) {
        if (!Loading()) {
            Page().enabled = on;
            Changed();
        }
    });
    connect(text_, &QPlainTextEdit::textChanged, this, &TitlePageSettingsPage::TextChanged);
    connect(text_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = MakeTextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(text_->viewport()->mapToGlobal(at));
    });
    OnChoice(vAlign_, [this](int id) { Page().textType.vAlign = id; });
    OnChoice(hAlign_, [this](int id) { Page().textType.hAlign = id; });
    connect(hold_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int hold = MSongSettingsRules::ParseHold(text);
        if (hold >= 0) {
            Page().displayTime = hold;
            Changed();
        }
    });
    OnItem(eraseBox_, [this](int code) { Page().eraseTransition = code; });
    LoadControls();
    RedrawPreview();
}

bool TitlePageSettingsPage::IsTitle() const {
    return Page().pageId == IMAGE_STRUCT::kTitlePage;
}

QToolButton* TitlePageSettingsPage::IndexButton(const QString& colour) const {
    for (QToolButton* b : indexButtons_) {
        if (b->accessibleName() == tr("%1 index").arg(colour)) {
            return b;
        }
    }
    return nullptr;
}

void TitlePageSettingsPage::LoadPageControls() {
    const IMAGE_STRUCT& page = Page();
    enable_->setChecked(page.enabled);
    {
        const QSignalBlocker block(text_);
        text_->setPlainText(page.text);
    }
    lastText_ = text_->toPlainText();
    CheckValue(vAlign_, page.textType.vAlign);
    CheckValue(hAlign_, page.textType.hAlign);
    hold_->setText(MSongSettingsRules::HoldText(page.displayTime));
    SelectData(eraseBox_, page.eraseTransition);
}

void TitlePageSettingsPage::TextChanged() {
    const QString text = text_->toPlainText();
    if (text == lastText_) {
        return;
    }
    if (text_->document()->blockCount() > kMaxLines) {
        // The edit would make a tenth line: put the text back as it was.
        const int position = text_->textCursor().position();
        {
            const QSignalBlocker block(text_);
            text_->setPlainText(lastText_);
        }
        QTextCursor cursor = text_->textCursor();
        cursor.setPosition(std::min(position, static_cast<int>(lastText_.size())));
        text_->setTextCursor(cursor);
        return;
    }
    lastText_ = text;
    Page().text = text;
    Changed();
}

QMenu* TitlePageSettingsPage::MakeTextMenu() {
    auto* menu = new QMenu(text_);
    const bool selection = text_->textCursor().hasSelection();
    const bool editable = !text_->isReadOnly();
    menu->addAction(tr("&Undo"), text_, &QPlainTextEdit::undo)
        ->setEnabled(editable && text_->document()->isUndoAvailable());
    menu->addSeparator();
    menu->addAction(tr("Cu&t"), text_, &QPlainTextEdit::cut)->setEnabled(editable && selection);
    menu->addAction(tr("&Copy"), text_, &QPlainTextEdit::copy)->setEnabled(selection);
    menu->addAction(tr("&Paste"), text_, &QPlainTextEdit::paste)
        ->setEnabled(editable && text_->canPaste());
    menu->addAction(tr("&Delete"), text_, [this] { text_->textCursor().removeSelectedText(); })
        ->setEnabled(editable && selection);
    menu->addSeparator();
    menu->addAction(tr("Select &All"), text_, &QPlainTextEdit::selectAll);
    menu->addSeparator();
    menu->addAction(tr("&Redo"), text_, &QPlainTextEdit::redo)
        ->setEnabled(editable && text_->document()->isRedoAvailable());
    return menu;
}

void TitlePageSettingsPage::UpdateControls() {
    const IMAGE_STRUCT& page = Page();
    body_->setEnabled(page.enabled);
    DisplayBox()->setEnabled(page.hasGraphic);
    RemoveButton()->setEnabled(page.hasGraphic);
    PreviewButton()->setEnabled(page.enabled && !PreviewPlaying());
    const int lines =
        page.hasGraphic ? 1 : std::max(1, static_cast<int>(text_->document()->blockCount()));
    if (lineBox_->count() != lines) {
        const QSignalBlocker block(lineBox_);
        lineBox_->clear();
        for (int i = 1; i <= lines; ++i) {
            lineBox_->addItem(QString::number(i));
        }
        lineBox_->setCurrentIndex(0);
    }
}

bool TitlePageSettingsPage::ConfirmBrowse() {
    if (Page().perLineTypes.IsEmpty()) {
        return true;
    }
    QMessageBox box(QMessageBox::Warning, tr("Warning"),
                    tr("Choosing a graphic image will mean\nthat only one line style will apply\n"
                       "to the lines of text.\n\nDo you want to continue?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

void TitlePageSettingsPage::RedrawPreview() {
    MRwGenerator gen(&PreviewFrame()->Renderer());
    gen.DrawPage(Page(), false, 0);
}

SettingsPageBase::PreviewStream TitlePageSettingsPage::MakePreviewStream() {
    PreviewStream ps;
    ps.stream = PreviewRun::NewStream();
    MRwGenerator gen(ps.stream.data(), static_cast<uint32_t>(ps.stream.size()));
    ps.lengthBytes = gen.DrawPage(Page(), IsTitle(), 0);
    return ps;
}
