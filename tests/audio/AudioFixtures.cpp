#include "audio/AudioFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>

AudioFixtures::AudioFixtures() {
    EXPECT_TRUE(dir_.isValid());
}

QByteArray AudioFixtures::Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return {};
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    QByteArray out = process.readAllStandardOutput();
    if (out.isNull()) {
        out = QByteArray("");
    }
    return out;
}

QString AudioFixtures::Make(const QString& name, const QString& lavfiSource,
                            const QStringList& outputArgs) {
    const QString path = Path(name);
    QStringList args{"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i", lavfiSource};
    args << outputArgs << path;
    if (Run("ffmpeg", args).isNull()) {
        return {};
    }
    return path;
}

QByteArray AudioFixtures::DecodeS16(const QString& path) {
    const QString out = Path(QStringLiteral("decoded.raw"));
    QFile::remove(out);
    if (Run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-i", path, "-f", "s16le",
                       "-c:a", "pcm_s16le", out})
            .isNull()) {
        return {};
    }
    return ReadAll(out);
}

QByteArray AudioFixtures::RawCopy(const QString& path, const QString& rawFormat) {
    const QString out = Path(QStringLiteral("copied.raw"));
    QFile::remove(out);
    if (Run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-i", path, "-c:a", "copy", "-f",
                       rawFormat, out})
            .isNull()) {
        return {};
    }
    return ReadAll(out);
}

QByteArray AudioFixtures::ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

bool AudioFixtures::WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

AudioFixtures::ProbeResult AudioFixtures::Probe(const QString& path) {
    const QByteArray json = Run("ffprobe", {"-hide_banner", "-loglevel", "error", "-of", "json",
                                            "-show_format", "-show_streams", path});
    return ProbeResult(QJsonDocument::fromJson(json).object());
}

QString AudioFixtures::ProbeResult::operator[](const QString& field) const {
    const QJsonObject& root = root_;
    const QStringList parts = field.split('.');
    QJsonObject object;
    if (parts.value(0) == "format") {
        object = root.value("format").toObject();
    } else {
        for (const auto& s : root.value("streams").toArray()) {
            if (s.toObject().value("codec_type").toString() == "audio") {
                object = s.toObject();
                break;
            }
        }
    }
    if (parts.value(1) == "tag") {
        // Tag names differ in case between containers.
        const QJsonObject tags = object.value("tags").toObject();
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            if (it.key().compare(parts.value(2), Qt::CaseInsensitive) == 0) {
                return it.value().toString();
            }
        }
        return {};
    }
    const QJsonValue v = object.value(parts.value(1));
    return v.isDouble() ? QString::number(v.toDouble()) : v.toString();
}

WavImage& WavImage::Chunk(const QByteArray& label, const QByteArray& body, qint64 declaredBytes) {
    uint8_t len[4];
    qToLittleEndian(static_cast<uint32_t>(declaredBytes < 0 ? body.size() : declaredBytes), len);
    chunks_ += label.left(4);
    chunks_ += QByteArray(reinterpret_cast<const char*>(len), 4);
    chunks_ += body;
    return *this;
}

WavImage& WavImage::Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                        const QByteArray& more) {
    uint8_t f[16];
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    qToLittleEndian(tag, f);
    qToLittleEndian(channels, f + 2);
    qToLittleEndian(rate, f + 4);
    qToLittleEndian(rate * align, f + 8);
    qToLittleEndian(align, f + 12);
    qToLittleEndian(bits, f + 14);
    return Chunk("fmt ", QByteArray(reinterpret_cast<const char*>(f), 16) + more);
}

QByteArray WavImage::Bytes() const {
    uint8_t len[4];
    qToLittleEndian(static_cast<uint32_t>(chunks_.size() + 4), len);
    return QByteArray("RIFF") + QByteArray(reinterpret_cast<const char*>(len), 4) + "WAVE" +
           chunks_;
}
