#include "dialogs/LyricsSettingsPage.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "cdg/MRwGenerator.h"
#include "dialogs/SettingsPreviewFrame.h"
#include "song/MSongSettings.h"
#include "song/MSongSettingsRules.h"
#include "widgets/CColorButton.h"

namespace {

constexpr int kPreviewPauseMs = 100;

}  // namespace

LyricsSettingsPage::LyricsSettingsPage(MSongSettings& song, SongSettingsStore& store,
                                       const QStringList& fonts, QWidget* parent)
    : SettingsPageBase(song, IMAGE_STRUCT::kLyricsPage, store, fonts, parent) {
    setAccessibleName(tr("Lyrics"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(6, 6, 8, 8);
    auto* controls = new QVBoxLayout;
    outer->addLayout(controls);

    QGroupBox* fontGroup = BuildFontGroup();
    auto* fontGrid = static_cast<QGridLayout*>(fontGroup->layout());
    linesBox_ = Named(new QComboBox, tr("Lines"));
    auto* linesLabel = new QLabel(tr("&Lines:"));
    linesLabel->setBuddy(linesBox_);
    fontGrid->addWidget(linesLabel, 1, 2);
    fontGrid->addWidget(linesBox_, 1, 3);
    auto* alignRow = new QHBoxLayout;
    align_ = MakeRadios(this, {tr("Left"), tr("Center"), tr("Right")},
                        {MTextType::kHLeft, MTextType::kHCentre, MTextType::kHRight}, alignRow);
    fontGrid->addWidget(new QLabel(tr("Align:")), 3, 0);
    fontGrid->addLayout(alignRow, 3, 1, 1, 4);
    controls->addWidget(fontGroup);

    auto* sweepGroup = new QGroupBox(tr("Sweep"));
    auto* sweepGrid = new QGridLayout(sweepGroup);
    auto* sweepRow = new QHBoxLayout;
    sweep_ = MakeRadios(this, {tr("Text"), tr("Background")}, {0, 1}, sweepRow);
    sweepGrid->addLayout(sweepRow, 0, 0, 1, 3);
    advance_ = Named(new QDoubleSpinBox, tr("Advance sweep secs."));
    advance_->setDecimals(2);
    advance_->setRange(0.0, -MSongSettingsRules::kAdvanceLowest / 100.0);
    advance_->setSingleStep(MSongSettingsRules::kAdvanceStep / 100.0);
    sweepGrid->addWidget(new QLabel(tr("Advance sweep")), 1, 0);
    sweepGrid->addWidget(advance_, 1, 1);
    sweepGrid->addWidget(new QLabel(tr("secs.")), 1, 2);
    auto* entireWord = Named(new QCheckBox(tr("Sweep entire word")), tr("Sweep entire word"));
    entireWord->setEnabled(false);
    sweepGrid->addWidget(entireWord, 2, 0, 1, 3);
    auto* eraseWhen = Named(new QSpinBox, tr("Erase when lines from bottom"));
    eraseWhen->setEnabled(false);
    auto* eraseBefore = new QLabel(tr("Erase when"));
    auto* eraseAfter = new QLabel(tr("lines from bottom"));
    eraseBefore->setEnabled(false);
    eraseAfter->setEnabled(false);
    sweepGrid->addWidget(eraseBefore, 3, 0);
    sweepGrid->addWidget(eraseWhen, 3, 1);
    sweepGrid->addWidget(eraseAfter, 3, 2);
    controls->addWidget(sweepGroup);

    auto* colourGroup = new QGroupBox(tr("Colors"));
    auto* colourRow = new QGridLayout(colourGroup);
    struct Entry {
        QString caption;
        int entry;
        std::function<void()> setIndex;
    };
    IMAGE_STRUCT& page = Page();
    MSongSettings* s = &song;
    IMAGE_STRUCT* p = &page;
    const Entry entries[] = {
        {tr("Bkgnd"), 15, [p] { p->backgroundColorIndex = 15; }},
        {tr("Border"), 11, [p] { p->borderColorIndex = 11; }},
        {tr("Singer1"), 12, [p] { p->singerColors.singer1 = 12; }},
        {tr("Singer2"), 9, [p] { p->singerColors.singer2 = 9; }},
        {tr("Both"), 10, [p] { p->singerColors.both = 10; }},
        {tr("Sweep"), 14, [s] { s->header.sweepColour = 14; }},
    };
    int column = 0;
    for (const Entry& e : entries) {
        const int entry = e.entry;
        colourRow->addWidget(MakeColourButton(
                                 e.caption, e.caption, [entry] { return entry; }, e.setIndex),
                             0, column++);
    }
    controls->addWidget(colourGroup);

    auto* performanceGroup = new QGroupBox(tr("Performance"));
    auto* performanceRow = new QHBoxLayout(performanceGroup);
    performance_ = MakeRadios(this, {tr("Solo"), tr("Duet")},
                              {SongHeader::kSolo, SongHeader::kDuet}, performanceRow);
    controls->addWidget(performanceGroup);

    auto* graphicGroup = new QGroupBox(tr("Graphic"));
    auto* graphicGrid = new QGridLayout(graphicGroup);
    BuildGraphicControls(graphicGrid, 0, MSongSettingsRules::LyricsTransitions());
    controls->addWidget(graphicGroup);
    controls->addStretch(1);
    BuildPreview(outer);

    OnItem(linesBox_, [this](int n) { Song().SetLinesPerPage(n); });
    OnChoice(align_, [this](int id) { Page().textType.hAlign = id; });
    OnChoice(sweep_, [this](int id) { Song().header.sweepMode = id; });
    OnChoice(performance_, [this](int id) { Song().header.performance = id; });
    connect(advance_, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
        if (!Loading()) {
            Song().header.advanceSweep = MSongSettingsRules::AdvanceFromSeconds(seconds);
            Changed();
        }
    });
    LoadControls();
    RedrawPreview();
}

QString LyricsSettingsPage::SampleLine(int row, bool duet) {
    if (row == 0) {
        return tr("Sample line (swept)");
    }
    if (row <= 2) {
        return tr("Sample Singer %1").arg(duet ? row : 1);
    }
    return tr("Sample %1").arg(duet ? tr("Both Singers") : tr("Singer 1"));
}

void LyricsSettingsPage::LoadPageControls() {
    const SongHeader& h = Song().header;
    CheckValue(align_, Page().textType.hAlign);
    CheckValue(sweep_, h.sweepMode);
    CheckValue(performance_, h.performance);
    advance_->setValue(MSongSettingsRules::AdvanceSeconds(h.advanceSweep));
}

void LyricsSettingsPage::RebuildLines() {
    MSongSettingsRules::ClampLinesPerPage(Song());
    const MSongSettingsRules::Range range = MSongSettingsRules::LinesRange(Song());
    const QSignalBlocker block(linesBox_);
    if (linesBox_->count() != range.high - range.low + 1 ||
        linesBox_->itemText(0).toInt() != range.low) {
        linesBox_->clear();
        for (int n = range.low; n <= range.high; ++n) {
            linesBox_->addItem(QString::number(n), n);
        }
    }
    linesBox_->setCurrentIndex(Song().header.linesPerPage - range.low);
}

void LyricsSettingsPage::UpdateControls() {
    RebuildLines();
    const bool duet = Song().header.performance == SongHeader::kDuet;
    ColourButton(tr("Singer2"))->setEnabled(duet);
    ColourButton(tr("Both"))->setEnabled(duet);
    const bool graphic = Page().hasGraphic;
    DisplayBox()->setEnabled(graphic);
    DrawBox()->setEnabled(graphic);
    RemoveButton()->setEnabled(graphic);
    PreviewButton()->setEnabled(graphic && !PreviewPlaying());
}

void LyricsSettingsPage::RedrawPreview() {
    DrawPreview(true);
}

void LyricsSettingsPage::DrawPreview(bool withGraphic) {
    MSongSettings& song = Song();
    IMAGE_STRUCT& page = Page();
    MRwGenerator gen(&PreviewFrame()->Renderer());
    gen.WriteColorTable(page.Colors(), 0);
    gen.WriteMemoryPreset(page.backgroundColorIndex, 0);
    gen.WriteBorderPreset(page.borderColorIndex, 0);
    const bool duet = song.header.performance == SongHeader::kDuet;
    const MTextTypeVer5& singers = page.singerColors;
    MTextType type = page.textType;
    for (int row = 0; row < song.header.linesPerPage; ++row) {
        const auto [slotCount, slot] = song.SlotOfRow(row);
        const QString text = SampleLine(row, duet);
        if (!duet || row <= 1) {
            type.colorIndex = singers.singer1;
        } else {
            type.colorIndex = row == 2 ? singers.singer2 : singers.both;
        }
        gen.DrawTextBlock(slotCount, slot, text, type, page.backgroundColorIndex, 0);
        if (row == 0) {
            gen.SweepWord(slotCount, slot, text, 0, static_cast<int>(text.size()) - 1, type,
                          page.backgroundColorIndex, song.header.sweepColour,
                          song.header.sweepMode == 1, 0, 0, nullptr);
        }
    }
    if (withGraphic && page.hasGraphic) {
        if (const std::unique_ptr<MIndexedPicture> dib = page.picture.ToDib(page.ditherAmount)) {
            gen.SetPictureHeight(page.textArea);
            gen.DrawImagePage(*dib, page.placement, page.drawTransition, page.Colors(),
                              page.backgroundColorIndex, 0);
        }
    }
}

SettingsPageBase::PreviewStream LyricsSettingsPage::MakePreviewStream() {
    PreviewStream ps;
    IMAGE_STRUCT& page = Page();
    const std::unique_ptr<MIndexedPicture> dib =
        page.hasGraphic ? page.picture.ToDib(page.ditherAmount) : nullptr;
    if (!dib) {
        return ps;
    }
    ps.stream = PreviewRun::NewStream();
    MRwGenerator gen(ps.stream.data(), static_cast<uint32_t>(ps.stream.size()));
    gen.SetPictureHeight(page.textArea);
    ps.lengthBytes = gen.DrawImagePage(*dib, page.placement, page.drawTransition, page.Colors(),
                                       page.backgroundColorIndex, 0);
    ps.pauseMs = kPreviewPauseMs;
    return ps;
}

void LyricsSettingsPage::PrepareRunScreen() {
    DrawPreview(false);
}
