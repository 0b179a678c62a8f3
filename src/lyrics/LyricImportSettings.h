#pragma once

#include <QString>

class MSettingsStore;

// What the lyric import keeps in the per-user settings store between runs: the filter the user
// last picked in the lyric file dialog and the folder of the last lyric file. A tool without a
// settings store passes none to the import and nothing is kept.
class LyricImportSettings {
public:
    static constexpr const char* kSection = "Settings";
    static constexpr const char* kLyricFileIndexKey = "LyricFileIndex";  // int, default 0
    static constexpr const char* kLyricsPathKey = "LyricsPath";          // text, default ""

    explicit LyricImportSettings(MSettingsStore& store) : store_(store) {}

    int LyricFileIndex() const;
    void SetLyricFileIndex(int index);
    // The folder with its trailing separator.
    QString LyricsFolder() const;
    void SetLyricsFolder(const QString& folder);

private:
    MSettingsStore& store_;
};
