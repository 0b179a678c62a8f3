#include "dialogs/ExportDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/MDialogSettings.h"
#include "export/MBinExport.h"
#include "song/MSongDocument.h"
#include "widgets/CBalloonHelp.h"

namespace {

constexpr uint32_t kBinSampleRate = 44100;
constexpr int kBalloonOptions = CBalloonHelp::kShowCloseButton | CBalloonHelp::kCloseOnLButtonDown;
constexpr int kBalloonTimeoutMs = 5000;

QString WithoutMnemonics(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption;
}

}  // namespace

ExportDialog::ExportDialog(MSongDocument& document, MDialogSettings& settings, bool mp3Available,
                           uint32_t workWavSampleRate, QWidget* parent)
    : QDialog(parent), document_(document), store_(settings), sampleRate_(workWavSampleRate) {
    setWindowTitle(tr("Export Song File"));
    export_ = MExportSettings::Load(store_, mp3Available);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(tr("Select the Export type and other settings and click \"Export\"."), this));
    const QString captions[4] = {
        tr("BIN (.wav + .cdg in one file)"), tr("WMA+G (.wma && .cdg in two files)"),
        tr("MP3+G (.mp3 && .cdg in two files)"), tr("MP4 video (.mp4 with sound)")};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(captions[i], this);
        radio->setAccessibleName(WithoutMnemonics(captions[i]));
        group->addButton(radio, i);
        layout->addWidget(radio);
        types_[static_cast<size_t>(i)] = radio;
    }
    types_[MExportSettings::kMp3]->setEnabled(mp3Available);

    ratioLabel_ = new QLabel(tr("Compression ratio:"), this);
    ratios_ = new QListWidget(this);
    ratios_->setAccessibleName(tr("Compression ratio"));
    ratios_->setMaximumHeight(110);
    ratioLabel_->setBuddy(ratios_);
    zip_ = new QCheckBox(tr("Zip files together (.zip file)"), this);
    zip_->setAccessibleName(WithoutMnemonics(zip_->text()));
    zip_->setChecked(export_.zip);
    layout->addWidget(ratioLabel_);
    layout->addWidget(ratios_);
    layout->addWidget(zip_);

    lrc_ = new QGroupBox(tr("Create Lyric File (.lrc file)"), this);
    lrc_->setCheckable(true);
    lrc_->setChecked(export_.lrc != 0);
    lrc_->setAccessibleName(lrc_->title());
    auto* lrcLayout = new QHBoxLayout(lrc_);
    const QString forms[2] = {tr("Simple"), tr("Enhanced")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(forms[i], lrc_);
        radio->setAccessibleName(forms[i]);
        lrcLayout->addWidget(radio);
        lrcForms_[static_cast<size_t>(i)] = radio;
    }
    lrcForms_[export_.lrc == 2 ? 1 : 0]->setChecked(true);
    layout->addWidget(lrc_);

    auto* videoForm = new QFormLayout;
    videoSize_ = new QComboBox(this);
    videoSize_->setAccessibleName(tr("Video size"));
    for (const int height : MExportSettings::VideoHeights()) {
        videoSize_->addItem(tr("%1 x %2").arg(height * 16 / 9).arg(height), height);
    }
    videoSize_->setCurrentIndex(std::max(0, videoSize_->findData(export_.videoHeight)));
    videoFps_ = new QComboBox(this);
    videoFps_->setAccessibleName(tr("Frames per second"));
    for (const int fps : MExportSettings::VideoFrameRates()) {
        videoFps_->addItem(QString::number(fps), fps);
    }
    videoFps_->setCurrentIndex(std::max(0, videoFps_->findData(export_.videoFps)));
    videoForm->addRow(tr("Video si&ze:"), videoSize_);
    videoForm->addRow(tr("&Frames per second:"), videoFps_);
    layout->addLayout(videoForm);

    auto* form = new QFormLayout;
    artist_ = new QLineEdit(document_.Song().artist, this);
    artist_->setAccessibleName(tr("Artist"));
    title_ = new QLineEdit(document_.Song().title, this);
    title_->setAccessibleName(tr("Title"));
    form->addRow(tr("&Artist:"), artist_);
    form->addRow(tr("&Title:"), title_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* exportButton = buttons->addButton(tr("&Export"), QDialogButtonBox::AcceptRole);
    exportButton->setAccessibleName(tr("Export"));
    exportButton->setDefault(true);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    shownType_ = export_.type;
    types_[static_cast<size_t>(export_.type)]->setChecked(true);
    TypeChosen(export_.type, true);
    connect(group, &QButtonGroup::idClicked, this, [this](int type) { TypeChosen(type, false); });
}

