#include "audio/AudioStatus.h"

extern "C" {
#include <libavutil/error.h>
}

QString AudioStatus::Describe(int status) {
    switch (status) {
        case kOk:
            return QStringLiteral("success");
        case kUnsupportedFormat:
            return QStringLiteral("unsupported audio format");
        case kNoAudioStream:
            return QStringLiteral("no audio stream");
        case kNotOpen:
            return QStringLiteral("not open");
        case kCancelled:
            return QStringLiteral("cancelled");
        case kWriteFailed:
            return QStringLiteral("cannot write the output file");
        case kUnknownProfile:
            return QStringLiteral("unknown encoding profile");
        default:
            break;
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    return QString::fromUtf8(text);
}
