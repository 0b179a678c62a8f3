#pragma once

#include <QString>
#include <cstdint>

// Status codes of the media layer: 0 is success, a negative value a failure. Codes from FFmpeg
// (AVERROR values) pass through unchanged; the ones below are the audio code's own.
namespace AudioStatus {

constexpr int kOk = 0;
// The stream's format is not one the caller accepts (rate, bits or channels).
constexpr int kUnsupportedFormat = -0x2001;
// The file holds no audio stream.
constexpr int kNoAudioStream = -0x2002;
// An operation was asked of a reader or writer that is not open.
constexpr int kNotOpen = -0x2003;
// The user cancelled the operation.
constexpr int kCancelled = -0x2004;
// Writing the output file failed.
constexpr int kWriteFailed = -0x2005;
// An unknown encoding profile number.
constexpr int kUnknownProfile = -0x2006;

// " (hr=0x%08x)": how a failed step's status follows its message.
inline QString StatusSuffix(int status) {
    return QStringLiteral(" (hr=0x%1)").arg(static_cast<uint32_t>(status), 8, 16, QLatin1Char('0'));
}

// A short developer-facing description of a status (FFmpeg's text for FFmpeg codes).
QString Describe(int status);

}  // namespace AudioStatus
