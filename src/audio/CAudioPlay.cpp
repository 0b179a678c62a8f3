#include "audio/CAudioPlay.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <vector>

#include "audio/AudioStatus.h"
#include "audio/MMediaReader.h"
#include "base/MProgress.h"
#include "log/MTraceLog.h"

namespace {

constexpr int kWorkHeaderBytes = 44;
constexpr uint64_t kHnsPerSecond = 10000000;

bool IsWebAddress(const QString& path) {
    return path.startsWith(QLatin1String("http"), Qt::CaseInsensitive);
}

QString Clip(const QString& text, int maxChars) {
    return maxChars >= 0 ? text.left(maxChars) : text;
}

}  // namespace

CAudioPlay::CAudioPlay() = default;

CAudioPlay::~CAudioPlay() {
    Close();
}

int CAudioPlay::Init() {
    initialised_ = true;
    acceptAnyRate_ = false;
    acceptAnyBits_ = false;
    acceptAnyChannels_ = false;
    convert_ = false;
    return AudioStatus::kOk;
}

void CAudioPlay::Close() {}

int CAudioPlay::Fail(const QString& text, int status) {
    errorText_ = text;
    MTraceLog& trace = MTraceLog::Global();
    if (trace.IsActive()) {
        trace.Trace(text + AudioStatus::StatusSuffix(status) + QStringLiteral(": ") +
                        AudioStatus::Describe(status),
                    MTraceLog::kAlwaysCategory);
    }
    return status;
}

int CAudioPlay::ReadTags(const QString& path, QString* title, QString* author, QString* publisher,
                         QString* album, QString* track, int maxChars) {
    MMediaReader reader;
    const int status = reader.Open(path);
    if (status < 0) {
        return status;
    }
    if (title != nullptr) {
        *title = Clip(reader.Attribute(QStringLiteral("Title")), maxChars);
    }
    if (author != nullptr) {
        QString a = reader.Attribute(QStringLiteral("Author"));
        if (a.isEmpty()) {
            a = reader.Attribute(QStringLiteral("WM/AlbumArtist"));
        }
        *author = Clip(a, maxChars);
    }
    if (publisher != nullptr) {
        *publisher = Clip(reader.Attribute(QStringLiteral("WM/Publisher")), maxChars);
    }
    if (album != nullptr) {
        *album = Clip(reader.Attribute(QStringLiteral("WM/AlbumTitle")), maxChars);
    }
    if (track != nullptr) {
        QString t = reader.Attribute(QStringLiteral("WM/Track"));
        if (t.isEmpty()) {
            t = reader.Attribute(QStringLiteral("WM/TrackNumber"));
        }
        *track = Clip(t, maxChars);
    }
    streaming_ = IsWebAddress(path);
    if (!streaming_) {
        durationHns_ = reader.DurationHns();
    }
    return AudioStatus::kOk;
}

