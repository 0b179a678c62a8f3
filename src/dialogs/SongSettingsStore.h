#pragma once

#include <QByteArray>
#include <QString>

// What the Song Settings dialog keeps in the per-user settings store: its window rectangle
// (a binary value) and the last graphics folder (a text). The application backs it with its
// settings store; tests with a map.
class SongSettingsStore {
public:
    virtual ~SongSettingsStore() = default;
    // Empty when absent.
    virtual QByteArray ReadBinary(const QString& section, const QString& key) = 0;
    virtual void WriteBinary(const QString& section, const QString& key,
                             const QByteArray& value) = 0;
    virtual QString ReadText(const QString& section, const QString& key,
                             const QString& defaultValue) = 0;
    virtual void WriteText(const QString& section, const QString& key, const QString& value) = 0;
};
