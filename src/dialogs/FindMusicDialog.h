#pragma once

#include "dialogs/SiteSearchDialog.h"

class MMusicImport;

// The "Find Music" dialog: music websites to search, or "Local File...", which asks for a music
// file and imports it (with the progress window while it is decoded). When the import fails the
// user is told why and may pick another file. The dialog closes with Accepted once a file has
// been imported.
//
// The shell: FindMusicDialog dialog(musicImport, &settings, mp3Available, mainWindow);
//            dialog.exec();
//            then, whatever the result, takes the music state from musicImport (a failed import
//            leaves no work WAV): on Accepted song.SetMusicFile(musicImport.MusicFilePath()),
//            song.AttachWorkWav(true), keep musicImport.MusicFolder() as "MusicPath", refresh
//            the mode and the title.
class FindMusicDialog : public SiteSearchDialog {
    Q_OBJECT

public:
    FindMusicDialog(MMusicImport& music, MDialogSettings* settings, bool mp3Available,
                    QWidget* parent = nullptr);

    static QList<Site> Sites();

protected:
    void LocalFile() override;

private:
    MMusicImport& music_;
    MDialogSettings* settings_;
    bool mp3Available_;
};
