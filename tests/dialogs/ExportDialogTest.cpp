// The export dialog's choices and balloons, and exports run from it with the progress window.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "audio/MLameLibrary.h"
#include "dialogs/DialogFixtures.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/ExportProgress.h"
#include "dialogs/ExportRunner.h"
#include "song/MSongDocument.h"
#include "widgets/CBalloonHelp.h"

namespace {

QString Selected(const QListWidget* list) {
    return list->currentItem() != nullptr && list->currentItem()->isSelected()
               ? list->currentItem()->text()
               : QString();
}

CBalloonHelp* OpenBalloon() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* b = qobject_cast<CBalloonHelp*>(w); b != nullptr && b->isVisible()) {
            return b;
        }
    }
    return nullptr;
}

void CloseBalloons() {
    while (CBalloonHelp* b = OpenBalloon()) {
        b->close();
    }
}

}  // namespace

TEST_F(DialogTest, RatioListFollowsTheTypeAndIsRememberedPerType) {
    settings_.WriteInt("Settings", "ExportType", MExportSettings::kMp3);
    settings_.WriteInt("Settings", "ExportRatioMP3", 150);
    MSongDocument song;
    ExportDialog dialog(song, settings_, true, 44100);
    // The last entry whose number is at least the remembered one.
    EXPECT_EQ(Selected(dialog.RatioList()), "160k");
    EXPECT_EQ(dialog.RatioList()->count(), 15);
    dialog.RatioList()->setCurrentRow(0);  // 320k
    dialog.TypeButton(MExportSettings::kWma)->click();
    EXPECT_EQ(dialog.RatioList()->count(), 4);
    EXPECT_EQ(Selected(dialog.RatioList()), "128k");
    EXPECT_TRUE(dialog.ZipBox()->isEnabled());
    dialog.TypeButton(MExportSettings::kBin)->click();
    EXPECT_EQ(dialog.RatioList()->count(), 0);
    EXPECT_FALSE(dialog.RatioList()->isEnabled());
    EXPECT_FALSE(dialog.ZipBox()->isEnabled());
    dialog.TypeButton(MExportSettings::kMp3)->click();
    EXPECT_EQ(Selected(dialog.RatioList()), "320k");
    dialog.ZipBox()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportType", -1), MExportSettings::kMp3);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportRatioMP3", -1), 320);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportRatioWMA", -1), 128);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportZip", -1), 1);
    EXPECT_FALSE(OpenBalloon());
}

TEST_F(DialogTest, VideoAndLyricFileChoicesFollowTheTypeAndAreStored) {
    MSongDocument song;
    ExportDialog dialog(song, settings_, true, 44100);
    // Every control is named for assistive tools.
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus && w->isWidgetType() && !w->inherits("QLabel") &&
            w->parentWidget() != nullptr && !w->parentWidget()->inherits("QComboBox")) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
        }
    }
    dialog.TypeButton(MExportSettings::kMp3)->click();
    EXPECT_TRUE(dialog.LyricFileBox()->isEnabled());
    EXPECT_FALSE(dialog.VideoSizeBox()->isEnabled());
    dialog.TypeButton(MExportSettings::kMp4)->click();
    EXPECT_FALSE(dialog.LyricFileBox()->isEnabled());
    EXPECT_FALSE(dialog.RatioList()->isEnabled());
    EXPECT_FALSE(dialog.ZipBox()->isEnabled());
    EXPECT_TRUE(dialog.VideoSizeBox()->isEnabled());
    EXPECT_TRUE(dialog.VideoRateBox()->isEnabled());
    EXPECT_EQ(dialog.VideoRateBox()->currentText(), "30");
    dialog.VideoSizeBox()->setCurrentIndex(1);
    dialog.VideoRateBox()->setCurrentIndex(3);
    dialog.LyricFileBox()->setChecked(true);
    dialog.LyricFormButton(2)->setChecked(true);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Settings().type, MExportSettings::kMp4);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportVideoHeight", -1), 1080);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportVideoFPS", -1), 60);
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportLRC", -1), 2);
    ExportDialog again(song, settings_, true, 44100);
    EXPECT_TRUE(again.TypeButton(MExportSettings::kMp4)->isChecked());
    EXPECT_TRUE(again.LyricFormButton(2)->isChecked());
    EXPECT_EQ(again.VideoSizeBox()->currentData().toInt(), 1080);
}

