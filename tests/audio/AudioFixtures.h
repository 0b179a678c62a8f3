#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Makes real audio files with the ffmpeg program in a temporary folder, and decodes files with
// it so that our readers and decoders can be compared sample for sample.
class AudioFixtures {
public:
    AudioFixtures();

    QString Dir() const { return dir_.path(); }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // ffmpeg -f lavfi -i <source> <outputArgs> <dir>/<name>; returns the path, empty on failure
    // (the reason goes to the test log).
    QString Make(const QString& name, const QString& lavfiSource, const QStringList& outputArgs);
    // Interleaved signed 16-bit samples of the file at its own rate and channel count, as the
    // ffmpeg program decodes it.
    QByteArray DecodeS16(const QString& path);
    // The stream's raw bytes as stored (ffmpeg's copy into a headerless file of that format).
    QByteArray RawCopy(const QString& path, const QString& rawFormat);

    static QByteArray ReadAll(const QString& path);
    static bool WriteAll(const QString& path, const QByteArray& bytes);
    // Runs ffmpeg or ffprobe; returns standard output, or a null array when it failed.
    static QByteArray Run(const QString& program, const QStringList& args);
    // ffprobe's "-show_format -show_streams" report of a file.
    class ProbeResult {
    public:
        explicit ProbeResult(const QJsonObject& root) : root_(root) {}
        // One field of the container or of the first audio stream: "format.duration",
        // "stream.bit_rate", "format.tag.title" (tag names in any case), ...
        QString operator[](const QString& field) const;

    private:
        QJsonObject root_;
    };
    static ProbeResult Probe(const QString& path);

private:
    QTemporaryDir dir_;
};

// A RIFF/WAVE image assembled chunk by chunk, for headers no encoder writes.
class WavImage {
public:
    WavImage& Chunk(const QByteArray& label, const QByteArray& body, qint64 declaredBytes = -1);
    WavImage& Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                  const QByteArray& more = {});
    WavImage& Data(const QByteArray& bytes, qint64 declaredBytes = -1) {
        return Chunk("data", bytes, declaredBytes);
    }
    QByteArray Bytes() const;

private:
    QByteArray chunks_;
};
