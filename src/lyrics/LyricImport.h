#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "base/MStatus.h"
#include "lyrics/LrcDocument.h"

class LyricImportSettings;
class MSongSettings;

// Brings a lyric file into the song project: its text becomes the song's raw lyrics, and the
// word times of an LRC file go into the song's words once the line list has been generated
// from that text. The file dialog and the message boxes belong to the user interface; this class
// gets the chosen file and hands back the messages.
class LyricImport {
public:
    // One entry of the lyric file dialog's filter list.
    struct FileFilter {
        QString text;
        QString pattern;  // patterns separated by ';'
    };

    // Asked before word times replace times the user has already placed; true means replace.
    using ConfirmReplace = std::function<bool(const QString& question)>;

    static constexpr const char* kDialogTitle = "Select Lyrics File";
    static constexpr const char* kReplaceTimingsQuestion =
        "The LRC file you selected contains timing values\nfor the lyrics. However, timing values "
        "have already\nbeen placed for this project.\n\nWould you like to replace the current "
        "timing values\nwith those found in the LRC file?";

    // settings may be null: the file dialog's choices are then not kept.
    explicit LyricImport(MSongSettings& song, LyricImportSettings* settings = nullptr)
        : song_(song), settings_(settings) {}
    virtual ~LyricImport() = default;

    static std::vector<FileFilter> LyricFileFilters();

    // The file dialog closed with OK: keeps the chosen filter and the file's folder.
    void RememberChoice(const QString& path, int filterIndex);

    // Reads the file. On success its text replaces the song's raw lyrics (the song is marked
    // modified) and the line list is emptied, ready to be generated from the new text; the
    // document holds the LRC lines when the file was an LRC file. On failure nothing in the
    // song changes and the status carries the message to show (empty for a file type that is
    // not a lyric file, which ends the import without a word). The import's text, or the
    // failure, goes to the event log when it is active.
    // encoding names the file's text encoding; empty finds it out.
    MStatus ImportLyricFile(const QString& path, LrcDocument& document,
                            const QString& encoding = QString());

    // Copies the LRC word times into the words of the song's line list, which must have been
    // generated from the imported text. When the song already has placed lyrics, confirm is
    // asked first (no confirm, or any answer but true, leaves the song as it is). Returns true
    // when times were copied.
    bool MergeLrcTimings(const LrcDocument& document, const ConfirmReplace& confirm = {});

private:
    MSongSettings& song_;
    LyricImportSettings* settings_;
};
