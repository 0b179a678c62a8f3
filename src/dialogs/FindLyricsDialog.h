#pragma once

#include "dialogs/SiteSearchDialog.h"

class LrcDocument;
class LyricImportSettings;
class MSongDocument;

// The Find Lyrics dialog: lyric websites to search, or "Local File...", which imports a text,
// LRC or MIDI karaoke file into the song's raw lyrics and closes the dialog with Accepted. An LRC
// file's lines go into the document given.
//
// The shell's Edit Lyrics panel (Import Lyrics):
//     LrcDocument document;
//     FindLyricsDialog dialog(songDocument, &lyricSettings, &settings, document, panel);
//     if (dialog.exec() == QDialog::Accepted) the song document has announced the new lyrics;
//     if (document.HasLines()) FindLyricsDialog::MergeTimings(panel, songDocument, document);
class FindLyricsDialog : public SiteSearchDialog {
    Q_OBJECT

public:
    FindLyricsDialog(MSongDocument& song, LyricImportSettings* lyricSettings,
                     MDialogSettings* settings, LrcDocument& document, QWidget* parent = nullptr);

    static QList<Site> Sites();

    // Copies the LRC word times into the song's words, first asking whether to replace the
    // times already placed. True when times were copied.
    static bool MergeTimings(QWidget* parent, MSongDocument& song, const LrcDocument& document);

protected:
    void LocalFile() override;

private:
    MSongDocument& song_;
    LyricImportSettings* lyricSettings_;
    LrcDocument& document_;
};
