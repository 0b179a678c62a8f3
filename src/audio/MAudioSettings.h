#pragma once

#include <QString>

// The part of the per-user settings store that the audio code reads and writes.
class MAudioSettings {
public:
    virtual ~MAudioSettings() = default;

    virtual int ReadInt(const QString& section, const QString& key, int defaultValue) = 0;
    virtual void WriteInt(const QString& section, const QString& key, int value) = 0;
};