TEST_F(DialogTest, BinRefusedForOtherRatesAndExportNeedsARatio) {
    settings_.WriteInt("Settings", "ExportType", MExportSettings::kMp3);
    MSongDocument song;
    song.SetArtist("A");
    song.SetTitle("T");
    song.SetModified(false);
    // Without MP3 encoding a stored MP3+G becomes WMA+G.
    ExportDialog dialog(song, settings_, false, 48000);
    EXPECT_FALSE(dialog.TypeButton(MExportSettings::kMp3)->isEnabled());
    EXPECT_TRUE(dialog.TypeButton(MExportSettings::kWma)->isChecked());
    dialog.show();
    dialog.TypeButton(MExportSettings::kBin)->click();
    EXPECT_TRUE(dialog.TypeButton(MExportSettings::kWma)->isChecked());
    CBalloonHelp* balloon = OpenBalloon();
    ASSERT_TRUE(balloon != nullptr);
    EXPECT_EQ(balloon->Title(), "BIN not allowed");
    EXPECT_EQ(balloon->Text(),
              "BIN is not allowed because the Audio Sample\nRate is not 44,100 samples per "
              "second.\n");
    CloseBalloons();
    QApplication::processEvents();

    dialog.RatioList()->clearSelection();
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(OpenBalloon() != nullptr);
    EXPECT_EQ(OpenBalloon()->Title(), "Ratio");
    EXPECT_EQ(OpenBalloon()->Text(), "Please select a Compression Ratio.");
    CloseBalloons();
    EXPECT_FALSE(song.IsModified());

    dialog.RatioList()->setCurrentRow(3);
    dialog.ArtistField()->setText("B");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(song.Song().artist, "B");
    EXPECT_TRUE(song.IsModified());
    EXPECT_EQ(settings_.ReadInt("Settings", "ExportRatioWMA", -1), 96);

    // Opening on a stored BIN with other music: the balloon shows and BIN stays.
    settings_.WriteInt("Settings", "ExportType", MExportSettings::kBin);
    ExportDialog again(song, settings_, false, 22050);
    EXPECT_TRUE(again.TypeButton(MExportSettings::kBin)->isChecked());
    again.show();
    QApplication::processEvents();
    ASSERT_TRUE(OpenBalloon() != nullptr);
    EXPECT_EQ(OpenBalloon()->TipPosition(),
              CBalloonHelp::AnchorPoint(CBalloonHelp::AnchorRect(again.TypeButton(0)),
                                        CBalloonHelp::kBottomCenter));
    again.reject();  // closing the dialog closes its balloon
    QApplication::processEvents();
    EXPECT_TRUE(OpenBalloon() == nullptr);
    CloseBalloons();
}

TEST_F(DialogTest, BinExportShowsProgressAndACancelLeavesNothing) {
    auto song = MakeSong(MakeWav("music.wav", 20.0, 2), 1.0, false, true);
    MExportSettings settings;
    const QString target = Path("Song.bin");

    int shown = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* p = qobject_cast<ExportProgress*>(w); p != nullptr && p->isVisible()) {
                ++shown;
            }
        }
    });
    watch.start(1);
    MExportResult done =
        ExportRunner::RunTo(nullptr, *song, MLameLibrary::Shared(), settings, target);
    watch.stop();
    ASSERT_TRUE(done.IsOk()) << done.status.Text().toStdString();
    EXPECT_GT(shown, 0);  // events ran while the window was up
    EXPECT_EQ(QFile(target).size() % 2448, 0);
    EXPECT_GT(QFile(target).size(), 20 * 75 * 2448);

    // Cancel pressed as soon as the window shows: no file, the old one gone neither.
    QFile::remove(target);
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* p = qobject_cast<ExportProgress*>(w); p != nullptr && p->isVisible()) {
                p->CancelButton()->click();
            }
        }
    });
    cancel.start(0);
    done = ExportRunner::RunTo(nullptr, *song, MLameLibrary::Shared(), settings, target);
    cancel.stop();
    EXPECT_TRUE(done.cancelled);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(FilesIn(fx_.Dir()).filter("Song").size(), 0);
}

TEST_F(DialogTest, FailedExportIsToldInAMessage) {
    auto song = MakeSong(MakeWav("music.wav", 2.0, 2), 1.0, false, false);
    QString text;
    OnModal<QMessageBox>([&text](QMessageBox* box) {
        text = box->text();
        box->accept();
    });
    const MExportResult done = ExportRunner::RunTo(
        nullptr, *song, MLameLibrary::Shared(), MExportSettings(), Path("missing-folder/Song.bin"));
    EXPECT_FALSE(done.IsOk());
    EXPECT_EQ(text, done.status.Text());
    EXPECT_FALSE(text.isEmpty());
}
