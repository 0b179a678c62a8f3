#include "audio/MLibraryLog.h"

#include <QString>
#include <QtGlobal>

extern "C" {
#include <libavutil/log.h>
}

#include "log/MTraceLog.h"

namespace {

void OnFfmpegLine(void* context, int level, const char* format, va_list args) {
    MTraceLog& trace = MTraceLog::Global();
    if (level > AV_LOG_INFO || !trace.IsActive()) {
        return;
    }
    char line[1024];
    int prefix = 1;
    av_log_format_line2(context, level, format, args, line, sizeof(line), &prefix);
    trace.Trace(QStringLiteral("FFmpeg: %1").arg(QString::fromUtf8(line).trimmed()),
                MTraceLog::kAlwaysCategory);
}

void OnQtMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    MTraceLog& trace = MTraceLog::Global();
    if (trace.IsActive()) {
        trace.Trace(QStringLiteral("Qt: %1").arg(text), MTraceLog::kAlwaysCategory);
    }
}

}  // namespace

void MLibraryLog::RouteToTrace() {
    av_log_set_callback(OnFfmpegLine);
    qInstallMessageHandler(OnQtMessage);
}
