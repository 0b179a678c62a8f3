#include "dialogs/FindLyricsDialog.h"

#include <QApplication>
#include <QVBoxLayout>

#include "dialogs/FileDialogs.h"
#include "dialogs/StatusMessage.h"
#include "lyrics/LyricImport.h"
#include "lyrics/LyricImportSettings.h"
#include "song/MSongDocument.h"

QList<SiteSearchDialog::Site> FindLyricsDialog::Sites() {
    return {{tr("LRCLIB"), QStringLiteral("https://lrclib.net/")},
            {tr("Genius"), QStringLiteral("https://genius.com/")},
            {tr("AZLyrics"), QStringLiteral("https://www.azlyrics.com/")},
            {tr("Musixmatch"), QStringLiteral("https://www.musixmatch.com/")},
            {tr("Lyrics.com"), QStringLiteral("https://www.lyrics.com/")},
            {tr("LyricsFreak"), QStringLiteral("https://www.lyricsfreak.com/")}};
}

FindLyricsDialog::FindLyricsDialog(MSongDocument& song, LyricImportSettings* lyricSettings,
                                   MDialogSettings* settings, LrcDocument& document,
                                   QWidget* parent)
    : SiteSearchDialog(tr("Find Lyrics"), tr("Choose a lyric website to search:"), Sites(),
                       settings, QStringLiteral("CustomLyricsURL"), parent),
      song_(song),
      lyricSettings_(lyricSettings),
      document_(document) {}

void FindLyricsDialog::LocalFile() {
    QList<FileDialogs::Filter> filters;
    for (const LyricImport::FileFilter& f : LyricImport::LyricFileFilters()) {
        filters.append({tr(f.text.toUtf8().constData()), f.pattern});
    }
    int index = lyricSettings_ != nullptr ? lyricSettings_->LyricFileIndex() : 0;
    const QString folder = lyricSettings_ != nullptr ? lyricSettings_->LyricsFolder() : QString();
    const QString path =
        FileDialogs::OpenFile(this, tr(LyricImport::kDialogTitle), folder, filters, index);
    if (path.isEmpty()) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LyricImport import(song_.Song(), lyricSettings_);
    import.RememberChoice(path, index);
    const MStatus status = import.ImportLyricFile(path, document_);
    QApplication::restoreOverrideCursor();
    if (status.IsOk()) {
        // The import replaced the lyrics and emptied the line list.
        song_.Edit(MSongDocument::kLyricsChange | MSongDocument::kLinesChange,
                   [](MSongSettings&) {});
        SaveCustomUrl();
        accept();
    } else if (!status.Text().isEmpty()) {
        StatusMessage::Show(this, status);
    }
}

bool FindLyricsDialog::MergeTimings(QWidget* parent, MSongDocument& song,
                                    const LrcDocument& document) {
    LyricImport import(song.Song());
    const bool merged = import.MergeLrcTimings(document, [parent](const QString& question) {
        return StatusMessage::AskYesNo(parent, QString(), tr(question.toUtf8().constData()),
                                       QMessageBox::Question);
    });
    if (merged) {
        song.Edit(MSongDocument::kLinesChange, [](MSongSettings&) {});
    }
    return merged;
}
