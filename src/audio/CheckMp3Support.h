#pragma once

class MLameLibrary;
class MMessageReporter;
class MSettingsStore;

// Decides whether MP3 encoding is available: loads and binds the LAME library, and tells the
// user (unless they asked not to be told again) when it is missing or too old. force reloads
// the library even when it is loaded already. reporter and settings may be null.
bool CheckMp3Support(MLameLibrary& lame, MMessageReporter* reporter, MSettingsStore* settings,
                     bool force);
