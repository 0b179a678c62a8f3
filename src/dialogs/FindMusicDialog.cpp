#include "dialogs/FindMusicDialog.h"

#include <QApplication>
#include <QMessageBox>

#include "audio/MMusicImport.h"
#include "dialogs/ExportProgress.h"
#include "dialogs/FileDialogs.h"
#include "dialogs/MDialogSettings.h"
#include "dialogs/StatusMessage.h"

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kIndexKey = QStringLiteral("MusicFileIndex");
const QString kFolderKey = QStringLiteral("MusicPath");
}  // namespace

QList<SiteSearchDialog::Site> FindMusicDialog::Sites() {
    return {{tr("Bandcamp"), QStringLiteral("https://bandcamp.com/")},
            {tr("Jamendo Music"), QStringLiteral("https://www.jamendo.com/")},
            {tr("Free Music Archive"), QStringLiteral("https://freemusicarchive.org/")},
            {tr("Internet Archive audio"), QStringLiteral("https://archive.org/details/audio")}};
}

FindMusicDialog::FindMusicDialog(MMusicImport& music, MDialogSettings* settings, bool mp3Available,
                                 QWidget* parent)
    : SiteSearchDialog(tr("Find Music"), tr("Choose a song website to search:"), Sites(), settings,
                       QStringLiteral("CustomAudioURL"), parent),
      music_(music),
      settings_(settings),
      mp3Available_(mp3Available) {}

void FindMusicDialog::LocalFile() {
    QList<FileDialogs::Filter> filters;
    for (const MMusicImport::FileFilter& f : MMusicImport::MusicFileFilters(mp3Available_)) {
        filters.append({tr(f.text.toUtf8().constData()), f.pattern});
    }
    for (;;) {
        QString folder = music_.MusicFolder();
        int index = 0;
        if (settings_ != nullptr) {
            if (folder.isEmpty()) {
                folder = settings_->ReadString(kSettings, kFolderKey, QString());
            }
            index = settings_->ReadInt(kSettings, kIndexKey, 0);
        }
        const QString path =
            FileDialogs::OpenFile(this, tr("Select Music File"), folder, filters, index);
        if (path.isEmpty()) {
            return;
        }
        MStatus loaded;
        {
            ExportProgress progress(this);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            loaded = music_.LoadMusic(path, &progress);
            QApplication::restoreOverrideCursor();
        }
        if (loaded) {
            if (settings_ != nullptr) {
                settings_->WriteInt(kSettings, kIndexKey, index);
            }
            SaveCustomUrl();
            accept();
            return;
        }
        if (!StatusMessage::AskYesNo(this, QString(),
                                     MMusicImport::ChooseAnotherFileQuestion(loaded.Text()),
                                     QMessageBox::Critical)) {
            return;
        }
    }
}
