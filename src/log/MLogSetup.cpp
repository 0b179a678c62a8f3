#include "log/MLogSetup.h"

#include <QtGlobal>
#include <mutex>

#include "log/MEventLog.h"
#include "log/MTraceLog.h"

void MLogSetup::ApplyEnvironment() {
    static std::once_flag once;
    std::call_once(once, [] {
        Apply(qEnvironmentVariable("QUILM_EVENT_LOG"), qEnvironmentVariable("QUILM_TRACE_LOG"));
    });
}

void MLogSetup::Apply(const QString& eventLogPath, const QString& traceLogSetting) {
    MEventLog::Global().SetPath(eventLogPath);
    const TraceTarget trace = ParseTraceSetting(traceLogSetting);
    if (trace.path.isEmpty()) {
        MTraceLog::Global().Close();
    } else if (!MTraceLog::Global().Open(trace.path, trace.mask)) {
        qWarning("Cannot open the trace log %s", qUtf8Printable(trace.path));
    }
}

MLogSetup::TraceTarget MLogSetup::ParseTraceSetting(const QString& setting) {
    TraceTarget target{setting, MTraceLog::kAllCategories};
    const qsizetype colon = setting.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return target;
    }
    bool ok = false;
    const uint mask = setting.mid(colon + 1).toUInt(&ok, 0);
    if (ok) {
        target.path = setting.left(colon);
        target.mask = mask;
    }
    return target;
}
