#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a request to cancel: the work in hand notices it, stops,
// removes what it had begun and leaves every target as it was. A second signal while the first
// is being handled ends the process at once (its parts are removed by the next run).
class MInterrupt {
public:
    // Installs the handlers (for a program without an event loop, such as quilm-cli) and lets
    // through the signals that Block() held back.
    static void Install();
    // Holds the signals back (they stay pending, also across exec) until Install().
    static void Block();
    // True once a signal asked to stop.
    static bool Requested();
    // The signal that asked to stop, 0 when none did.
    static int Signal();
    // The exit code of a process stopped by Signal(): 128 + the signal's number.
    static int ExitCode();
    // Forgets a request (for tests).
    static void Reset();
};
