#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Makes real audio files with the ffmpeg program in a temporary folder, and decodes and probes
// files with ffmpeg and ffprobe so that our readers, decoders and encoders can be checked.
// A program that fails fails the test.
class AudioFixtures {
public:
    QString Dir() const { return dir_.path(); }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // ffmpeg -f lavfi -i <source> <outputArgs> <dir>/<name>; returns the path.
    QString Make(const QString& name, const QString& lavfiSource, const QStringList& outputArgs);
    // Interleaved signed 16-bit samples of the file at its own rate and channel count.
    static QByteArray DecodeS16(const QString& path);
    // The audio stream's bytes as stored, in a headerless file of the given format.
    static QByteArray RawCopy(const QString& path, const QString& rawFormat);
    // ffprobe's view of the container and its first stream: "format.duration",
    // "stream.bit_rate", "format.tag.title", ...
    static QMap<QString, QString> Probe(const QString& path);

    static QByteArray ReadAll(const QString& path);
    static bool WriteAll(const QString& path, const QByteArray& bytes);
    // Standard output of ffmpeg, ffprobe or sox.
    static QByteArray Run(const QString& program, QStringList args);

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
