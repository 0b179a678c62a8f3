#include "audio/FfmpegLog.h"

#include <QByteArray>
#include <cstdarg>
#include <mutex>

#include "log/MTraceLog.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

void ToTrace(void* object, int level, const char* format, va_list args) {
    if (level > AV_LOG_INFO) {
        return;
    }
    MTraceLog& trace = MTraceLog::Global();
    if (!trace.IsActive()) {
        return;
    }
    char line[1024];
    int printPrefix = 1;
    av_log_format_line2(object, level, format, args, line, sizeof(line), &printPrefix);
    QByteArray text(line);
    while (text.endsWith('\n')) {
        text.chop(1);
    }
    if (!text.isEmpty()) {
        trace.Trace(QString::fromUtf8(QByteArray("FFmpeg: ") + text), MTraceLog::kAlwaysCategory);
    }
}

}  // namespace

void RouteFfmpegLogToTrace() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(ToTrace); });
}
