#include "audio/AudioFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QtEndian>

namespace {

QByteArray Le32(uint32_t v) {
    const uint32_t le = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

}  // namespace

QByteArray AudioFixtures::Run(const QString& program, QStringList args) {
    if (program.startsWith("ff")) {
        args.prepend("error");
        args.prepend("-loglevel");
    }
    QProcess process;
    process.start(program, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
    }
    return process.readAllStandardOutput();
}

QString AudioFixtures::Make(const QString& name, const QString& lavfiSource,
                            const QStringList& outputArgs) {
    Run("ffmpeg",
        QStringList{"-y", "-f", "lavfi", "-i", lavfiSource} + outputArgs + QStringList{Path(name)});
    return Path(name);
}

QByteArray AudioFixtures::DecodeS16(const QString& path) {
    return Run("ffmpeg", {"-i", path, "-f", "s16le", "-c:a", "pcm_s16le", "pipe:1"});
}

QByteArray AudioFixtures::RawCopy(const QString& path, const QString& rawFormat) {
    return Run("ffmpeg", {"-i", path, "-c:a", "copy", "-f", rawFormat, "pipe:1"});
}

QMap<QString, QString> AudioFixtures::Probe(const QString& path) {
    // Lines such as "streams.stream.0.bit_rate="128000"" and "format.tags.title="Song"".
    QMap<QString, QString> fields;
    const QByteArray out = Run("ffprobe", {"-of", "flat", "-show_format", "-show_streams", path});
    for (const QByteArray& line : out.split('\n')) {
        const int eq = line.indexOf('=');
        QString key = QString::fromUtf8(line.left(eq))
                          .replace("streams.stream.0.", "stream.")
                          .replace(".tags.", ".tag.");
        fields[key] = QString::fromUtf8(line.mid(eq + 1)).remove('"');
    }
    return fields;
}

QByteArray AudioFixtures::ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AudioFixtures::WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

WavImage& WavImage::Chunk(const QByteArray& label, const QByteArray& body, qint64 declaredBytes) {
    chunks_ += label.left(4) + Le32(declaredBytes < 0 ? body.size() : declaredBytes) + body;
    return *this;
}

WavImage& WavImage::Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                        const QByteArray& more) {
    const uint32_t align = channels * bits / 8;
    const QByteArray f = Le32(tag | uint32_t{channels} << 16) + Le32(rate) + Le32(rate * align) +
                         Le32(align | uint32_t{bits} << 16);
    return Chunk("fmt ", f + more);
}

QByteArray WavImage::Bytes() const {
    return "RIFF" + Le32(chunks_.size() + 4) + "WAVE" + chunks_;
}
