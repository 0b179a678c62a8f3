#pragma once

class MAudioOutputFactory;
class MSettingsStore;
class MMessageReporter;

// What the audio and CD+G player needs of the application around it. Any of them may be null:
// without outputs there is no sound device, without settings the defaults hold, and without a
// reporter warnings go unseen.
struct MPlayerContext {
    MAudioOutputFactory* outputs = nullptr;
    MSettingsStore* settings = nullptr;
    // Shows the player's warnings to the user (the owner window of the warning box).
    MMessageReporter* reporter = nullptr;
};
