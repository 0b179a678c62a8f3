#pragma once

#include "app/AppSettings.h"
#include "dialogs/SongSettingsStore.h"

// The Song Settings dialog's values in the program's settings store.
class AppSongSettingsStore : public SongSettingsStore {
public:
    explicit AppSongSettingsStore(AppSettings& settings) : settings_(settings) {}

    QByteArray ReadBinary(const QString& section, const QString& key) override {
        return settings_.ReadBinary(section, key);
    }
    void WriteBinary(const QString& section, const QString& key, const QByteArray& value) override {
        settings_.WriteBinary(section, key, value);
    }
    QString ReadText(const QString& section, const QString& key,
                     const QString& defaultValue) override {
        return settings_.ReadString(section, key, defaultValue);
    }
    void WriteText(const QString& section, const QString& key, const QString& value) override {
        settings_.WriteString(section, key, value);
    }

private:
    AppSettings& settings_;
};
