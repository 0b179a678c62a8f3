#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/MStatus.h"
#include "song/MSongSettings.h"
#include "song/MSongStream.h"
#include "song/MWorkWavHost.h"

class MMessageReporter;
class MProgress;

// The open song as the application sees it: the one song project with its work WAV. Windows and
// panels read the song through Song() and change it only through the operations below, which
// mark the project modified and tell what changed, so that the title, the menus and the panels
// follow without polling. quilm-cli opens and renders projects through the same operations.
class MSongDocument : public QObject {
    Q_OBJECT

public:
    // What an edit changed; Edit() takes a combination.
    enum Change {
        kLyricsChange = 1,    // the raw lyrics
        kLinesChange = 2,     // the line list, its words and their timings
        kSettingsChange = 4,  // the header, artist, title and pages
        kMusicChange = 8,     // the music file and the work WAV
    };

    // reporter shows the song's messages (none: they go unseen).
    explicit MSongDocument(MMessageReporter* reporter = nullptr, QObject* parent = nullptr);
    ~MSongDocument() override;

    // The song, for reading and for the engine's operations on it (render, export, play).
    const MSongSettings& Song() const { return *song_; }
    MSongSettings& Song() { return *song_; }
    MWorkWavHost& Host() { return host_; }
    // The work WAV of the music; empty without music.
    QString WorkWavPath() const { return host_.WorkWavPath(); }
    bool HasMusic() const { return !host_.WorkWavPath().isEmpty(); }
    QString Path() const { return song_->projectPath; }
    bool IsModified() const { return song_->modified; }

    // --- Whole projects ----------------------------------------------------------------------
    // A new, empty project without a file.
    void NewProject();
    // Resets the song, loads the project file, imports its music into the work WAV and measures
    // it. Music that cannot be imported is reported and the project opens without it; a file
    // that cannot be read, or holds values out of range, fails with the reason (the song is then
    // a new project); acceptDamaged opens the latter and leaves the check to the caller.
    MStatus Open(const QString& path, MProgress* progress = nullptr, bool acceptDamaged = false);
    MStatus Save();
    // Saves under a new path, which the project keeps.
    MStatus SaveAs(const QString& path);
    void SetModified(bool modified);

    // --- Edits (each marks the project modified) ---------------------------------------------
    void SetRawLyrics(const QString& text);
    void SetArtist(const QString& text);
    void SetTitle(const QString& text);
    void SetLinesPerPage(int lines);
    // Takes the settings and pages of an edited copy (the settings dialog's OK).
    void AssignSettings(const MSongSettings& edited);
    // A word's times in sample frames.
    void SetWordTimes(int word, int32_t startFrames, int32_t endFrames);
    void SetLinePlaced(int line, bool placed);
    // Imports a music file into the work WAV and makes it the song's music.
    MStatus ImportMusic(const QString& path, MProgress* progress = nullptr);
    // Any other change: edit runs on the song, then the project is marked modified and the
    // changes (a combination of Change) are announced.
    void Edit(int changes, const std::function<void(MSongSettings&)>& edit);

    // --- Derived data (not a change of the project) ------------------------------------------
    // Rebuilds the line list from the lyrics, carrying timings over when keepTimings is set.
    void GenerateKaraokeLineList(bool keepTimings, bool convertMarks);
    // The line list rebuilt for output and the whole CD+G stream rendered.
    MSongStream RenderWholeStream();

signals:
    void lyricsChanged();
    void linesChanged();
    void settingsChanged();
    void musicChanged();
    void pathChanged(const QString& path);
    void modifiedChanged(bool modified);

private:
    void Announce(int changes);
    void AnnounceAll();

    MWorkWavHost host_;
    std::unique_ptr<MSongSettings> song_;
    bool announcedModified_ = false;
};
