#pragma once

#include "dialogs/SiteSearchDialog.h"

class LrcDocument;
class LyricImportSettings;
class MSongSettings;

// The Find Lyrics dialog: lyric websites to search, or "Local File...", which imports a text,
// LRC or MIDI karaoke file into the song's raw lyrics and closes the dialog with Accepted. An LRC
// file's lines go into the document given.
//
// The shell's Edit Lyrics panel (Import Lyrics):
//     LrcDocument document;
//     FindLyricsDialog dialog(song, &lyricSettings, &settings, document, panel);
//     if (dialog.exec() == QDialog::Accepted) show song.rawLyrics in the lyric box;
//     regenerate the line list and the preview; then
//     if (document.HasLines()) FindLyricsDialog::MergeTimings(panel, song, document);
class FindLyricsDialog : public SiteSearchDialog {
    Q_OBJECT

public:
    FindLyricsDialog(MSongSettings& song, LyricImportSettings* lyricSettings,
                     MDialogSettings* settings, LrcDocument& document, QWidget* parent = nullptr);

    static QList<Site> Sites();

    // Copies the LRC word times into the song's words, first asking whether to replace the
    // times already placed. True when times were copied.
    static bool MergeTimings(QWidget* parent, MSongSettings& song, const LrcDocument& document);

protected:
    void LocalFile() override;

private:
    MSongSettings& song_;
    LyricImportSettings* lyricSettings_;
    LrcDocument& document_;
};
