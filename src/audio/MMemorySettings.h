#pragma once

#include <QMap>
#include <QString>

#include "audio/MAudioSettings.h"

// A settings store held in memory: every value starts at its default and lives as long as the
// object. quilm-cli uses one, so that a command never changes the application's stored choices.
class MMemorySettings : public MAudioSettings {
public:
    int ReadInt(const QString& section, const QString& key, int defaultValue) override {
        return values.value(section + QLatin1Char('/') + key, defaultValue);
    }
    void WriteInt(const QString& section, const QString& key, int value) override {
        values[section + QLatin1Char('/') + key] = value;
    }

    // "section/key" -> value.
    QMap<QString, int> values;
};
