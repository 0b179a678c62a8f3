#include "audio/MAudioSettings.h"

#include "base/MSettingsStore.h"

int MAudioSettings::Int(const char* key, int defaultValue) const {
    return store_ != nullptr ? store_->ReadInt(QString::fromLatin1(kSection),
                                               QString::fromLatin1(key), defaultValue)
                             : defaultValue;
}

void MAudioSettings::SetInt(const char* key, int value) {
    if (store_ != nullptr) {
        store_->WriteInt(QString::fromLatin1(kSection), QString::fromLatin1(key), value);
    }
}
