#pragma once

#include <QByteArray>
#include <QString>

// The per-user settings store: values by section and key, each read with the default that
// holds while nothing is stored. The application backs it with QSettings; tools and tests keep
// the values in memory (MMemorySettings). Each area reads its own keys through a small class of
// its own (MAudioSettings, MExportSettings, LyricImportSettings).
class MSettingsStore {
public:
    virtual ~MSettingsStore() = default;

    virtual int ReadInt(const QString& section, const QString& key, int defaultValue) = 0;
    virtual void WriteInt(const QString& section, const QString& key, int value) = 0;
    virtual QString ReadString(const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void WriteString(const QString& section, const QString& key, const QString& value) = 0;
    // Binary values (window positions and the like); empty when none is stored. A store for
    // numbers and texts only keeps none.
    virtual QByteArray ReadBinary(const QString& section, const QString& key) { return {}; }
    virtual void WriteBinary(const QString& section, const QString& key, const QByteArray& value) {}
};
