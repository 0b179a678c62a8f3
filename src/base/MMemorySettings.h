#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include "base/MSettingsStore.h"

// A settings store held in memory: every value starts at its default and lives as long as the
// object. quilm-cli uses one, so that a command never changes the application's stored choices.
class MMemorySettings : public MSettingsStore {
public:
    int ReadInt(const QString& section, const QString& key, int defaultValue) override {
        return values.value(Path(section, key), defaultValue);
    }
    void WriteInt(const QString& section, const QString& key, int value) override {
        values[Path(section, key)] = value;
    }
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) override {
        return texts.value(Path(section, key), defaultValue);
    }
    void WriteString(const QString& section, const QString& key, const QString& value) override {
        texts[Path(section, key)] = value;
    }
    QByteArray ReadBinary(const QString& section, const QString& key) override {
        return binaries.value(Path(section, key));
    }
    void WriteBinary(const QString& section, const QString& key, const QByteArray& value) override {
        binaries[Path(section, key)] = value;
    }

    // "section/key" -> value, by type.
    QMap<QString, int> values;
    QMap<QString, QString> texts;
    QMap<QString, QByteArray> binaries;

private:
    static QString Path(const QString& section, const QString& key) {
        return section + QLatin1Char('/') + key;
    }
};
