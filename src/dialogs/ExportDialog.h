#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <cstdint>

#include "export/MExportSettings.h"

class CBalloonHelp;
class MDialogSettings;
class MSongDocument;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

// The "Export Song File" dialog: the export type, the compression ratio of each compressed type,
// zipping, the lyric file that goes with MP3+G and WMA+G, the picture size and frame rate of a
// video, and the song's artist and title. It reads the stored choice on opening and, on
// "&Export", stores it again and takes the artist and title into the song.
//
// The shell: ExportDialog dialog(document, settings, mp3Available, workWavSampleRate, window);
//            if (dialog.exec() == QDialog::Accepted)
//                ExportRunner::Run(window, document.Song(), lame, dialog.Settings(), folder);
class ExportDialog : public QDialog {
    Q_OBJECT

public:
    ExportDialog(MSongDocument& document, MDialogSettings& settings, bool mp3Available,
                 uint32_t workWavSampleRate, QWidget* parent = nullptr);

    // The choice made (valid after "&Export").
    const MExportSettings& Settings() const { return export_; }

    QRadioButton* TypeButton(int type) const { return types_[static_cast<size_t>(type)]; }
    QListWidget* RatioList() const { return ratios_; }
    QCheckBox* ZipBox() const { return zip_; }
    QGroupBox* LyricFileBox() const { return lrc_; }
    QRadioButton* LyricFormButton(int form) const { return lrcForms_[form == 2 ? 1 : 0]; }
    QComboBox* VideoSizeBox() const { return videoSize_; }
    QComboBox* VideoRateBox() const { return videoFps_; }
    QLineEdit* ArtistField() const { return artist_; }
    QLineEdit* TitleField() const { return title_; }

    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Points a balloon at a control, closing the one shown before.
    void ShowBalloon(const char* title, const char* text, QWidget* anchor);
    void TypeChosen(int type, bool opening);
    int SelectedRatio() const;

    MSongDocument& document_;
    MDialogSettings& store_;
    uint32_t sampleRate_;
    MExportSettings export_;
    int shownType_ = MExportSettings::kBin;
    std::array<QRadioButton*, 4> types_{};
    QLabel* ratioLabel_ = nullptr;
    QListWidget* ratios_ = nullptr;
    QCheckBox* zip_ = nullptr;
    QGroupBox* lrc_ = nullptr;
    std::array<QRadioButton*, 2> lrcForms_{};
    QComboBox* videoSize_ = nullptr;
    QComboBox* videoFps_ = nullptr;
    QLineEdit* artist_ = nullptr;
    QLineEdit* title_ = nullptr;
    QPointer<CBalloonHelp> balloon_;
    bool binBalloonOnShow_ = false;
};
