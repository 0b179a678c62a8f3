#pragma once

#include <QString>

// What the lyric import keeps in the per-user settings store between runs: the filter the user
// last picked in the lyric file dialog and the folder of the last lyric file. The application
// backs it with its settings store under the keys below; a tool without a settings store passes
// none and nothing is kept.
class LyricImportSettings {
public:
    static constexpr const char* kSection = "Settings";
    static constexpr const char* kLyricFileIndexKey = "LyricFileIndex";  // int, default 0
    static constexpr const char* kLyricsPathKey = "LyricsPath";          // text, default ""

    virtual ~LyricImportSettings() = default;

    virtual int LyricFileIndex() const = 0;
    virtual void SetLyricFileIndex(int index) = 0;
    // The folder with its trailing separator.
    virtual QString LyricsFolder() const = 0;
    virtual void SetLyricsFolder(const QString& folder) = 0;
};
