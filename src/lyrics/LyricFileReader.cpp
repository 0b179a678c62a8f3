#include "lyrics/LyricFileReader.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include "base/MFileName.h"
#include "base/MInputFile.h"
#include "lyrics/LrcParser.h"
#include "lyrics/LyricTextDecoder.h"
#include "lyrics/MidiLyricsExtractor.h"

LyricFileReader::FileType LyricFileReader::TypeFromPath(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) {
        return FileType::Unknown;
    }
    const QString extension = name.sliced(dot).left(4).toLower();
    if (extension == u".txt") {
        return FileType::Text;
    }
    if (extension == u".lrc") {
        return FileType::Lrc;
    }
    if (extension == u".kar" || extension == u".mid") {
        return FileType::Midi;
    }
    return FileType::Unknown;
}

QString LyricFileReader::Convert(FileType type, QByteArrayView bytes, LrcDocument& document,
                                 const QString& encoding) {
    switch (type) {
        case FileType::Text:
            return LyricTextDecoder::UnifyLineEnds(
                LyricTextDecoder::DecodeTextFile(bytes, encoding, &document.encoding));
        case FileType::Lrc:
            return LrcParser::ParseLrc(bytes, document, encoding);
        case FileType::Midi:
            return MidiLyricsExtractor::Extract(bytes, &document, encoding);
        case FileType::Unknown:
            break;
    }
    return QString();
}

MStatus LyricFileReader::Read(const QString& path, QString& lyrics, LrcDocument& document,
                              const LogMessage& log, const QString& encoding) {
    lyrics.clear();
    document.Clear();
    const FileType type = TypeFromPath(path);
    if (type == FileType::Unknown) {
        return MStatus::Failure(QString(), MStatus::Icon::None);
    }
    // Only regular files: a pipe or a device would hold the import up or feed it without end.
    if (!MInputFile::Problem(path, kMaxFileBytes, QStringLiteral("lyric file")).isEmpty()) {
        const bool tooLarge = QFileInfo(MFileName::Openable(path)).isFile();
        return MStatus::Failure(QString::fromLatin1(tooLarge ? kTooLargeText : kUnableToOpenText),
                                MStatus::Icon::Warning);
    }
    QFile file(MFileName::Openable(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return MStatus::Failure(QString::fromLatin1(kUnableToOpenText), MStatus::Icon::Warning);
    }
    // Read in pieces rather than trusting the size the file claims: devices and pipes claim 0.
    QByteArray bytes;
    bool readFailed = false;
    for (;;) {
        const qint64 room = kMaxFileBytes + 1 - bytes.size();
        // Pieces of the size the file claims (a lyric file is read at once), at most 1 MiB.
        const qint64 claimed =
            file.size() > 0 ? std::max<qint64>(file.size() - bytes.size() + 1, 4096) : 1 << 20;
        const QByteArray piece = file.read(std::min<qint64>({room, claimed, 1 << 20}));
        if (piece.isEmpty()) {
            readFailed = file.error() != QFileDevice::NoError;
            break;
        }
        bytes += piece;
        if (bytes.size() > kMaxFileBytes) {
            return MStatus::Failure(QString::fromLatin1(kTooLargeText), MStatus::Icon::Warning);
        }
    }
    if (!readFailed) {
        lyrics = Convert(type, bytes, document, encoding);
    }
    if (lyrics.isEmpty()) {
        if (log) {
            log(QString::fromLatin1(kLogTitle), QString::fromLatin1(kNoLyricsLogText));
        }
        return MStatus::Failure(QString::fromLatin1(kNoLyricsText), MStatus::Icon::Error);
    }
    if (log) {
        log(QString::fromLatin1(kLogTitle), lyrics);
    }
    return MStatus::Ok();
}
