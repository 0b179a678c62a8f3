#pragma once

// Sends what FFmpeg and Qt have to say to the trace log instead of the terminal, so that a
// command prints only its own lines: FFmpeg's remarks on odd files and Qt's warnings become
// trace lines (written only while the trace log is on).
class MLibraryLog {
public:
    // Installs the handlers; call once at start-up.
    static void RouteToTrace();
};
