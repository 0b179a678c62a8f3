#include "lyrics/LyricImportSettings.h"

#include "base/MSettingsStore.h"

int LyricImportSettings::LyricFileIndex() const {
    return store_.ReadInt(QString::fromLatin1(kSection), QString::fromLatin1(kLyricFileIndexKey),
                          0);
}

void LyricImportSettings::SetLyricFileIndex(int index) {
    store_.WriteInt(QString::fromLatin1(kSection), QString::fromLatin1(kLyricFileIndexKey), index);
}

QString LyricImportSettings::LyricsFolder() const {
    return store_.ReadString(QString::fromLatin1(kSection), QString::fromLatin1(kLyricsPathKey),
                             QString());
}

void LyricImportSettings::SetLyricsFolder(const QString& folder) {
    store_.WriteString(QString::fromLatin1(kSection), QString::fromLatin1(kLyricsPathKey), folder);
}
