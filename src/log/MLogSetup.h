#pragma once

#include <QString>
#include <cstdint>

// Switches the logs on for a support session. The program and quilm-cli call
// ApplyEnvironment() once at start-up:
//   QUILM_EVENT_LOG=path          appends event records to path
//   QUILM_TRACE_LOG=path[:mask]   appends trace lines to path; mask is a number (0x... for hex,
//                                 all categories when left out)
// Neither is set by default, so both logs stay off.
class MLogSetup {
public:
    struct TraceTarget {
        QString path;
        uint32_t mask = 0;
    };

    // Reads the two variables on the first call; later calls do nothing.
    static void ApplyEnvironment();
    // Points the global logs at the given files; an empty value leaves that log off.
    static void Apply(const QString& eventLogPath, const QString& traceLogSetting);
    // Splits "path[:mask]". A suffix after the last ':' that is not a number belongs to the
    // path.
    static TraceTarget ParseTraceSetting(const QString& setting);
};
