#pragma once

#include <QString>

class MSettingsStore;

// The audio code's keys in the settings store (section "Default"): the thread priorities of the
// media decoder and of the player's threads, and the boxes that hide the MP3 encoder notices.
// Without a store every value is its default and nothing is kept.
class MAudioSettings {
public:
    static constexpr const char* kSection = "Default";
    static constexpr const char* kAudioPriorityKey = "AutoPlayAudioPriority";
    static constexpr const char* kCdgDisplayPriorityKey = "AutoPlayCDGDisplayPriority";
    static constexpr const char* kCdgReadPriorityKey = "AutoPlayCDGReadPriority";
    static constexpr const char* kHideMp3MessageKey = "HideMP3Message";
    static constexpr const char* kHideMp3VersionMessageKey = "HideMP3VersionMessage";

    explicit MAudioSettings(MSettingsStore* store) : store_(store) {}

    // Thread priorities in the stored scale (0 normal, 1 one step above).
    int AudioPriority() const { return Int(kAudioPriorityKey, 1); }
    int CdgDisplayPriority() const { return Int(kCdgDisplayPriorityKey, 1); }
    int CdgReadPriority() const { return Int(kCdgReadPriorityKey, 0); }

    bool HideMp3Message() const { return Int(kHideMp3MessageKey, 0) != 0; }
    void SetHideMp3Message(bool hide) { SetInt(kHideMp3MessageKey, hide ? 1 : 0); }
    bool HideMp3VersionMessage() const { return Int(kHideMp3VersionMessageKey, 0) != 0; }
    void SetHideMp3VersionMessage(bool hide) { SetInt(kHideMp3VersionMessageKey, hide ? 1 : 0); }

private:
    int Int(const char* key, int defaultValue) const;
    void SetInt(const char* key, int value);

    MSettingsStore* store_;
};
