#pragma once

#include <QString>

#include "base/MSettingsStore.h"

// The part of the per-user settings store that the dialogs read and write: numbers as the audio
// and export code keep them, and texts (custom search addresses, last folders). The application
// backs it with its QSettings store; tests with a map.
class MDialogSettings : public MSettingsStore {
public:
    virtual QString ReadString(const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void WriteString(const QString& section, const QString& key, const QString& value) = 0;
};