int CAudioPlay::Open(const QString& path, const QString& outputPath, MProgress* progress,
                     uint64_t expectedBytes, uint32_t start, bool fromEnd) {
    errorText_.clear();
    bytesWritten_ = 0;
    sampleRate_ = 0;
    bitsPerSample_ = 0;
    channels_ = 0;
    source_ = WaveFormat();
    if (!initialised_) {
        return AudioStatus::kNotOpen;
    }
    if (outputPath.isEmpty()) {
        return Fail(QStringLiteral("No output file for the decoded audio"), AudioStatus::kNotOpen);
    }

    QFile output(outputPath);
    bool keepOutput = false;
    struct RemoveUnlessKept {
        QFile& file;
        bool& keep;
        ~RemoveUnlessKept() {
            if (!keep) {
                file.close();
                file.remove();
            }
        }
    } removeOnFailure{output, keepOutput};
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        output.write(QByteArray(kWorkHeaderBytes, '\0')) != kWorkHeaderBytes) {
        return Fail(QStringLiteral("Could not create the decoded audio file"),
                    AudioStatus::kWriteFailed);
    }

    MMediaReader reader;
    int status = reader.Open(path);
    if (status < 0) {
        return status;
    }
    streaming_ = IsWebAddress(path);
    durationHns_ = streaming_ ? 0 : reader.DurationHns();

    WaveFormat format;
    if (convert_) {
        status = reader.SelectAudioAs(44100, 2, &source_);
        reader.SelectAudio(&format);  // the converted format
    } else {
        status = reader.SelectAudio(&format);
        source_ = format;
    }
    if (status < 0) {
        return Fail(QStringLiteral("Could not get audio stream in the specified file"), status);
    }
    sampleRate_ = format.sampleRate;
    bitsPerSample_ = format.bitsPerSample;
    channels_ = format.channels;
    if (expectedBytes == 0 && durationHns_ != 0) {
        expectedBytes = durationHns_ / 10000 * format.sampleRate * format.blockAlign / 1000;
    }
    if (convert_) {
        // The checks below are for the stream as it is.
    } else if (!acceptAnyRate_ && format.sampleRate != 44100) {
        return Fail(QStringLiteral("Input stream is not 44,100 samples per second"),
                    AudioStatus::kUnsupportedFormat);
    }
    if (!convert_ && !acceptAnyBits_ && format.bitsPerSample != 16) {
        return Fail(QStringLiteral("Input stream is not 16 bits per sample"),
                    AudioStatus::kUnsupportedFormat);
    }
    if (!convert_ && !acceptAnyChannels_ && format.channels != 2) {
        return Fail(QStringLiteral("Input music file is not stereo (2 channel)"),
                    AudioStatus::kUnsupportedFormat);
    }

    uint64_t startHns = static_cast<uint64_t>(start) * kHnsPerSecond / 75;
    if (fromEnd) {
        startHns = durationHns_ > startHns ? durationHns_ - startHns : 0;
    }
    uint64_t skipBytes = startHns * format.sampleRate / kHnsPerSecond * format.blockAlign;

    int lastPercent = 0;
    std::vector<uint8_t> pcm;
    for (;;) {
        if (progress != nullptr && progress->IsCancelled()) {
            return Fail(QStringLiteral("Decoding was cancelled"), AudioStatus::kCancelled);
        }
        pcm.clear();
        const int64_t got = reader.ReadPcm(&pcm);
        if (got < 0) {
            return Fail(QStringLiteral("Could not decode the audio stream"), static_cast<int>(got));
        }
        if (got == 0) {
            break;
        }
        const uint64_t skip = std::min<uint64_t>(skipBytes, pcm.size());
        skipBytes -= skip;
        const auto bytes = static_cast<qint64>(pcm.size() - skip);
        if (bytes == 0) {
            continue;
        }
        if (output.write(reinterpret_cast<const char*>(pcm.data() + skip), bytes) != bytes) {
            return Fail(QStringLiteral("Could not write the decoded audio file"),
                        AudioStatus::kWriteFailed);
        }
        bytesWritten_ += static_cast<uint64_t>(bytes);
        if (progress != nullptr && expectedBytes != 0) {
            const int percent =
                static_cast<int>(std::min<uint64_t>(100, bytesWritten_ * 100 / expectedBytes));
            if (percent > lastPercent) {
                lastPercent = percent;
                progress->SetPercent(percent);
            }
        }
    }
    if (!output.flush()) {
        return Fail(QStringLiteral("Could not write the decoded audio file"),
                    AudioStatus::kWriteFailed);
    }
    output.close();
    keepOutput = true;
    return AudioStatus::kOk;
}

uint32_t MediaDurationMs(const QString& path) {
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    CAudioPlay play;
    play.Init();
    QString title, author, publisher, album, track;
    if (play.ReadTags(path, &title, &author, &publisher, &album, &track, 64) < 0) {
        return 0;
    }
    if (play.Duration() != 0 || path.startsWith(QLatin1String("http"), Qt::CaseInsensitive)) {
        return play.Duration();
    }
    // No declared duration: count the samples.
    MMediaReader reader;
    WaveFormat format;
    if (reader.Open(path) < 0 || reader.SelectAudio(&format) < 0 || format.blockAlign == 0) {
        return 0;
    }
    uint64_t bytes = 0;
    std::vector<uint8_t> pcm;
    for (;;) {
        pcm.clear();
        const int64_t got = reader.ReadPcm(&pcm);
        if (got <= 0) {
            break;
        }
        bytes += static_cast<uint64_t>(got);
    }
    const uint64_t frames = bytes / format.blockAlign;
    return static_cast<uint32_t>(frames * 1000 / format.sampleRate);
}