int ExportDialog::SelectedRatio() const {
    const QListWidgetItem* item = ratios_->currentItem();
    return item != nullptr && item->isSelected() ? MExportSettings::RatioFromText(item->text()) : 0;
}

void ExportDialog::TypeChosen(int type, bool opening) {
    if (type == MExportSettings::kBin && sampleRate_ != kBinSampleRate) {
        if (isVisible()) {
            ShowBalloon(MBinExport::kRateTitle, MBinExport::kRateText,
                        types_[MExportSettings::kBin]);
        } else {
            binBalloonOnShow_ = true;  // once the dialog is placed
        }
        if (!opening) {
            types_[static_cast<size_t>(shownType_)]->setChecked(true);
            return;
        }
    }
    // The number chosen in the list is remembered for the type shown until now.
    const int chosen = SelectedRatio();
    if (chosen > 0 && shownType_ != MExportSettings::kBin) {
        const int keep = export_.type;
        export_.type = shownType_;
        export_.SetRatioKbps(chosen);
        export_.type = keep;
    }
    export_.type = type;
    shownType_ = type;

    const bool compressed = export_.IsCompressed();
    ratios_->clear();
    const std::vector<int> offered = MExportSettings::RatiosKbps(type);
    for (int kbps : offered) {
        ratios_->addItem(MExportSettings::RatioText(kbps));
    }
    const int index = MExportSettings::RatioIndex(
        offered, compressed ? export_.RatioKbps() : MExportSettings::kDefaultRatioKbps);
    if (index >= 0) {
        ratios_->setCurrentRow(index);
    }
    ratioLabel_->setEnabled(compressed);
    ratios_->setEnabled(compressed);
    zip_->setEnabled(compressed);
    lrc_->setEnabled(compressed);
    const bool video = type == MExportSettings::kMp4;
    videoSize_->setEnabled(video);
    videoFps_->setEnabled(video);
}

void ExportDialog::accept() {
    if (ratios_->isEnabled() && SelectedRatio() == 0) {
        ShowBalloon(MExportSettings::kRatioTitle, MExportSettings::kRatioMissingText, ratios_);
        return;
    }
    if (artist_->text() != document_.Song().artist) {
        document_.SetArtist(artist_->text());
    }
    if (title_->text() != document_.Song().title) {
        document_.SetTitle(title_->text());
    }
    if (export_.IsCompressed()) {
        export_.SetRatioKbps(SelectedRatio());
    }
    export_.zip = zip_->isChecked();
    export_.lrc = !lrc_->isChecked() ? 0 : lrcForms_[1]->isChecked() ? 2 : 1;
    export_.videoHeight = videoSize_->currentData().toInt();
    export_.videoFps = videoFps_->currentData().toInt();
    export_.Save(store_);
    QDialog::accept();
}

void ExportDialog::ShowBalloon(const char* title, const char* text, QWidget* anchor) {
    if (balloon_ != nullptr) {
        balloon_->close();
    }
    balloon_ = CBalloonHelp::Launch(tr(title), tr(text), anchor, CBalloonHelp::kBottomCenter,
                                    style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                    kBalloonOptions, QString(), kBalloonTimeoutMs);
}

void ExportDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (binBalloonOnShow_) {
        binBalloonOnShow_ = false;
        QTimer::singleShot(0, this, [this] {
            ShowBalloon(MBinExport::kRateTitle, MBinExport::kRateText,
                        types_[MExportSettings::kBin]);
        });
    }
}

void ExportDialog::done(int result) {
    if (balloon_ != nullptr) {
        balloon_->close();
    }
    QDialog::done(result);
}
